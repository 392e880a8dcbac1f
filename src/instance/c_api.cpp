// C exports of the instance module: creating, placing and releasing
// instances, their drawing switches, material parameters and the hair
// rotation. Nothing here allocates except CreateImage3d, which reports a
// failed allocation by its code.
#include "Korvelv0.h"
#include "instance/hair_rotation.h"
#include "instance/image3d.h"
#include "instance/material.h"
#include "instance/placement.h"

using namespace korvel::instance;

extern "C" {

KORVEL_API int CreateImage3d(int model) { return createImage3d(model); }

KORVEL_API void ClearImage3d(int image) { clearImage3d(image); }

KORVEL_API void ImageSetScaleRotTransAlpha(int image, double sx, double sy, double sz, double rx, double ry,
                                           double rz, double tx, double ty, double tz, double alpha) {
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

KORVEL_API void Obj3dSetMaterialParam(int model, int material, int blendmode, int r, int g, int b, double alpha,
                                      double power, int specularR, int specularG, int specularB, int emissiveR,
                                      int emissiveG, int emissiveB, int texsrvno) {
    setMaterialParam(model, material, blendmode, r, g, b, alpha, power, specularR, specularG, specularB, emissiveR,
                     emissiveG, emissiveB, texsrvno);
}

KORVEL_API int Obj3dGetMaterialParamTexsrvno(int model, int material) {
    return materialTexsrvno(model, material);
}

KORVEL_API void SetWorldParticlehairRotMatrix(double ax, double ay, double az, double angle) {
    setWorldParticlehairRotMatrix(ax, ay, az, angle);
}

}  // extern "C"
