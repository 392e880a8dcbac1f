#include "instance/pose.h"

#include "instance/key_search.h"
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
        const math::Matrix local =
            localJointMatrix({joint.parentposx, joint.parentposy, joint.parentposz}, s, q, t);
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

}  // namespace korvel::instance
