#include "instance/pose.h"

#include <algorithm>

#include "math/matrix.h"
#include "math/quaternion.h"

namespace korvel::instance {

namespace {

using model::Obj3dKeyframe;

// translation(-rest) x scale(s) x rotation(q) x translation(t), built
// directly: the rows of the rotation scaled by s, and the rest position
// carried through them.
math::Matrix localJointMatrix(math::Float3 rest, math::Float3 s, math::Quaternion q, math::Float3 t) {
    math::Matrix m = math::matrixFromQuaternion(q);
    const float scale[3] = {s.x, s.y, s.z};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m.m[i][j] *= scale[i];
    }
    const float translation[3] = {t.x, t.y, t.z};
    for (int j = 0; j < 3; ++j) {
        m.m[3][j] = translation[j] - (rest.x * m.m[0][j] + rest.y * m.m[1][j] + rest.z * m.m[2][j]);
    }
    return m;
}

math::Float3 lerp(math::Float3 a, math::Float3 b, float u) {
    return {a.x + u * (b.x - a.x), a.y + u * (b.y - a.y), a.z + u * (b.z - a.z)};
}

math::Float3 keyScale(const Obj3dKeyframe& k) { return {k.scalex, k.scaley, k.scalez}; }
math::Float3 keyTranslation(const Obj3dKeyframe& k) { return {k.transx, k.transy, k.transz}; }
math::Quaternion keyRotation(const Obj3dKeyframe& k) { return {k.rot4x, k.rot4y, k.rot4z, k.rot4w}; }

}  // namespace

int poseJointCount(const model::Obj3dModel& model) {
    const int32_t count = model.head()->NumJoint;
    return count > 0 && static_cast<size_t>(count) <= model.joint.size() ? count : 0;
}

bool motionUsable(const model::Obj3dModel& model, int motion) {
    if (motion < 0 || motion >= model.head()->NumMotion) return false;
    const model::Obj3dMotion* record = model.motion.at(motion);
    if (record == nullptr || record->numframe < 1 || record->firstframe < 0 || record->firstkey < 0) return false;
    const long long frames = static_cast<long long>(record->firstframe) + record->numframe;
    const long long keys = record->firstkey + static_cast<long long>(poseJointCount(model)) * record->numframe;
    return frames <= static_cast<long long>(model.frameno.size()) &&
           keys <= static_cast<long long>(model.keyframe.size());
}

bool jointMatrices(const model::Obj3dModel& model, int motion, int frame, math::Matrix* out) {
    if (!motionUsable(model, motion)) return false;
    const model::Obj3dMotion& record = model.motion[motion];
    const int numframe = record.numframe;
    const int32_t* frames = model.frameno.data() + record.firstframe;
    const KeySpan span = searchKeys(frame, numframe, [frames](int k) { return frames[k]; });

    const int joints = poseJointCount(model);
    for (int j = 0; j < joints; ++j) {
        const Obj3dKeyframe* keys = model.keyframe.data() + record.firstkey + static_cast<long long>(j) * numframe;
        const Obj3dKeyframe& lo = keys[span.lo];
        const Obj3dKeyframe& hi = keys[span.hi];
        math::Float3 s = keyScale(lo);
        math::Float3 t = keyTranslation(lo);
        math::Quaternion q = keyRotation(lo);
        if (span.lo != span.hi) {
            s = lerp(s, keyScale(hi), span.u);
            t = lerp(t, keyTranslation(hi), span.u);
            q = math::slerp(q, keyRotation(hi), span.u);
        }
        const model::Obj3dJoint& joint = model.joint[j];
        const math::Matrix local = localJointMatrix({joint.parentposx, joint.parentposy, joint.parentposz}, s, q, t);
        const int parent = joint.parentjointno;
        out[j] = j == 0 || parent < 0 || parent >= j ? local : math::multiply(local, out[parent]);
    }
    return true;
}

PoseOutcome jointPalette(const model::Obj3dModel& model, int motion, int frame, JointPalette& out) {
    const model::Obj3dHeader& header = *model.head();
    if (header.NumMotion < 1) return PoseOutcome::NoMotions;
    if (header.NumJoint > kPaletteJoints || poseJointCount(model) != header.NumJoint) return PoseOutcome::Refused;
    out.count = header.NumJoint;
    if (motion < 0) {
        for (int j = 0; j < out.count; ++j) out.matrix[j] = math::identity();
        return PoseOutcome::Written;
    }
    if (!jointMatrices(model, motion, frame, out.matrix)) return PoseOutcome::Refused;
    for (int j = 0; j < out.count; ++j) out.matrix[j] = math::transpose(out.matrix[j]);
    return PoseOutcome::Written;
}

// Shape keys.

namespace {

using model::Shapekeyinfo;
using model::Shapekeytrans;

// Kind `shapekey` when it exists and its key-frame records (row 0) lie in
// the tables, else null.
const Shapekeyinfo* usableKind(const model::Obj3dModel& model, int shapekey) {
    if (shapekey < 0 || shapekey >= model.head()->NumShapekey) return nullptr;
    const Shapekeyinfo* kind = model.shapekeyinfo.at(shapekey);
    if (kind == nullptr || kind->numframe < 1 || kind->firstdata < 0) return nullptr;
    const long long end = static_cast<long long>(kind->firstdata) + kind->numframe;
    return end <= static_cast<long long>(model.shapekeytrans.size()) ? kind : nullptr;
}

KeySpan kindSpan(const model::Obj3dModel& model, const Shapekeyinfo& kind, int frame) {
    const Shapekeytrans* row0 = model.shapekeytrans.data() + kind.firstdata;
    return searchKeys(frame, kind.numframe, [row0](int k) { return row0[k].frameno; });
}

// The records of moved-vertex row `row` at the span's two keys, or null when
// the row lies outside the kind or the table.
struct RowKeys {
    const Shapekeytrans* lo = nullptr;
    const Shapekeytrans* hi = nullptr;
};

RowKeys rowKeys(const model::Obj3dModel& model, const Shapekeyinfo& kind, const KeySpan& span, long long row) {
    if (row < 0 || row >= kind.numvertex) return {};
    const long long first = kind.firstdata + row * kind.numframe;
    return {model.shapekeytrans.at(first + span.lo), model.shapekeytrans.at(first + span.hi)};
}

math::Float3 blend(const Shapekeytrans& a, const Shapekeytrans& b, float u) {
    return {a.dx + u * (b.dx - a.dx), a.dy + u * (b.dy - a.dy), a.dz + u * (b.dz - a.dz)};
}

// Calls put(entry, displacement) for every moved-vertex row of the kind, in
// row order, with the list entry the row names (its skvertexindex) when that
// entry is below `entries`. Rows run on through the table, so the first row
// outside it ends the walk.
template <class Put>
void forEachRow(const model::Obj3dModel& model, const Shapekeyinfo& kind, const KeySpan& span, int entries, Put put) {
    for (int v = 0; v < kind.numvertex; ++v) {
        const RowKeys keys = rowKeys(model, kind, span, v);
        if (keys.lo == nullptr || keys.hi == nullptr) break;
        const int entry = keys.lo->skvertexindex;
        if (entry < 0 || entry >= entries) continue;
        put(entry, blend(*keys.lo, *keys.hi, span.u));
    }
}

}  // namespace

PoseOutcome shapekeyOffsets(const model::Obj3dModel& model, int shapekey, int frame, ShapekeyOffsets& out) {
    const model::Obj3dHeader& header = *model.head();
    out.flag = 0;
    out.count = 1;
    out.offset[0] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (header.NumShapekey == 0 || shapekey < 0) return PoseOutcome::Written;

    const Shapekeyinfo* kind = usableKind(model, shapekey);
    if (kind == nullptr || header.NumShapekeyVertex < 0 || header.NumShapekeyVertex > kShapekeyOffsetsMax) {
        return PoseOutcome::Refused;
    }
    out.flag = 1;
    out.count = header.NumShapekeyVertex;
    for (int i = 0; i < out.count; ++i) out.offset[i] = {0.0f, 0.0f, 0.0f, 0.0f};

    forEachRow(model, *kind, kindSpan(model, *kind, frame), out.count, [&out](int entry, math::Float3 d) {
        out.offset[entry] = {d.x, d.y, d.z, 0.0f};
    });
    return PoseOutcome::Written;
}

std::optional<ShapekeySampler> ShapekeySampler::make(const model::Obj3dModel& model, int shapekey, int frame) {
    const Shapekeyinfo* kind = usableKind(model, shapekey);
    if (kind == nullptr) return std::nullopt;
    return ShapekeySampler(model, *kind, kindSpan(model, *kind, frame));
}

ShapekeySampler::ShapekeySampler(const model::Obj3dModel& model, const Shapekeyinfo& kind, const KeySpan& span)
    : listPosition_(model.vertex.size(), -1) {
    // List entries that exist: the header's count, limited to the list.
    const long long count =
        std::clamp<long long>(model.head()->NumShapekeyVertex, 0, static_cast<long long>(model.shapekeyvertex.size()));
    entryOffset_.assign(static_cast<size_t>(count), math::Float3{0.0f, 0.0f, 0.0f});
    forEachRow(model, kind, span, static_cast<int>(count),
               [this](int entry, math::Float3 d) { entryOffset_[static_cast<size_t>(entry)] = d; });
    for (long long s = count - 1; s >= 0; --s) {
        const int32_t identity = model.shapekeyvertex[static_cast<size_t>(s)];
        if (identity >= 0 && static_cast<size_t>(identity) < listPosition_.size()) {
            listPosition_[static_cast<size_t>(identity)] = static_cast<int>(s);
        }
    }
}

math::Float3 ShapekeySampler::displacement(int identity) const {
    if (identity < 0 || static_cast<size_t>(identity) >= listPosition_.size()) return {0.0f, 0.0f, 0.0f};
    const int entry = listPosition_[static_cast<size_t>(identity)];
    return entry < 0 ? math::Float3{0.0f, 0.0f, 0.0f} : entryOffset_[static_cast<size_t>(entry)];
}

}  // namespace korvel::instance
