#include "model/store.h"

#include <array>
#include <bitset>

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

}  // namespace korvel::model
