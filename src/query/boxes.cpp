#include "query/boxes.h"

#include <cmath>
#include <limits>
#include <vector>

#include "math/bounds.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "query/instance_pose.h"

namespace korvel::query {

namespace {

struct Run {
    size_t first = 0;
    size_t count = 0;
};

// The evaluated unsplit vertices, and per part the run of them that the part
// owns: it starts at the part's first point and is as long as its count.
struct EvaluatedPoints {
    std::vector<math::Float3> points;
    std::vector<Run> runs;
};

EvaluatedPoints evaluateUnsplit(const InstancePose& pose) {
    const model::Obj3dModel& model = pose.model();
    const int vertices = vertexCount(model);
    EvaluatedPoints out;
    out.points.reserve(static_cast<size_t>(vertices));
    out.runs.resize(static_cast<size_t>(pose.image().numpart));
    for (int v = 0; v < vertices; ++v) {
        const model::Obj3dVertex& vertex = model.vertex[v];
        if (!isUnsplit(vertex)) continue;
        if (vertex.partno >= 0 && static_cast<size_t>(vertex.partno) < out.runs.size()) {
            Run& run = out.runs[vertex.partno];
            if (run.count++ == 0) run.first = out.points.size();
        }
        out.points.push_back(pose.evaluate(v, {vertex.posx, vertex.posy, vertex.posz}));
    }
    return out;
}

// A box fitted to points exists, but its x extent may be 0 (every point in
// one plane of constant x, or a single point), which reads as "no box".
// Such a box gets the smallest normal float as its x extent.
template <class Box>
Box present(Box box) {
    if (box.extents.x == 0.0f) box.extents.x = std::numeric_limits<float>::min();
    return box;
}

void writePartAabox(const PartAaboxes& out, size_t p, const math::Aabox& box) {
    out.centerx[p] = box.center.x;
    out.centery[p] = box.center.y;
    out.centerz[p] = box.center.z;
    out.extentx[p] = box.extents.x;
    out.extenty[p] = box.extents.y;
    out.extentz[p] = box.extents.z;
}

bool apartOnAxis(float centerA, float extentA, float centerB, float extentB) {
    return centerB + extentB < centerA - extentA || centerA + extentA < centerB - extentB;
}

const math::Obox* presentObox(int image, int part) {
    const instance::Image3dInstance* record = instance::image3d(image);
    const instance::Partinfo* info = record != nullptr ? record->part(part) : nullptr;
    return info != nullptr && info->obox.extents.x > 0.0f ? &info->obox : nullptr;
}

}  // namespace

void fitBoxes(int image, int motion, int frame, int selector, const PartAaboxes* parts) {
    const std::optional<InstancePose> pose = InstancePose::make(image, motion, frame);
    if (!pose) return;
    const EvaluatedPoints evaluated = evaluateUnsplit(*pose);
    instance::Image3dInstance& record = pose->image();

    if (selector != kOboxesOnly) {
        const std::vector<math::Float3>& points = evaluated.points;
        record.aabox = points.empty() ? math::Aabox{{0, 0, 0}, {-1, -1, -1}}
                                      : present(math::aaboxFromPoints(points.size(), points.data()));
    }
    for (size_t p = 0; p < evaluated.runs.size(); ++p) {
        const Run& run = evaluated.runs[p];
        const math::Float3* first = evaluated.points.data() + run.first;
        if (selector != kAaboxOnly) {
            math::Obox& box = record.part(static_cast<long long>(p))->obox;
            if (run.count == 0) {
                box.extents.x = -1.0f;
            } else {
                box = present(math::oboxFromPoints(run.count, first));
            }
        }
        if (parts != nullptr) {
            if (run.count == 0) {
                parts->extentx[p] = -1.0;
            } else {
                writePartAabox(*parts, p, present(math::aaboxFromPoints(run.count, first)));
            }
        }
    }
}

void translateBoxes(int image, const double offset[3]) {
    instance::Image3dInstance* record = instance::image3d(image);
    if (record == nullptr || offset == nullptr) return;
    const math::Float3 move{static_cast<float>(offset[0]), static_cast<float>(offset[1]),
                            static_cast<float>(offset[2])};
    record->aabox.center = record->aabox.center + move;
    for (int p = 0; p < record->numpart; ++p) {
        math::Obox& box = record->part(p)->obox;
        if (box.extents.x > 0.0f) box.center = box.center + move;
    }
}

void getAabox(int image, double center[3], double extents[3]) {
    const instance::Image3dInstance* record = instance::image3d(image);
    if (record == nullptr || center == nullptr || extents == nullptr) return;
    const math::Aabox& box = record->aabox;
    center[0] = box.center.x;
    center[1] = box.center.y;
    center[2] = box.center.z;
    extents[0] = box.extents.x;
    extents[1] = box.extents.y;
    extents[2] = box.extents.z;
}

void getOboxes(int image, const PartOboxes& out) {
    const instance::Image3dInstance* record = instance::image3d(image);
    if (record == nullptr) return;
    for (int p = 0; p < record->numpart; ++p) {
        const math::Obox& box = record->part(p)->obox;
        out.centerx[p] = box.center.x;
        out.centery[p] = box.center.y;
        out.centerz[p] = box.center.z;
        out.extentx[p] = box.extents.x;
        out.extenty[p] = box.extents.y;
        out.extentz[p] = box.extents.z;
        out.orientx[p] = box.orientation.x;
        out.orienty[p] = box.orientation.y;
        out.orientz[p] = box.orientation.z;
        out.orientw[p] = box.orientation.w;
    }
}

bool aaboxOverlap(const math::Aabox& a, const math::Aabox& b) {
    return !(apartOnAxis(a.center.x, a.extents.x, b.center.x, b.extents.x) ||
             apartOnAxis(a.center.y, a.extents.y, b.center.y, b.extents.y) ||
             apartOnAxis(a.center.z, a.extents.z, b.center.z, b.extents.z));
}

bool oboxOverlap(const math::Obox& a, const math::Obox& b) {
    // b's axes in a's frame are the rows of the relative rotation.
    const math::Matrix r = math::matrixFromQuaternion(math::compose(b.orientation, math::conjugate(a.orientation)));
    const math::Float3 axesB[3] = {
        {r.m[0][0], r.m[0][1], r.m[0][2]}, {r.m[1][0], r.m[1][1], r.m[1][2]}, {r.m[2][0], r.m[2][1], r.m[2][2]}};
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
