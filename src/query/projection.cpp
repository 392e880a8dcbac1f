#include "query/projection.h"

#include <cstdint>

#include "math/matrix.h"
#include "math/vector.h"

namespace korvel::query {

namespace {

int truncateToInt(float v) {
    if (!(v > -2147483904.0f && v < 2147483648.0f)) return INT32_MIN;
    return static_cast<int>(v);
}

math::Float3 xyz(math::Float4 v) { return {v.x, v.y, v.z}; }

}  // namespace

ProjectedPoint project(const ScreenCamera& camera, math::Float3 world) {
    const math::Float4 view = math::transformPoint(world, camera.view);
    const math::Float4 clip = math::transform(view, camera.projection);
    return {(clip.x / clip.w + 1.0f) * camera.width * 0.5f, (1.0f - clip.y / clip.w) * camera.height * 0.5f,
            clip.z / clip.w, view.z};
}

ScreenPosition worldToScreen(const ScreenCamera& camera, math::Float3 world) {
    const ProjectedPoint p = project(camera, world);
    return {truncateToInt(p.x), truncateToInt(p.y), p.depth};
}

void screenToWorld(const ScreenCamera& camera, int x, int y, math::Float3& nearPoint, math::Float3& farPoint) {
    const float halfWidth = camera.width * 0.5f;
    const float halfHeight = camera.height * 0.5f;
    const float ndcX = (static_cast<float>(x) - halfWidth) / halfWidth;
    const float ndcY = -(static_cast<float>(y) - halfHeight) / halfHeight;
    const math::Matrix inverseProjection = math::inverse(camera.projection);
    const math::Matrix inverseView = math::inverse(camera.view);
    auto unproject = [&](math::Float4 clip) {
        return xyz(math::transform(math::transform(clip, inverseProjection), inverseView));
    };
    // The clip w of a view point at distance z: z for a perspective
    // projection (the near and far distances themselves), 1 for an
    // orthographic one.
    const math::Matrix& p = camera.projection;
    const float n = camera.nearZ * p.m[2][3] + p.m[3][3];
    const float f = camera.farZ * p.m[2][3] + p.m[3][3];
    nearPoint = unproject({ndcX * n, ndcY * n, 0.0f, n});
    farPoint = unproject({ndcX * f, ndcY * f, f, f});
}

}  // namespace korvel::query
