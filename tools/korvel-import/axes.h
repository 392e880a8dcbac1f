// Scene coordinates to model coordinates: a uniform scale and, for
// right-handed +y-up scenes turned left-handed, z mirrored.
#pragma once

#include <assimp/matrix4x4.h>
#include <assimp/vector3.h>

#include "model.h"

namespace korvel_import {

using Matrix = aiMatrix4x4t<double>;

inline Matrix toDouble(const aiMatrix4x4& m) {
    return Matrix(m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4);
}

class Axes {
public:
    Axes(double scale, bool mirrorZ) : scale_(scale), mirror_(mirrorZ ? -1.0 : 1.0) {}

    Vec3 point(const aiVector3t<double>& p) const { return {p.x * scale_, p.y * scale_, p.z * scale_ * mirror_}; }
    Vec3 direction(const aiVector3t<double>& d) const { return {d.x, d.y, d.z * mirror_}; }
    // The same transform acting on model coordinates: C m C^-1.
    Matrix conjugate(const Matrix& m) const {
        Matrix out = m;
        // The linear part sees the mirror on both sides; the translation is a point.
        out.a3 *= mirror_;
        out.b3 *= mirror_;
        out.c1 *= mirror_;
        out.c2 *= mirror_;
        out.a4 *= scale_;
        out.b4 *= scale_;
        out.c4 *= scale_ * mirror_;
        return out;
    }
    bool mirrors() const { return mirror_ < 0; }

private:
    double scale_;
    double mirror_;
};

}  // namespace korvel_import
