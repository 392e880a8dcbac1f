#pragma once

// An independent double-precision evaluation of the pose rules, written from
// their definitions: clamped key search, slerp the short way, local joint
// matrix translation(-rest) x scale x rotation x translation(key), chained to
// the parent.

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "instance/test_models.h"

namespace korvel::testing {

struct DMatrix {
    double m[4][4] = {};
};

inline DMatrix dIdentity() {
    DMatrix r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0;
    return r;
}

inline DMatrix dMultiply(const DMatrix& a, const DMatrix& b) {
    DMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

inline std::array<double, 3> dTransform(const std::array<double, 3>& p, const DMatrix& m) {
    std::array<double, 3> r{};
    for (int j = 0; j < 3; ++j) r[j] = p[0] * m.m[0][j] + p[1] * m.m[1][j] + p[2] * m.m[2][j] + m.m[3][j];
    return r;
}

using DQuat = std::array<double, 4>;  // x, y, z, w

inline DQuat dSlerp(DQuat a, DQuat b, double t) {
    double c = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    const double sign = c < 0 ? -1.0 : 1.0;
    c *= sign;
    double s0 = 1 - t, s1 = t;
    if (c < 0.99999) {
        const double omega = std::acos(c);
        s0 = std::sin((1 - t) * omega) / std::sin(omega);
        s1 = std::sin(t * omega) / std::sin(omega);
    }
    DQuat r;
    for (int i = 0; i < 4; ++i) r[i] = a[i] * s0 + b[i] * s1 * sign;
    return r;
}

// translation(-rest) x scale(s) x rotation(q) x translation(t).
inline DMatrix dLocal(const std::array<double, 3>& rest, const std::array<double, 3>& s, const DQuat& q,
                      const std::array<double, 3>& t) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    DMatrix rot = dIdentity();
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)},
                            {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)},
                            {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) rot.m[i][j] = r[i][j];
    DMatrix toOrigin = dIdentity(), scale = dIdentity(), move = dIdentity();
    for (int i = 0; i < 3; ++i) {
        toOrigin.m[3][i] = -rest[i];
        scale.m[i][i] = s[i];
        move.m[3][i] = t[i];
    }
    return dMultiply(dMultiply(dMultiply(toOrigin, scale), rot), move);
}

struct DSpan {
    int lo, hi;
    double u;
};

inline DSpan dSearch(const std::vector<int32_t>& frames, int frame) {
    const int n = static_cast<int>(frames.size());
    const double f = std::max(frame, frames.front());
    const auto exact = std::find(frames.begin(), frames.end(), static_cast<int32_t>(f));
    if (exact != frames.end()) {
        const int k = static_cast<int>(exact - frames.begin());
        return {k, k, 0.0};
    }
    const int hi = static_cast<int>(std::upper_bound(frames.begin(), frames.end(), f) - frames.begin());
    if (hi >= n) return {n - 1, n - 1, 0.0};
    return {hi - 1, hi, (f - frames[hi - 1]) / (frames[hi] - frames[hi - 1])};
}

// Chained joint matrices of motion `motion` at `frame`.
inline std::vector<DMatrix> referenceJoints(const ModelBlueprint& blueprint, int motion, int frame) {
    const model::Obj3dMotion& mo = blueprint.motions[motion];
    const std::vector<int32_t> frames(blueprint.frameno.begin() + mo.firstframe,
                                      blueprint.frameno.begin() + mo.firstframe + mo.numframe);
    const DSpan span = dSearch(frames, frame);
    std::vector<DMatrix> g(blueprint.joints.size());
    for (size_t j = 0; j < blueprint.joints.size(); ++j) {
        const model::Obj3dKeyframe& a = blueprint.keyframes[mo.firstkey + j * mo.numframe + span.lo];
        const model::Obj3dKeyframe& b = blueprint.keyframes[mo.firstkey + j * mo.numframe + span.hi];
        const double u = span.u;
        auto mix = [u](double p, double q) { return p + u * (q - p); };
        const std::array<double, 3> s{mix(a.scalex, b.scalex), mix(a.scaley, b.scaley), mix(a.scalez, b.scalez)};
        const std::array<double, 3> t{mix(a.transx, b.transx), mix(a.transy, b.transy), mix(a.transz, b.transz)};
        const DQuat q = span.lo == span.hi ? DQuat{a.rot4x, a.rot4y, a.rot4z, a.rot4w}
                                           : dSlerp({a.rot4x, a.rot4y, a.rot4z, a.rot4w},
                                                    {b.rot4x, b.rot4y, b.rot4z, b.rot4w}, u);
        const model::Obj3dJoint& joint = blueprint.joints[j];
        const DMatrix local = dLocal({joint.parentposx, joint.parentposy, joint.parentposz}, s, q, t);
        const int parent = joint.parentjointno;
        const bool root = j == 0 || parent < 0 || parent >= static_cast<int>(j);
        g[j] = root ? local : dMultiply(local, g[parent]);
    }
    return g;
}

}  // namespace korvel::testing
