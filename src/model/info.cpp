#include "model/info.h"

namespace korvel::model {

void infoGet(const Obj3dModel& model, int32_t out[12]) {
    const Obj3dHeader& h = *model.head();
    const int32_t values[12] = {h.normalmode,    h.NumVertex,   h.NumFace,           h.NumMaterial,
                                h.NumPart,       h.NumJoint,    h.NumMotion,         h.NumTotalFrame,
                                h.NumShapekey,   h.NumShapekeyVertex, h.NumShapekeydata, h.NumParticlehairFace};
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

}  // namespace korvel::model
