#include "query/model_picks.h"

#include "instance/shapekey.h"
#include "math/bounds.h"
#include "math/vector.h"
#include "query/instance_pose.h"
#include "query/ray_triangle.h"

namespace korvel::query {

namespace {

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
