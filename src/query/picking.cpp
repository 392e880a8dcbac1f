#include "query/picking.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

// Faces are tested a block at a time: their corners copied out side by side,
// then every face of the block through the two-sided test and the facing test
// in one loop without branches, which the compiler turns into vector
// instructions, then the block's counted hits scanned in face order.
constexpr int kFaceBlock = 64;

struct FaceBlock {
    Point4 corner0[kFaceBlock];
    Point4 corner1[kFaceBlock];
    Point4 corner2[kFaceBlock];
    uint32_t valid[kFaceBlock];  // all ones when every corner is a vertex of the model
    // The distance of a counted hit: the face is hit and faces against the
    // ray. +infinity otherwise, which no best distance exceeds.
    float distance[kFaceBlock];
};

struct FaceRay {
    math::Float3 origin;
    math::Float3 direction;
};

// A face naming a vertex outside the model takes the zero entry after the
// last vertex for it and is marked invalid, as is the rest of a block that
// holds fewer than kFaceBlock faces.
void gatherCorners(const model::Obj3dFace* faces, int count, const Point4* positions, uint32_t vertices,
                   FaceBlock& block) {
    std::fill(block.valid + count, block.valid + kFaceBlock, 0u);
    for (int i = 0; i < count; ++i) {
        const int32_t* corner = faces[i].vertexno;
        const uint32_t c0 = static_cast<uint32_t>(corner[0]);
        const uint32_t c1 = static_cast<uint32_t>(corner[1]);
        const uint32_t c2 = static_cast<uint32_t>(corner[2]);
        const bool inside0 = c0 < vertices, inside1 = c1 < vertices, inside2 = c2 < vertices;
        block.valid[i] = maskOf(inside0 & inside1 & inside2);
        block.corner0[i] = positions[inside0 ? c0 : vertices];
        block.corner1[i] = positions[inside1 ? c1 : vertices];
        block.corner2[i] = positions[inside2 ? c2 : vertices];
    }
}

// rayTriangle and the facing test of rayPickImage for every face of the block,
// spelled out component by component in the same operations and order.
// Whether any counted hit is nearer than `best`.
bool testFaces(const FaceRay& ray, float best, FaceBlock& block) {
    const float ox = ray.origin.x, oy = ray.origin.y, oz = ray.origin.z;
    const float dx = ray.direction.x, dy = ray.direction.y, dz = ray.direction.z;
    constexpr uint32_t kInfinityBits = 0x7f800000u;
    uint32_t nearer = 0;
    for (int i = 0; i < kFaceBlock; ++i) {
        const Point4& p0 = block.corner0[i];
        const Point4& p1 = block.corner1[i];
        const Point4& p2 = block.corner2[i];
        const float x0 = p0.lane[0], y0 = p0.lane[1], z0 = p0.lane[2];
        const float e1x = p1.lane[0] - x0, e1y = p1.lane[1] - y0, e1z = p1.lane[2] - z0;
        const float e2x = p2.lane[0] - x0, e2y = p2.lane[1] - y0, e2z = p2.lane[2] - z0;
        const float px = dy * e2z - dz * e2y, py = dz * e2x - dx * e2z, pz = dx * e2y - dy * e2x;
        const float det = e1x * px + e1y * py + e1z * pz;
        const float sx = ox - x0, sy = oy - y0, sz = oz - z0;
        const float u = sx * px + sy * py + sz * pz;
        const float qx = sy * e1z - sz * e1y, qy = sz * e1x - sx * e1z, qz = sx * e1y - sy * e1x;
        const float v = dx * qx + dy * qy + dz * qz;
        const float t = e2x * qx + e2y * qy + e2z * qz;
        const float nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
        const uint32_t front = maskOf(det >= kRayTriangleEpsilon);
        const uint32_t back = maskOf(det <= -kRayTriangleEpsilon);
        const uint32_t outFront =
            maskOf(u < 0.0f) | maskOf(u > det) | maskOf(v < 0.0f) | maskOf(u + v > det) | maskOf(t < 0.0f);
        const uint32_t outBack =
            maskOf(u > 0.0f) | maskOf(u < det) | maskOf(v > 0.0f) | maskOf(u + v < det) | maskOf(t > 0.0f);
        const uint32_t facing = maskOf(nx * dx + ny * dy + nz * dz < 0.0f);
        const uint32_t counted = ((front & ~outFront) | (back & ~outBack)) & facing & block.valid[i];
        const float distance = t * (1.0f / det);
        block.distance[i] = masked(distance, counted, kInfinityBits);
        nearer |= counted & maskOf(distance < best);
    }
    return nearer != 0;
}

// Kept between calls, so that picking reuses its memory.
thread_local std::vector<Point4> posedPositions;
thread_local FaceBlock faceBlock;

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
    std::vector<Point4>& positions = posedPositions;
    allVertexPositions(*shaped, positions);
    const model::Obj3dModel& model = shaped->pose.model();
    const uint32_t vertices = static_cast<uint32_t>(positions.size() - 1);
    const FaceRay ray{toFloat(origin), toFloat(direction)};

    float best = 1e10f;
    int bestFace = -1;
    FaceBlock& block = faceBlock;
    const int faces = faceCount(model);
    for (int first = 0; first < faces; first += kFaceBlock) {
        const int count = std::min(kFaceBlock, faces - first);
        gatherCorners(model.face.data() + first, count, positions.data(), vertices, block);
        if (!testFaces(ray, best, block)) continue;
        for (int i = 0; i < count; ++i) {
            if (block.distance[i] < best) {
                best = block.distance[i];
                bestFace = first + i;
            }
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
