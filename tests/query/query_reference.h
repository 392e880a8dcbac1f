#pragma once

// Double-precision reference for the CPU evaluation of instances: the world
// matrix from scale, pitch-yaw-roll and translation, and skinned vertices.

#include <array>
#include <cmath>

#include "instance/image3d.h"
#include "instance/pose_reference.h"

namespace korvel::testing {

inline DMatrix dPlacement(const instance::Partinfo& p) {
    const double hp = p.rotx / 2.0, hy = p.roty / 2.0, hr = p.rotz / 2.0;
    const double sp = std::sin(hp), cp = std::cos(hp), sy = std::sin(hy), cy = std::cos(hy);
    const double sr = std::sin(hr), cr = std::cos(hr);
    const DQuat q{sp * cy * cr + cp * sy * sr, cp * sy * cr - sp * cy * sr, cp * cy * sr - sp * sy * cr,
                  cp * cy * cr + sp * sy * sr};
    return dLocal({0, 0, 0}, {p.scalex, p.scaley, p.scalez}, q, {p.transx, p.transy, p.transz});
}

// Vertex v of `blueprint`, displaced by `shift`, skinned by `joints` (already
// multiplied by the world matrix).
inline std::array<double, 3> dSkinned(const ModelBlueprint& blueprint, int v, const std::vector<DMatrix>& joints,
                                      std::array<double, 3> shift = {0, 0, 0}) {
    const model::Obj3dVertex& vertex = blueprint.vertices[v];
    const std::array<double, 3> p{vertex.posx + shift[0], vertex.posy + shift[1], vertex.posz + shift[2]};
    const model::Obj3dWeight& w = blueprint.weights[v];
    std::array<double, 3> out{};
    const std::array<double, 3> a = dTransform(p, joints[w.jointno0]);
    for (int i = 0; i < 3; ++i) out[i] = w.weight0 * a[i];
    if (w.jointno1 >= 0) {
        const std::array<double, 3> b = dTransform(p, joints[w.jointno1]);
        for (int i = 0; i < 3; ++i) out[i] += w.weight1 * b[i];
    }
    return out;
}

// The reference joints of (motion, frame) with the world matrix folded in.
inline std::vector<DMatrix> dWorldJoints(const ModelBlueprint& blueprint, int motion, int frame,
                                         const instance::Partinfo& whole) {
    std::vector<DMatrix> joints = referenceJoints(blueprint, motion, frame);
    const DMatrix world = dPlacement(whole);
    for (DMatrix& joint : joints) joint = dMultiply(joint, world);
    return joints;
}

}  // namespace korvel::testing
