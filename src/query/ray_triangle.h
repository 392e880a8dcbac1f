// The two-sided ray-triangle test shared by instance and model picking.
#pragma once

#include <optional>

#include "math/types.h"
#include "math/vector.h"

namespace korvel::query {

inline constexpr float kRayTriangleEpsilon = 1e-20f;

// The ray parameter t of the point where origin + t x direction meets
// triangle p0, p1, p2 from either side, or none. Edges, corners and t = 0
// count as hits; a ray parallel to the plane (|det| below 1e-20) never hits.
inline std::optional<float> rayTriangle(math::Float3 origin, math::Float3 direction, math::Float3 p0,
                                        math::Float3 p1, math::Float3 p2) {
    const math::Float3 e1 = p1 - p0;
    const math::Float3 e2 = p2 - p0;
    const math::Float3 p = math::cross(direction, e2);
    const float det = math::dot(e1, p);
    const math::Float3 s = origin - p0;
    const float u = math::dot(s, p);
    const math::Float3 q = math::cross(s, e1);
    const float v = math::dot(direction, q);
    const float t = math::dot(e2, q);
    if (det >= kRayTriangleEpsilon) {
        if (u < 0.0f || u > det || v < 0.0f || u + v > det || t < 0.0f) return std::nullopt;
    } else if (det <= -kRayTriangleEpsilon) {
        if (u > 0.0f || u < det || v > 0.0f || u + v < det || t > 0.0f) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return t * (1.0f / det);
}

}  // namespace korvel::query
