// An instance posed for one (motion, frame): its world matrix, part matrices
// and joint matrices with the world matrix folded in, ready to carry
// model-space vertex positions to world space on the CPU; with an optional
// shape key applied first, the world positions of chosen vertices or of
// every vertex.
#pragma once

#include <optional>
#include <vector>

#include "instance/image3d.h"
#include "instance/pose.h"
#include "math/types.h"
#include "math/vector.h"
#include "model/store.h"

namespace korvel::query {

// Records of the model's tables that exist: the header's count, limited to
// what the table holds.
int vertexCount(const model::Obj3dModel& model);
int faceCount(const model::Obj3dModel& model);

// A vertex with a negative originalvertexno is unsplit; one with 0 or more is
// a split copy of that vertex.
inline bool isUnsplit(const model::Obj3dVertex& v) { return v.originalvertexno < 0; }

// The three corners of face f (below faceCount), or null when one of them is
// not a vertex below `vertices`.
const int32_t* faceCorners(const model::Obj3dModel& model, int f, int vertices);

// p x m for an affine m (w = 1, no divide).
inline math::Float3 affine(math::Float3 p, const math::Matrix& m) {
    const math::Float4 h = math::transformPoint(p, m);
    return {h.x, h.y, h.z};
}

class InstancePose {
public:
    // The pose of instance `image` at (motion, frame). A motion is evaluated
    // when the model has motions and motion is 0 or more; otherwise the model
    // is taken unposed. None when the instance or its model is missing, when
    // the motion is not one the model's tables can give, or when a motion is
    // evaluated and the weight table is shorter than the vertex table.
    static std::optional<InstancePose> make(int image, int motion, int frame);

    const model::Obj3dModel& model() const { return *model_; }
    instance::Image3dInstance& image() const { return *image_; }

    // World position of model-space point p carried by vertex v (its weights
    // when a motion is evaluated, else its part's matrix when partmode is 1,
    // else the world matrix). A weight term whose joint does not exist adds
    // nothing; a vertex without a non-zero term (no joint weighs it) moves
    // with the world matrix alone, as does a vertex whose part is not one of
    // the instance's parts. v must be below vertexCount.
    math::Float3 evaluate(int v, math::Float3 p) const;

private:
    InstancePose(const model::Obj3dModel& model, instance::Image3dInstance& image) : model_(&model), image_(&image) {}

    const model::Obj3dModel* model_;
    instance::Image3dInstance* image_;
    math::Matrix world_{};
    std::vector<math::Matrix> parts_;   // when partmode is 1 and no motion is evaluated
    std::vector<math::Matrix> joints_;  // when a motion is evaluated
    bool skinned_ = false;
};

inline math::Float3 InstancePose::evaluate(int v, math::Float3 p) const {
    if (skinned_) {
        const model::Obj3dWeight& w = model_->weight[v];
        const long long joints = static_cast<long long>(joints_.size());
        const bool first = w.jointno0 >= 0 && w.jointno0 < joints;
        const bool second = w.jointno1 >= 0 && w.jointno1 < joints;
        // A vertex no joint weighs keeps its bind pose, as the skinning shaders do.
        if (!(first && w.weight0 != 0.0f) && !(second && w.weight1 != 0.0f)) return affine(p, world_);
        math::Float3 result{0.0f, 0.0f, 0.0f};
        if (first) result = affine(p, joints_[w.jointno0]) * w.weight0;
        if (second) result = result + affine(p, joints_[w.jointno1]) * w.weight1;
        return result;
    }
    if (!parts_.empty()) {
        const int part = model_->vertex[v].partno;
        if (part >= 0 && static_cast<size_t>(part) < parts_.size()) return affine(p, parts_[part]);
    }
    return affine(p, world_);
}

// The pose and the shape key of one query. None when the instance cannot be
// posed, or when shapekey is 0 or more and not a kind the model's tables can
// give.
struct ShapedPose {
    InstancePose pose;
    std::optional<instance::ShapekeySampler> shapekey;

    static std::optional<ShapedPose> make(int image, int shapekey, int shapekeyframe, int motion, int frame);

    // Vertex v (below vertexCount): its stored position plus its shape-key
    // displacement, carried to world space by the pose.
    math::Float3 evaluate(int v) const;
};

// For i < count: vertex vertexno[i] (a split copy stands for the vertex it
// copies) evaluated into x[i], y[i], z[i]. A vertex number outside the model
// leaves entry i unwritten.
void vertexPositions(const ShapedPose& shaped, int count, const int vertexno[], double x[], double y[], double z[]);

// Every vertex by vertex number: unsplit vertices evaluated, split copies at
// the position of the vertex they copy. A copy whose source is not an
// unsplit vertex of the model is evaluated from its own record.
std::vector<math::Float3> allVertexPositions(const ShapedPose& shaped);

}  // namespace korvel::query
