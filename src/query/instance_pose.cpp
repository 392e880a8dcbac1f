#include "query/instance_pose.h"

#include "instance/placement.h"
#include "instance/pose.h"
#include "math/matrix.h"
#include "math/vector.h"

namespace korvel::query {

namespace {

int limited(int32_t count, size_t records) {
    if (count <= 0) return 0;
    return static_cast<size_t>(count) <= records ? count : static_cast<int>(records);
}

math::Float3 affine(math::Float3 p, const math::Matrix& m) {
    const math::Float4 h = math::transformPoint(p, m);
    return {h.x, h.y, h.z};
}

}  // namespace

int vertexCount(const model::Obj3dModel& model) { return limited(model.head()->NumVertex, model.vertex.size()); }

int faceCount(const model::Obj3dModel& model) { return limited(model.head()->NumFace, model.face.size()); }

const int32_t* faceCorners(const model::Obj3dModel& model, int f, int vertices) {
    const int32_t* corner = model.face[f].vertexno;
    for (int i = 0; i < 3; ++i) {
        if (corner[i] < 0 || corner[i] >= vertices) return nullptr;
    }
    return corner;
}

std::optional<InstancePose> InstancePose::make(int image, int motion, int frame) {
    instance::Image3dInstance* record = instance::image3d(image);
    if (record == nullptr) return std::nullopt;
    const model::Obj3dModel* source = model::completeModel(record->modelno);
    if (source == nullptr) return std::nullopt;

    InstancePose pose(*source, *record);
    pose.world_ = instance::worldMatrix(*record);
    if (source->head()->NumMotion >= 1 && motion >= 0) {
        if (source->weight.size() < static_cast<size_t>(vertexCount(*source))) return std::nullopt;
        pose.joints_.resize(static_cast<size_t>(instance::poseJointCount(*source)));
        if (!instance::jointMatrices(*source, motion, frame, pose.joints_.data())) return std::nullopt;
        for (math::Matrix& joint : pose.joints_) joint = math::multiply(joint, pose.world_);
        pose.skinned_ = true;
    } else if (record->partmode == 1) {
        pose.parts_.reserve(static_cast<size_t>(record->numpart));
        for (int p = 0; p < record->numpart; ++p) pose.parts_.push_back(instance::partMatrix(*record->part(p), pose.world_));
    }
    return pose;
}

math::Float3 InstancePose::evaluate(int v, math::Float3 p) const {
    if (skinned_) {
        const model::Obj3dWeight& w = model_->weight[v];
        const long long joints = static_cast<long long>(joints_.size());
        math::Float3 result{0.0f, 0.0f, 0.0f};
        if (w.jointno0 >= 0 && w.jointno0 < joints) result = affine(p, joints_[w.jointno0]) * w.weight0;
        if (w.jointno1 >= 0 && w.jointno1 < joints) result = result + affine(p, joints_[w.jointno1]) * w.weight1;
        return result;
    }
    if (!parts_.empty()) {
        const int part = model_->vertex[v].partno;
        if (part >= 0 && static_cast<size_t>(part) < parts_.size()) return affine(p, parts_[part]);
    }
    return affine(p, world_);
}

}  // namespace korvel::query
