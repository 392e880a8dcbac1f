#include "model/xfile_skeleton.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

#include "model/xfile_patterns.h"
#include "model/xfile_scan.h"

namespace korvel::model::xfile {
namespace {

// Where "Frame " may start on a joint line.
constexpr ptrdiff_t kFrameWordLimit = 50;

std::string jointName(const char* line) {
    const char* frame = std::strstr(line, "Frame ");
    if (frame == nullptr || frame - line >= kFrameWordLimit) return {};
    return nameBefore(line, static_cast<size_t>(frame - line) + 6, '{');
}

// The last joint of each target's name, or -1.
std::vector<int32_t> targetJoints(std::span<const std::string> targets, std::span<const RawJoint> joints) {
    std::unordered_map<std::string_view, int32_t> byName;
    for (size_t j = 0; j < joints.size(); ++j) byName[joints[j].name] = static_cast<int32_t>(j);
    std::vector<int32_t> map(targets.size(), -1);
    for (size_t a = 0; a < targets.size(); ++a)
        if (const auto found = byName.find(targets[a]); found != byName.end()) map[a] = found->second;
    return map;
}

// Reads one animation's keys for joint (or past them when joint is -1).
bool readAnimation(XLines& lines, int32_t n, int32_t joint, float scale, const Obj3dMotion& motion,
                   Obj3dModel& model) {
    lines.skip(5);
    if (lines.count() != n) return false;
    Obj3dKeyframe* keys = joint < 0 ? nullptr : &model.keyframe[static_cast<size_t>(motion.firstkey + joint * n)];
    for (int32_t f = 0; f < n; ++f) {
        lines.next();
        int32_t time = 0, values = 0;
        float w = 0.0f, x = 0.0f, y = 0.0f, z = 0.0f;
        scanLine(lines.line(), pattern::kRotationKey, {&time, &values, &w, &x, &y, &z});
        if (keys == nullptr) continue;
        keys[f].rot4w = w;
        keys[f].rot4x = -x;
        keys[f].rot4y = -y;
        keys[f].rot4z = -z;
        model.frameno[static_cast<size_t>(motion.firstframe + f)] = time;
    }
    for (const bool translation : {false, true}) {
        lines.skip(6);
        for (int32_t f = 0; f < n; ++f) {
            lines.next();
            int32_t time = 0, values = 0;
            float v[3] = {0.0f, 0.0f, 0.0f};
            scanLine(lines.line(), pattern::kVectorKey, {&time, &values, &v[0], &v[1], &v[2]});
            if (keys == nullptr) continue;
            if (translation) {
                keys[f].transx = v[0] * scale;
                keys[f].transy = v[1] * scale;
                keys[f].transz = v[2] * scale;
            } else {
                keys[f].scalex = v[0];
                keys[f].scaley = v[1];
                keys[f].scalez = v[2];
            }
        }
    }
    lines.skip(5);
    return true;
}

void addParentOffsets(std::span<const RawJoint> joints, Obj3dModel& model) {
    const auto motions = static_cast<size_t>(model.head()->NumMotion);
    for (size_t i = 0; i < motions; ++i) {
        const Obj3dMotion& m = model.motion[i];
        for (size_t j = 0; j < joints.size(); ++j) {
            if (joints[j].parent < 0) continue;
            const float* offset = joints[static_cast<size_t>(joints[j].parent)].pos;
            Obj3dKeyframe* keys = &model.keyframe[static_cast<size_t>(m.firstkey) + j * static_cast<size_t>(m.numframe)];
            for (int32_t f = 0; f < m.numframe; ++f) {
                keys[f].transx += offset[0];
                keys[f].transy += offset[1];
                keys[f].transz += offset[2];
            }
        }
    }
}

}  // namespace

bool readJoints(XLines& lines, int32_t numJoint, float scale, std::vector<RawJoint>& joints) {
    joints.assign(static_cast<size_t>(numJoint), RawJoint{});
    lines.until(pattern::kJointRoot);
    lines.skip(6);
    bool more = lines.next();
    int32_t parent = -1;
    int32_t k = 0;
    while (k < numJoint && more && lines.line()[0] != 'A') {
        const char* line = lines.line();
        if (std::strstr(line, pattern::kJointMark) != nullptr) {
            RawJoint& joint = joints[static_cast<size_t>(k)];
            joint.name = jointName(line);
            joint.parent = parent;
            lines.skip(3);
            lines.next();
            float m[16] = {};
            scanLine(lines.line(), pattern::kMatrix,
                     {&m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &m[8], &m[9], &m[10], &m[11], &m[12],
                      &m[13], &m[14], &m[15]});
            for (int c = 0; c < 3; ++c) joint.pos[c] = m[12 + c] * scale;
            parent = k++;
            lines.skip(2);
        } else if (std::strchr(line, '}') != nullptr && parent >= 0) {
            parent = joints[static_cast<size_t>(parent)].parent;
        }
        more = lines.next();
    }
    if (k != numJoint) return false;
    for (RawJoint& joint : joints) {
        if (joint.parent < 0) continue;
        const RawJoint& up = joints[static_cast<size_t>(joint.parent)];
        for (int c = 0; c < 3; ++c) joint.pos[c] += up.pos[c];
    }
    return true;
}

bool readAnimations(XLines& lines, const MotionCounts& counts, std::span<const RawJoint> joints, float scale,
                    Obj3dModel& model) {
    const std::vector<int32_t> map = targetJoints(counts.targets, joints);
    const auto numJoint = static_cast<int32_t>(joints.size());
    size_t i = 0;
    while (lines.next()) {
        if (!matchesPattern(lines.line(), pattern::kAnimationSet)) continue;
        if (i == counts.frames.size()) return false;
        Obj3dMotion& m = model.motion[i];
        if (i > 0) {
            const Obj3dMotion& previous = model.motion[i - 1];
            m.firstframe = previous.firstframe + previous.numframe;
            m.firstkey = previous.firstkey + numJoint * previous.numframe;
        }
        m.numframe = counts.frames[i];
        for (size_t a = 0; a < map.size(); ++a)
            if (!readAnimation(lines, m.numframe, map[a], scale, m, model)) return false;
        ++i;
    }
    if (i != counts.frames.size()) return false;
    addParentOffsets(joints, model);
    return true;
}

}  // namespace korvel::model::xfile
