// C exports of the instance module: creating, placing and releasing
// instances, their drawing switches, material parameters, the hair rotation
// and the tool's selection. Nothing here allocates except CreateImage3d,
// which reports a failed allocation by its code, and ToolSelectPreparation,
// which keeps the previous selection when its arrays cannot be allocated.
// RenderImage and ToolRenderImage refit boxes on the CPU, so their exports
// sit above the geometry queries (src/query/c_api.cpp).
#include <new>

#include "Korvelv0.h"
#include "instance/image3d.h"
#include "instance/tool_draw.h"
#include "model/store.h"

using namespace korvel;
using namespace korvel::instance;

namespace {

float colour(int value) { return static_cast<float>(static_cast<double>(value) / 255.0); }

// Material `material` of the model in slot `model`, or null when the slot is
// out of range or empty or the number is outside the model's material table.
model::Obj3dMaterial* findMaterial(int model, int material) {
    model::Obj3dModel* source = model::occupiedModel(model);
    return source != nullptr ? source->material.at(material) : nullptr;
}

}  // namespace

extern "C" {

KORVEL_API int CreateImage3d(int model) { return createImage3d(model); }

KORVEL_API void ClearImage3d(int image) { clearImage3d(image); }

KORVEL_API void ImageSetScaleRotTransAlpha(int image, double sx, double sy, double sz, double rx, double ry, double rz,
                                           double tx, double ty, double tz, double alpha) {
    Image3dInstance* record = image3d(image);
    if (record != nullptr) setPlacement(record->whole(), sx, sy, sz, rx, ry, rz, tx, ty, tz, alpha);
}

KORVEL_API void Image3dPartinfoSet(int image, int part, double sx, double sy, double sz, double rx, double ry,
                                   double rz, double tx, double ty, double tz, double alpha) {
    Image3dInstance* record = image3d(image);
    if (record == nullptr) return;
    if (Partinfo* info = record->part(part)) setPlacement(*info, sx, sy, sz, rx, ry, rz, tx, ty, tz, alpha);
}

KORVEL_API void Image3dSetRendarparam(int image, int boxmode, int cullmode, int partmode, int hairmode) {
    Image3dInstance* record = image3d(image);
    if (record == nullptr) return;
    record->boxmode = static_cast<uint8_t>(boxmode & 0xff);
    record->cullmode = static_cast<uint8_t>(cullmode & 0xff);
    record->partmode = static_cast<uint8_t>(partmode & 0xff);
    record->hairmode = static_cast<uint8_t>(hairmode & 0xff);
}

// Colours 0..255 are divided by 255 in double precision and rounded to float
// (not clamped), alpha and power rounded to float, blend mode and texture
// number stored as given.
KORVEL_API void Obj3dSetMaterialParam(int model, int material, int blendmode, int r, int g, int b, double alpha,
                                      double power, int specularR, int specularG, int specularB, int emissiveR,
                                      int emissiveG, int emissiveB, int texsrvno) {
    model::Obj3dMaterial* record = findMaterial(model, material);
    if (record == nullptr) return;
    record->faceColorR = colour(r);
    record->faceColorG = colour(g);
    record->faceColorB = colour(b);
    record->alpha = static_cast<float>(alpha);
    record->power = static_cast<float>(power);
    record->specularColorR = colour(specularR);
    record->specularColorG = colour(specularG);
    record->specularColorB = colour(specularB);
    record->emissiveColorR = colour(emissiveR);
    record->emissiveColorG = colour(emissiveG);
    record->emissiveColorB = colour(emissiveB);
    record->texsrvno = texsrvno;
    record->blendmode = blendmode;
}

// -1 (no texture) when the model or the material does not exist.
KORVEL_API int Obj3dGetMaterialParamTexsrvno(int model, int material) {
    const model::Obj3dMaterial* record = findMaterial(model, material);
    return record != nullptr ? record->texsrvno : -1;
}

KORVEL_API void SetWorldParticlehairRotMatrix(double ax, double ay, double az, double angle) {
    setWorldParticlehairRotMatrix(ax, ay, az, angle);
}

KORVEL_API void ToolSelectPreparation(int model, int* counts) {
    try {
        prepareSelection(model, counts);
    } catch (const std::bad_alloc&) {
    }
}

KORVEL_API void ToolPointSetSelect(int vertex, int flag) { setPointSelect(vertex, flag); }

KORVEL_API void ToolFaceSetSelect(int face, int flag) { setFaceSelect(face, flag); }

}  // extern "C"
