#include "query/instance_pose.h"

#include "instance/placement.h"
#include "instance/pose.h"
#include "math/matrix.h"

namespace korvel::query {

namespace {

int limited(int32_t count, size_t records) {
    if (count <= 0) return 0;
    return static_cast<size_t>(count) <= records ? count : static_cast<int>(records);
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
        for (int p = 0; p < record->numpart; ++p) {
            pose.parts_.push_back(instance::partMatrix(*record->part(p), pose.world_));
        }
    }
    return pose;
}

}  // namespace korvel::query
