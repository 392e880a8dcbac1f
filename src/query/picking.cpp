#include "query/picking.h"

#include <cstdint>

#include "device/camera.h"
#include "math/bounds.h"
#include "math/matrix.h"
#include "query/instance_pose.h"

namespace korvel::query {

namespace {

int truncateToInt(float v) {
    if (!(v > -2147483904.0f && v < 2147483648.0f)) return INT32_MIN;
    return static_cast<int>(v);
}

math::Float3 xyz(math::Float4 v) { return {v.x, v.y, v.z}; }

math::Float3 toFloat(const double v[3]) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

math::Float3 position(const model::Obj3dVertex& v) { return {v.posx, v.posy, v.posz}; }

// The segment from start to end: its start, unit direction and length.
struct Segment {
    math::Float3 start;
    math::Float3 unit;
    float length;
};

Segment segmentOf(const double start[3], const double end[3]) {
    const double d[3] = {end[0] - start[0], end[1] - start[1], end[2] - start[2]};
    const math::Float3 along = toFloat(d);
    return {toFloat(start), math::normalize(along), math::length(along)};
}

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

ScreenCamera currentScreenCamera() {
    const device::CameraState& state = device::camera();
    const device::ScreenSize& screen = device::screenSize();
    return {state.viewMatrix,
            state.projectionMatrix,
            static_cast<float>(state.nearZ),
            static_cast<float>(state.farZ),
            static_cast<float>(screen.width),
            static_cast<float>(screen.height)};
}

bool rayPickImage(const double origin[3], const double direction[3], int image, int shapekey, int shapekeyframe,
                  int motion, int frame, RayHit& hit) {
    const std::optional<ShapedPose> shaped = ShapedPose::make(image, shapekey, shapekeyframe, motion, frame);
    if (!shaped) return false;
    const math::Float3 from = toFloat(origin);
    const math::Float3 along = toFloat(direction);
    const std::vector<math::Float3> positions = allVertexPositions(*shaped);
    const model::Obj3dModel& model = shaped->pose.model();
    const int vertices = static_cast<int>(positions.size());

    float best = 1e10f;
    int bestFace = -1;
    const int faces = faceCount(model);
    for (int f = 0; f < faces; ++f) {
        const int32_t* corner = faceCorners(model, f, vertices);
        if (corner == nullptr) continue;
        const math::Float3 p0 = positions[corner[0]];
        const math::Float3 p1 = positions[corner[1]];
        const math::Float3 p2 = positions[corner[2]];
        const std::optional<float> d = rayTriangle(from, along, p0, p1, p2);
        if (!d || !(*d < best)) continue;
        if (math::dot(math::cross(p1 - p0, p2 - p0), along) < 0.0f) {
            best = *d;
            bestFace = f;
        }
    }
    hit.face = bestFace;
    hit.distance = best;
    return true;
}

std::optional<math::Sphere> modelSphere(int model) {
    const model::Obj3dModel* source = model::completeModel(model);
    if (source == nullptr) return std::nullopt;
    const int vertices = vertexCount(*source);
    if (vertices == 0) return std::nullopt;
    return math::sphereFromPoints(static_cast<size_t>(vertices), &source->vertex[0].posx, sizeof(model::Obj3dVertex));
}

int segmentVertexPick(const double start[3], const double end[3], int model) {
    const model::Obj3dModel* source = model::completeModel(model);
    if (source == nullptr) return -1;
    const Segment segment = segmentOf(start, end);
    float best = 1.0f;
    int result = -1;
    const int vertices = vertexCount(*source);
    for (int v = 0; v < vertices; ++v) {
        const model::Obj3dVertex& vertex = source->vertex[v];
        if (!isUnsplit(vertex)) continue;
        const math::Float3 w = position(vertex) - segment.start;
        const float s = math::dot(w, segment.unit);
        if (!(math::length(w - segment.unit * s) <= kSegmentPickDistance)) continue;
        const float t = s / segment.length;
        if (t >= 0.0f && t <= 1.0f && t < best) {
            best = t;
            result = v;
        }
    }
    return result;
}

int segmentFacePick(const double start[3], const double end[3], int model) {
    const model::Obj3dModel* source = model::completeModel(model);
    if (source == nullptr) return -1;
    const Segment segment = segmentOf(start, end);
    const int vertices = vertexCount(*source);
    const int faces = faceCount(*source);
    float best = 1e8f;
    int result = -1;
    for (int f = 0; f < faces; ++f) {
        const int32_t* corner = faceCorners(*source, f, vertices);
        if (corner == nullptr) continue;
        const math::Float3 p0 = position(source->vertex[corner[0]]);
        const math::Float3 p1 = position(source->vertex[corner[1]]);
        const math::Float3 p2 = position(source->vertex[corner[2]]);
        const std::optional<float> d = rayTriangle(segment.start, segment.unit, p0, p1, p2);
        if (!d || !(*d <= segment.length) || !(*d < best)) continue;
        if (math::dot(math::cross(p1 - p0, p2 - p0), segment.unit) < 0.0f) {
            best = *d;
            result = f;
        }
    }
    return result;
}

int screenVertexPick(const ScreenCamera& camera, int x, int y, int model, int shapekey, int shapekeyframe) {
    const model::Obj3dModel* source = model::completeModel(model);
    if (source == nullptr) return -1;
    std::optional<instance::ShapekeySampler> shape;
    if (shapekey >= 0) {
        shape = instance::ShapekeySampler::make(*source, shapekey, shapekeyframe);
        if (!shape) return -1;
    }
    const float px = static_cast<float>(x);
    const float py = static_cast<float>(y);
    float best = 1.0f;
    int result = -1;
    const int vertices = vertexCount(*source);
    for (int v = 0; v < vertices; ++v) {
        const model::Obj3dVertex& vertex = source->vertex[v];
        if (!isUnsplit(vertex)) continue;
        math::Float3 p = position(vertex);
        if (shape) p = p + shape->displacement(v);
        const ProjectedPoint screen = project(camera, p);
        if (!(screen.viewZ >= camera.nearZ && screen.viewZ <= camera.farZ)) continue;
        const float dx = px - screen.x;
        const float dy = py - screen.y;
        if (dx * dx + dy * dy <= kScreenPickSquaredPixels && screen.depth < best) {
            best = screen.depth;
            result = v;
        }
    }
    return result;
}

}  // namespace korvel::query
