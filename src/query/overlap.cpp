#include "query/overlap.h"

#include <cmath>

#include "instance/image3d.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::query {

namespace {

bool apartOnAxis(float centerA, float extentA, float centerB, float extentB) {
    return centerB + extentB < centerA - extentA || centerA + extentA < centerB - extentB;
}

const math::Obox* presentObox(int image, int part) {
    const instance::Image3dInstance* record = instance::image3d(image);
    const instance::Partinfo* info = record != nullptr ? record->part(part) : nullptr;
    return info != nullptr && info->obox.extents.x > 0.0f ? &info->obox : nullptr;
}

}  // namespace

bool aaboxOverlap(const math::Aabox& a, const math::Aabox& b) {
    return !(apartOnAxis(a.center.x, a.extents.x, b.center.x, b.extents.x) ||
             apartOnAxis(a.center.y, a.extents.y, b.center.y, b.extents.y) ||
             apartOnAxis(a.center.z, a.extents.z, b.center.z, b.extents.z));
}

bool oboxOverlap(const math::Obox& a, const math::Obox& b) {
    // b's axes in a's frame are the rows of the relative rotation.
    const math::Matrix r =
        math::matrixFromQuaternion(math::compose(b.orientation, math::conjugate(a.orientation)));
    const math::Float3 axesB[3] = {{r.m[0][0], r.m[0][1], r.m[0][2]},
                                   {r.m[1][0], r.m[1][1], r.m[1][2]},
                                   {r.m[2][0], r.m[2][1], r.m[2][2]}};
    const math::Float3 axesA[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const math::Float3 t = math::inverseRotate(b.center - a.center, a.orientation);
    const float hA[3] = {a.extents.x, a.extents.y, a.extents.z};
    const float hB[3] = {b.extents.x, b.extents.y, b.extents.z};

    auto separates = [&](math::Float3 axis) {
        float rA = 0.0f;
        float rB = 0.0f;
        for (int i = 0; i < 3; ++i) {
            rA += hA[i] * std::fabs(math::dot(axesA[i], axis));
            rB += hB[i] * std::fabs(math::dot(axesB[i], axis));
        }
        return std::fabs(math::dot(t, axis)) > rA + rB;
    };

    bool separated = false;
    for (const math::Float3& axis : axesA) separated |= separates(axis);
    for (const math::Float3& axis : axesB) separated |= separates(axis);
    for (const math::Float3& axisA : axesA)
        for (const math::Float3& axisB : axesB) separated |= separates(math::cross(axisA, axisB));
    return !separated;
}

int intersectImageAaboxes(int imageA, int imageB) {
    const instance::Image3dInstance* a = instance::image3d(imageA);
    const instance::Image3dInstance* b = instance::image3d(imageB);
    if (a == nullptr || b == nullptr || !(a->aabox.extents.x > 0.0f) || !(b->aabox.extents.x > 0.0f)) return -1;
    return aaboxOverlap(a->aabox, b->aabox) ? 1 : 0;
}

int intersectImageOboxes(int imageA, int partA, int imageB, int partB) {
    const math::Obox* a = presentObox(imageA, partA);
    const math::Obox* b = presentObox(imageB, partB);
    if (a == nullptr || b == nullptr) return -1;
    return oboxOverlap(*a, *b) ? 1 : 0;
}

}  // namespace korvel::query
