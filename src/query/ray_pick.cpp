#include "query/ray_pick.h"

#include "math/vector.h"
#include "query/ray_triangle.h"
#include "query/vertex_positions.h"

namespace korvel::query {

namespace {

math::Float3 toFloat(const double v[3]) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

}  // namespace

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

}  // namespace korvel::query
