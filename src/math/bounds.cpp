#include "math/bounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "math/vector.h"

namespace korvel::math {

namespace {

Float3 loadPoint(const unsigned char* base, size_t index, size_t strideBytes) {
    Float3 p;
    std::memcpy(&p, base + index * strideBytes, sizeof p);
    return p;
}

}  // namespace

Aabox aaboxFromPoints(size_t count, const Float3* points) {
    if (count == 0) {
        return {{0, 0, 0}, {0, 0, 0}};
    }
    Float3 lo = points[0];
    Float3 hi = points[0];
    for (size_t i = 1; i < count; ++i) {
        const Float3 p = points[i];
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return {(lo + hi) * 0.5f, (hi - lo) * 0.5f};
}

Sphere sphereFromPoints(size_t count, const void* firstPoint, size_t strideBytes) {
    if (count == 0) {
        return {{0, 0, 0}, 0};
    }
    const auto* base = static_cast<const unsigned char*>(firstPoint);

    // Pass 1: the points with the smallest and largest coordinate on each axis;
    // ties keep the earlier point.
    const Float3 first = loadPoint(base, 0, strideBytes);
    Float3 minX = first, maxX = first, minY = first, maxY = first, minZ = first, maxZ = first;
    for (size_t i = 1; i < count; ++i) {
        const Float3 p = loadPoint(base, i, strideBytes);
        if (p.x < minX.x) minX = p;
        if (p.x > maxX.x) maxX = p;
        if (p.y < minY.y) minY = p;
        if (p.y > maxY.y) maxY = p;
        if (p.z < minZ.z) minZ = p;
        if (p.z > maxZ.z) maxZ = p;
    }
    const float dx = length(maxX - minX);
    const float dy = length(maxY - minY);
    const float dz = length(maxZ - minZ);
    Float3 a = minZ;
    Float3 b = maxZ;
    if (dx > dy && dx > dz) {
        a = minX;
        b = maxX;
    } else if (dy >= dx && dy > dz) {
        a = minY;
        b = maxY;
    }
    Float3 center = (a + b) * 0.5f;
    float radius = length(b - a) * 0.5f;

    // Pass 2: grow the sphere just enough to take in each point outside it.
    for (size_t i = 0; i < count; ++i) {
        const Float3 offset = loadPoint(base, i, strideBytes) - center;
        const float d = length(offset);
        if (d > radius) {
            const float grown = (radius + d) * 0.5f;
            center = center + offset * (1.0f - grown / d);
            radius = grown;
        }
    }
    return {center, radius};
}

}  // namespace korvel::math
