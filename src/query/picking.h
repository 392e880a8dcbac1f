// World, screen and model positions: projection through a camera both
// ways, the two-sided ray-triangle test, the nearest front-facing triangle of
// a posed instance along a ray, and measuring and picking a model in its own
// space (its stored positions, with no instance transform and no pose).
#pragma once

#include <optional>

#include "math/types.h"
#include "math/vector.h"

namespace korvel::query {

// What the conversions read of the camera and the screen.
struct ScreenCamera {
    math::Matrix view;
    math::Matrix projection;
    float nearZ;
    float farZ;
    float width;   // pixels
    float height;  // pixels
};

struct ScreenPosition {
    int x;
    int y;
    double depth;  // clip z / w
};

// Projects a world point: pixel coordinates truncated toward zero, no
// clipping. A coordinate that is not finite or does not fit an int becomes
// INT32_MIN.
ScreenPosition worldToScreen(const ScreenCamera& camera, math::Float3 world);

// A world point projected without truncation: pixel x, y as floats, clip
// depth z / w, and the view-space z.
struct ProjectedPoint {
    float x;
    float y;
    float depth;
    float viewZ;
};
ProjectedPoint project(const ScreenCamera& camera, math::Float3 world);

// The world points under pixel (x, y) on the near and on the far plane: the
// clip vectors (ndc x, ndc y, 0, 1) x wn and (ndc x, ndc y, 1, 1) x wf
// through the inverse projection and the inverse view, without a divide by
// w, where wn and wf are the clip w of view points at the near and the far
// distance (near x m23 + m33, far x m23 + m33): the distances themselves
// for a perspective projection (clip w = view z), 1 for an orthographic one.
void screenToWorld(const ScreenCamera& camera, int x, int y, math::Float3& nearPoint, math::Float3& farPoint);

// The library's camera and screen size, as the conversions read them.
ScreenCamera currentScreenCamera();

inline constexpr float kRayTriangleEpsilon = 1e-20f;

// The ray parameter t of the point where origin + t x direction meets
// triangle p0, p1, p2 from either side, or none. Edges, corners and t = 0
// count as hits; a ray parallel to the plane (|det| below 1e-20) never hits.
inline std::optional<float> rayTriangle(math::Float3 origin, math::Float3 direction, math::Float3 p0, math::Float3 p1,
                                        math::Float3 p2) {
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

struct RayHit {
    int face = -1;
    double distance = 1e10;
};

// Evaluates every vertex of instance `image` at (motion, frame) with the
// shape key (shapekey, shapekeyframe) applied when shapekey is 0 or more, and
// tests every face in order: a hit counts when it is strictly nearer than the
// best so far (first 1e10) and the face's winding normal points against the
// ray. False, with `hit` untouched, when the query cannot be evaluated (see
// ShapedPose::make). A face naming a vertex outside the model is skipped.
bool rayPickImage(const double origin[3], const double direction[3], int image, int shapekey, int shapekeyframe,
                  int motion, int frame, RayHit& hit);

// Within this distance of the segment's line a vertex is picked (model units).
inline constexpr float kSegmentPickDistance = 0.05f;
// Within this squared distance of the pixel a projected vertex is picked.
inline constexpr float kScreenPickSquaredPixels = 18.0f;

// Sphere from points over every vertex record (split copies included); none
// for an empty model slot or a model without vertices.
std::optional<math::Sphere> modelSphere(int model);

// The unsplit vertex within 0.05 of the line through start and end that lies
// between them (fraction 0 <= t <= 1) nearest to start, strictly before the
// end; -1 when none, when the model is missing, or when start equals end.
int segmentVertexPick(const double start[3], const double end[3], int model);

// The face whose two-sided ray hit along the segment is nearest to start,
// no further than end, and whose winding normal turns towards start; -1 when
// none. A face naming a vertex outside the model is skipped.
int segmentFacePick(const double start[3], const double end[3], int model);

// The unsplit vertex (shape key applied when shapekey is 0 or more) inside
// the camera's depth range whose projection lies within 18 square pixels of
// pixel (x, y), nearest the camera by clip depth below 1; -1 when none, when
// the model is missing, or when the shape key is not one the model's tables
// can give.
int screenVertexPick(const ScreenCamera& camera, int x, int y, int model, int shapekey, int shapekeyframe);

}  // namespace korvel::query
