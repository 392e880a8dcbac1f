#include "query/boxes.h"

#include <limits>
#include <vector>

#include "math/bounds.h"
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

}  // namespace korvel::query
