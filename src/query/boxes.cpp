#include "query/boxes.h"

#include <cmath>
#include <limits>
#include <vector>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

#include "math/bounds.h"
#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "query/instance_pose.h"

namespace korvel::query {

namespace {

// The posed unsplit vertices, in vertex order, and per part the run of them
// that the part owns: it starts at the part's first point and is as long as
// its count. A part whose points lie in one unbroken stretch has its run's
// coordinate sums (in double, point by point) taken while posing; a part
// whose points are interrupted has other points inside its run, which a
// separate pass sums.
struct PartRun {
    size_t first = 0;
    size_t count = 0;
    bool broken = false;
    double sum[3] = {0.0, 0.0, 0.0};
};

struct PosedPoints {
    std::vector<Point4> points;
    size_t count = 0;
    std::vector<PartRun> runs;
    // The box of all points, fitted as aaboxFromPoints does: from the first
    // point, each coordinate replaced by a strictly smaller (or larger) one.
    Point4 lo{};
    Point4 hi{};
};

// Lane-wise std::min(a, b) and std::max(a, b): a unless b is strictly beyond.
// On x86-64 these are MINPS and MAXPS, which answer exactly that (their
// second operand unless the first is strictly beyond it). Written as loops,
// GCC's -O3 took the running box of the posing loop apart into single
// lanes and put it back together on every vertex, at half the speed.
Point4 lanesMin(Point4 a, Point4 b) {
#if defined(__SSE__) || defined(_M_X64)
    _mm_store_ps(a.lane, _mm_min_ps(_mm_load_ps(b.lane), _mm_load_ps(a.lane)));
#else
    for (int c = 0; c < 4; ++c) a.lane[c] = b.lane[c] < a.lane[c] ? b.lane[c] : a.lane[c];
#endif
    return a;
}

Point4 lanesMax(Point4 a, Point4 b) {
#if defined(__SSE__) || defined(_M_X64)
    _mm_store_ps(a.lane, _mm_max_ps(_mm_load_ps(b.lane), _mm_load_ps(a.lane)));
#else
    for (int c = 0; c < 4; ++c) a.lane[c] = a.lane[c] < b.lane[c] ? b.lane[c] : a.lane[c];
#endif
    return a;
}

// Ends the stretch of part `part` (negative: a vertex of no part) that began
// at point `start` and ends before point `end`, with coordinate sums x, y, z.
void closeStretch(PosedPoints& out, long long part, size_t start, size_t end, double x, double y, double z) {
    if (part < 0) return;
    PartRun& run = out.runs[static_cast<size_t>(part)];
    if (run.count == 0) {
        run.first = start;
        run.sum[0] = x;
        run.sum[1] = y;
        run.sum[2] = z;
    } else {
        run.broken = true;
    }
    run.count += end - start;
}

// Poses the unsplit vertices into out.points and fits their box, following
// each part's stretches, in one pass over the vertex and weight tables.
void poseUnsplit(const InstancePose& pose, PosedPoints& out) {
    const model::Obj3dModel& model = pose.model();
    const int vertices = vertexCount(model);
    const long long parts = pose.image().numpart;
    if (out.points.size() < static_cast<size_t>(vertices)) out.points.resize(static_cast<size_t>(vertices));
    out.runs.assign(static_cast<size_t>(parts), PartRun{});
    out.count = 0;
    pose.withPosing([&](const auto& posed) {
        Point4* points = out.points.data();
        size_t n = 0;
        Point4 lo{};
        Point4 hi{};
        long long part = -1;
        size_t start = 0;
        double x = 0.0, y = 0.0, z = 0.0;
        for (int v = 0; v < vertices; ++v) {
            const model::Obj3dVertex& vertex = model.vertex[v];
            if (!isUnsplit(vertex)) continue;
            const Point4 p = posed(v, position(vertex));
            points[n] = p;
            if (n == 0) lo = hi = p;
            lo = lanesMin(lo, p);
            hi = lanesMax(hi, p);
            const long long owner = vertex.partno >= 0 && vertex.partno < parts ? vertex.partno : -1;
            if (owner != part) {
                closeStretch(out, part, start, n, x, y, z);
                part = owner;
                start = n;
                x = y = z = 0.0;
            }
            x += p.lane[0];
            y += p.lane[1];
            z += p.lane[2];
            ++n;
        }
        closeStretch(out, part, start, n, x, y, z);
        out.count = n;
        out.lo = lo;
        out.hi = hi;
    });
}

// A box fitted to points exists, but its x extent may be 0 (every point in
// one plane of constant x, or a single point), which reads as "no box".
// Such a box gets the smallest normal float as its x extent.
template <class Box>
Box present(Box box) {
    if (box.extents.x == 0.0f) box.extents.x = std::numeric_limits<float>::min();
    return box;
}

math::Aabox aaboxOf(Point4 lo, Point4 hi) { return {(lo.xyz() + hi.xyz()) * 0.5f, (hi.xyz() - lo.xyz()) * 0.5f}; }

// aaboxFromPoints over a run.
math::Aabox runAabox(const Point4* points, size_t count) {
    Point4 lo = points[0];
    Point4 hi = lo;
    for (size_t i = 1; i < count; ++i) {
        lo = lanesMin(lo, points[i]);
        hi = lanesMax(hi, points[i]);
    }
    return aaboxOf(lo, hi);
}

// The covariance sums of a run about its mean, as oboxFromPoints gathers them.
math::Covariance runCovariance(const Point4* points, size_t count, const double sum[3]) {
    const double n = static_cast<double>(count);
    return math::covarianceAbout(count, sum[0] / n, sum[1] / n, sum[2] / n, [points](size_t i) {
        return math::Float3{points[i].lane[0], points[i].lane[1], points[i].lane[2]};
    });
}

// oboxFromPoints over a run whose coordinate sums are known: the covariance
// about the mean, the principal orientation, then the extents along its axes.
math::Obox runObox(const Point4* points, size_t count, const double sum[3]) {
    const math::Covariance c = runCovariance(points, count, sum);
    const math::Quaternion orientation = math::principalOrientation(c);
    const math::Matrix r = math::matrixFromQuaternion(orientation);
    const math::Matrix toBox = math::transpose(r);
    auto rotated = [&toBox](const Point4& p) {
        Point4 q;
        for (int k = 0; k < 4; ++k) {
            q.lane[k] = p.lane[0] * toBox.m[0][k] + p.lane[1] * toBox.m[1][k] + p.lane[2] * toBox.m[2][k];
        }
        return q;
    };
    Point4 lo = rotated(points[0]);
    Point4 hi = lo;
    for (size_t i = 1; i < count; ++i) {
        const Point4 q = rotated(points[i]);
        lo = lanesMin(lo, q);
        hi = lanesMax(hi, q);
    }
    const math::Aabox inBoxSpace = aaboxOf(lo, hi);
    return {math::transformNormal(inBoxSpace.center, r), inBoxSpace.extents, orientation};
}

math::Obox runObox(const Point4* points, const PartRun& run) {
    if (!run.broken) return runObox(points, run.count, run.sum);
    double sum[3] = {0.0, 0.0, 0.0};
    for (size_t i = 0; i < run.count; ++i) {
        for (int c = 0; c < 3; ++c) sum[c] += points[i].lane[c];
    }
    return runObox(points, run.count, sum);
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

// Kept between calls, so that refitting an instance on every draw reuses
// its memory.
thread_local PosedPoints posedPoints;

}  // namespace

void fitBoxes(int image, int motion, int frame, int selector, const PartAaboxes* parts) {
    const std::optional<InstancePose> pose = InstancePose::make(image, motion, frame);
    if (!pose) return;
    PosedPoints& posed = posedPoints;
    poseUnsplit(*pose, posed);
    instance::Image3dInstance& record = pose->image();

    if (selector != kOboxesOnly) {
        record.aabox = posed.count == 0 ? math::Aabox{{0, 0, 0}, {-1, -1, -1}} : present(aaboxOf(posed.lo, posed.hi));
    }
    for (size_t p = 0; p < posed.runs.size(); ++p) {
        const PartRun& run = posed.runs[p];
        const Point4* first = posed.points.data() + run.first;
        if (selector != kAaboxOnly) {
            math::Obox& box = record.part(static_cast<long long>(p))->obox;
            if (run.count == 0) {
                box.extents.x = -1.0f;
            } else {
                box = present(runObox(first, run));
            }
        }
        if (parts != nullptr) {
            if (run.count == 0) {
                parts->extentx[p] = -1.0;
            } else {
                writePartAabox(*parts, p, present(runAabox(first, run.count)));
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
