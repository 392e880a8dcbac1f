#include "query/instance_pose.h"

#include "math/matrix.h"
#include "math/vector.h"

namespace korvel::query {

namespace {

int limited(int32_t count, size_t records) {
    if (count <= 0) return 0;
    return static_cast<size_t>(count) <= records ? count : static_cast<int>(records);
}

// The unsplit vertex that vertex v stands for: its source when v is a copy of
// an unsplit vertex of the model, else v itself.
int sourceOf(const model::Obj3dModel& model, int vertices, int v) {
    const int original = model.vertex[v].originalvertexno;
    if (original < 0 || original >= vertices || !isUnsplit(model.vertex[original])) return v;
    return original;
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
    const math::Matrix world = instance::worldMatrix(*record);
    if (source->head()->NumMotion >= 1 && motion >= 0) {
        if (source->weight.size() < static_cast<size_t>(vertexCount(*source))) return std::nullopt;
        pose.matrixCount_ = static_cast<uint32_t>(instance::poseJointCount(*source));
        pose.matrices_.resize(pose.matrixCount_ + size_t{2});
        if (!instance::jointMatrices(*source, motion, frame, pose.matrices_.data())) return std::nullopt;
        for (uint32_t j = 0; j < pose.matrixCount_; ++j) pose.matrices_[j] = math::multiply(pose.matrices_[j], world);
        pose.kind_ = Kind::Skinned;
    } else if (record->partmode == 1) {
        pose.matrixCount_ = static_cast<uint32_t>(record->numpart);
        pose.matrices_.reserve(pose.matrixCount_ + size_t{1});
        for (int p = 0; p < record->numpart; ++p) {
            pose.matrices_.push_back(instance::partMatrix(*record->part(p), world));
        }
        pose.kind_ = Kind::Parts;
    }
    if (pose.kind_ == Kind::Skinned) {
        pose.matrices_[pose.matrixCount_ + size_t{1}] = math::Matrix{};
    } else {
        pose.matrices_.resize(pose.matrixCount_ + size_t{1});
    }
    pose.matrices_[pose.matrixCount_] = world;
    return pose;
}

std::optional<ShapedPose> ShapedPose::make(int image, int shapekey, int shapekeyframe, int motion, int frame) {
    std::optional<InstancePose> pose = InstancePose::make(image, motion, frame);
    if (!pose) return std::nullopt;
    ShapedPose shaped{std::move(*pose), std::nullopt};
    if (shapekey >= 0) {
        shaped.shapekey = instance::ShapekeySampler::make(shaped.pose.model(), shapekey, shapekeyframe);
        if (!shaped.shapekey) return std::nullopt;
    }
    return shaped;
}

math::Float3 ShapedPose::evaluate(int v) const {
    math::Float3 p = position(pose.model().vertex[v]);
    if (shapekey) p = p + shapekey->displacement(v);
    return pose.evaluate(v, p);
}

void vertexPositions(const ShapedPose& shaped, int count, const int vertexno[], double x[], double y[], double z[]) {
    const int vertices = vertexCount(shaped.pose.model());
    for (int i = 0; i < count; ++i) {
        const int v = vertexno[i];
        if (v < 0 || v >= vertices) continue;
        const math::Float3 p = shaped.evaluate(sourceOf(shaped.pose.model(), vertices, v));
        x[i] = p.x;
        y[i] = p.y;
        z[i] = p.z;
    }
}

void allVertexPositions(const ShapedPose& shaped, std::vector<Point4>& positions) {
    const model::Obj3dModel& model = shaped.pose.model();
    const int vertices = vertexCount(model);
    positions.resize(static_cast<size_t>(vertices) + 1);
    positions[static_cast<size_t>(vertices)] = Point4{};
    // A copy is posed from its source's record, which gives the bits the
    // source itself gets.
    auto poseAll = [&](const auto& posed, const auto& modelPosition) {
        for (int v = 0; v < vertices; ++v) {
            const int source = sourceOf(model, vertices, v);
            positions[v] = posed(source, modelPosition(source));
        }
    };
    shaped.pose.withPosing([&](const auto& posed) {
        if (shaped.shapekey) {
            const instance::ShapekeySampler& shape = *shaped.shapekey;
            poseAll(posed, [&](int v) { return position(model.vertex[v]) + shape.displacement(v); });
        } else {
            poseAll(posed, [&](int v) { return position(model.vertex[v]); });
        }
    });
}

}  // namespace korvel::query
