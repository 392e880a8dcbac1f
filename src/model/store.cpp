#include "model/store.h"

#include <array>
#include <bitset>

#include "draw2d/texture_table.h"

namespace korvel::model {

namespace {

std::array<Obj3dModel, kModelSlots>& slots() {
    static std::array<Obj3dModel, kModelSlots> table;
    return table;
}

}  // namespace

int64_t keyRecordCount(const Obj3dHeader& h) {
    if (h.NumTotalFrame < 0 || h.NumMotion < 0 || h.NumJoint < 0) return 0;
    // Two int32 factors fit in int64; the third can overflow only when the
    // product exceeds INT64_MAX / NumJoint.
    const int64_t frames = int64_t{h.NumTotalFrame} * h.NumMotion;
    if (h.NumJoint != 0 && frames > INT64_MAX / h.NumJoint) return INT64_MAX;
    return frames * h.NumJoint;
}

Obj3dModel* modelSlot(int m) { return m >= 0 && m < kModelSlots ? &slots()[m] : nullptr; }

Obj3dModel* occupiedModel(int m) {
    Obj3dModel* model = modelSlot(m);
    return model != nullptr && model->occupied() ? model : nullptr;
}

Obj3dModel* completeModel(int m) {
    Obj3dModel* model = occupiedModel(m);
    return model != nullptr && model->complete ? model : nullptr;
}

bool isComplete(int m) { return completeModel(m) != nullptr; }

int firstFreeModelSlot() {
    for (int m = 0; m < kModelSlots; ++m)
        if (!slots()[m].occupied()) return m;
    return -1;
}

void clearModel(int m, int releaseTextures, TextureLoader& textures) {
    Obj3dModel* model = modelSlot(m);
    if (model == nullptr) return;
    if (model->occupied()) {
        if (releaseTextures == 1) {
            std::bitset<100> released;
            for (const Obj3dMaterial& material : model->material.span()) {
                const int slot = material.texsrvno;
                if (slot < 0 || slot > 99 || released[slot]) continue;
                released[slot] = true;
                textures.release(slot);
            }
        }
        model->header.release();
    }
    model->face.release();
    model->vertex.release();
    model->material.release();
    model->normal.release();
    model->drawrange.release();
    model->keyframe.release();
    model->motion.release();
    model->frameno.release();
    model->weight.release();
    model->joint.release();
    model->shapekeyinfo.release();
    model->shapekeytrans.release();
    model->shapekeyvertex.release();
    model->particlehairface.release();
    model->complete = false;
}

void clearAllModels(TextureLoader& textures) {
    for (int m = 0; m < kModelSlots; ++m) clearModel(m, 1, textures);
}

void infoGet(const Obj3dModel& model, int32_t out[12]) {
    const Obj3dHeader& h = *model.head();
    const int32_t values[12] = {h.normalmode,  h.NumVertex,         h.NumFace,         h.NumMaterial,
                                h.NumPart,     h.NumJoint,          h.NumMotion,       h.NumTotalFrame,
                                h.NumShapekey, h.NumShapekeyVertex, h.NumShapekeydata, h.NumParticlehairFace};
    for (int i = 0; i < 12; ++i) out[i] = values[i];
}

bool pointInfo(const Obj3dModel& model, int vertex, double out[3]) {
    const Obj3dVertex* v = model.vertex.at(vertex);
    if (v == nullptr) return false;
    out[0] = v->posx;
    out[1] = v->posy;
    out[2] = v->posz;
    return true;
}

std::optional<int> motionLastFrame(const Obj3dModel& model, int motion) {
    const Obj3dMotion* m = model.motion.at(motion);
    if (m == nullptr) return std::nullopt;
    const Obj3dFrameno* last = model.frameno.at(int64_t{m->firstframe} + m->numframe - 1);
    if (last == nullptr) return std::nullopt;
    return *last;
}

std::optional<int> shapekeyLastFrame(const Obj3dModel& model, int kind) {
    const Shapekeyinfo* info = model.shapekeyinfo.at(kind);
    if (info == nullptr) return std::nullopt;
    const Shapekeytrans* last = model.shapekeytrans.at(int64_t{info->firstdata} + info->numframe - 1);
    if (last == nullptr) return std::nullopt;
    return last->frameno;
}

std::string_view directoryOf(std::string_view path) {
    const size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? std::string_view{} : path.substr(0, last + 1);
}

std::string_view lastComponent(std::string_view name) {
    const size_t last = name.find_last_of("\\/");
    return last == std::string_view::npos ? name : name.substr(last + 1);
}

int loadModelTexture(TextureLoader& textures, std::string_view name, std::string_view modelPath) {
    if (const int slot = textures.load(std::string(name)); slot >= 0) return slot;
    std::string second(directoryOf(modelPath));
    second += lastComponent(name);
    const int slot = textures.load(second);
    return slot >= 0 ? slot : -1;
}

namespace {

class TableTextures final : public TextureLoader {
public:
    int load(const std::string& utf8Path) override { return draw2d::textureTable().read(utf8Path); }
    void release(int slot) override { draw2d::textureTable().release(slot); }
};

}  // namespace

TextureLoader& libraryTextures() {
    static TableTextures textures;
    return textures;
}

void releaseAllModels() { clearAllModels(libraryTextures()); }

}  // namespace korvel::model
