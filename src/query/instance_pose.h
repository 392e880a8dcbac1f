// An instance posed for one (motion, frame): its world matrix, part matrices
// and joint matrices with the world matrix folded in, ready to carry
// model-space vertex positions to world space on the CPU; with an optional
// shape key applied first, the world positions of chosen vertices or of
// every vertex.
//
// Each vertex is posed one of two ways with the same floating-point
// operations in the same order, so both give the same bits: evaluate() reads
// plainly, one case at a time, for the few vertices a caller names; the
// posing kernels handed out by withPosing() carry a vertex through its
// matrices as four lanes at once, choosing matrices and terms by index and
// bit mask, for the loops that pose a whole model. Only a skinned vertex
// that no sensible model has (see posing::Skinned) leaves that straight line
// for evaluate().
#pragma once

#include <bit>
#include <cstdint>
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

inline math::Float3 position(const model::Obj3dVertex& v) { return {v.posx, v.posy, v.posz}; }

// A posed point in four lanes: x, y, z, and in the fourth whatever the same
// operations give for the matrices' fourth column, which nothing reads.
// Written lane by lane in loops of four, such code becomes one vector
// instruction per step while every lane keeps the scalar operations.
struct alignas(16) Point4 {
    float lane[4];

    math::Float3 xyz() const { return {lane[0], lane[1], lane[2]}; }
};

// affine() in four lanes.
inline Point4 affine4(math::Float3 p, const math::Matrix& m) {
    Point4 r;
    for (int c = 0; c < 4; ++c) r.lane[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
    return r;
}

// x where the mask is all ones, the bits of `otherwise` where it is zero.
inline float masked(float x, uint32_t mask, uint32_t otherwise) {
    return std::bit_cast<float>((std::bit_cast<uint32_t>(x) & mask) | (otherwise & ~mask));
}

inline uint32_t maskOf(bool b) { return 0u - static_cast<uint32_t>(b); }

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

    // Calls body(kernel) once, where kernel(v, p) gives evaluate(v, p) in
    // four lanes; the kernel's type depends on how this pose moves vertices,
    // so that body's loop is compiled once for each.
    template <class Body>
    void withPosing(Body&& body) const;

private:
    enum class Kind { World, Parts, Skinned };

    InstancePose(const model::Obj3dModel& model, instance::Image3dInstance& image) : model_(&model), image_(&image) {}

    const math::Matrix& world() const { return matrices_[matrixCount_]; }

    const model::Obj3dModel* model_;
    instance::Image3dInstance* image_;
    Kind kind_ = Kind::World;
    // The joint matrices (skinned) or the part matrices (partmode 1, no
    // motion), matrixCount_ of them, then the world matrix, then (skinned) a
    // matrix of zeros.
    std::vector<math::Matrix> matrices_;
    uint32_t matrixCount_ = 0;
};

inline math::Float3 InstancePose::evaluate(int v, math::Float3 p) const {
    if (kind_ == Kind::Skinned) {
        const model::Obj3dWeight& w = model_->weight[v];
        const long long joints = matrixCount_;
        const bool first = w.jointno0 >= 0 && w.jointno0 < joints;
        const bool second = w.jointno1 >= 0 && w.jointno1 < joints;
        // A vertex no joint weighs keeps its bind pose, as the skinning shaders do.
        if (!(first && w.weight0 != 0.0f) && !(second && w.weight1 != 0.0f)) return affine(p, world());
        math::Float3 result{0.0f, 0.0f, 0.0f};
        if (first) result = affine(p, matrices_[w.jointno0]) * w.weight0;
        if (second) result = result + affine(p, matrices_[w.jointno1]) * w.weight1;
        return result;
    }
    if (kind_ == Kind::Parts) {
        const int part = model_->vertex[v].partno;
        if (part >= 0 && static_cast<uint32_t>(part) < matrixCount_) return affine(p, matrices_[part]);
    }
    return affine(p, world());
}

// The posing kernels are inlined into every loop that calls them: a call per
// vertex would cost more than the posing.
namespace posing {

struct World {
    const math::Matrix* world;

    [[gnu::always_inline]] Point4 operator()(int, math::Float3 p) const { return affine4(p, *world); }
};

// Vertex v's part matrix, or the world matrix after the last part.
struct Parts {
    const model::Obj3dVertex* vertex;
    const math::Matrix* matrices;
    uint32_t parts;

    [[gnu::always_inline]] Point4 operator()(int v, math::Float3 p) const {
        const uint32_t part = static_cast<uint32_t>(vertex[v].partno);
        return affine4(p, matrices[part < parts ? part : parts]);
    }
};

// Skinning as one straight line for the vertices of any sensible model: the
// first joint exists, and it or the second weighs the vertex. A vertex
// without a second joint takes a matrix of zeros weighed by -0 as its second
// term, which gives -0, the one value whose addition changes nothing, for
// every finite position. Anything else (a missing first joint, a vertex no
// joint weighs, a position that is not finite) takes evaluate().
struct Skinned {
    // x != 0.0f, from its bits: anything but +0 and -0 (NaN included).
    static bool nonZero(float x) { return (std::bit_cast<uint32_t>(x) << 1) != 0; }

    const InstancePose* pose;
    const model::Obj3dWeight* weight;
    const math::Matrix* matrices;  // joints, world, zeros
    uint32_t joints;

    [[gnu::always_inline]] Point4 operator()(int v, math::Float3 p) const {
        const model::Obj3dWeight& w = weight[v];
        const uint32_t joint0 = static_cast<uint32_t>(w.jointno0);
        const uint32_t joint1 = static_cast<uint32_t>(w.jointno1);
        const bool first = joint0 < joints;
        const bool second = joint1 < joints;
        const Point4 b = affine4(p, matrices[second ? joint1 : joints + 1]);
        const bool weighs0 = nonZero(w.weight0);
        const bool weighs1 = nonZero(w.weight1);
        const bool finite = b.lane[0] == b.lane[0];  // through the zeros, NaN for a position that is not
        const bool straight = first & (weighs0 | (second & weighs1)) & finite;
        if (!straight) [[unlikely]] {
            const math::Float3 q = pose->evaluate(v, p);
            return {{q.x, q.y, q.z, 0.0f}};
        }
        const Point4 a = affine4(p, matrices[joint0]);
        const float weight1 = masked(w.weight1, maskOf(second), 0x80000000u);
        Point4 r;
        for (int c = 0; c < 4; ++c) r.lane[c] = a.lane[c] * w.weight0 + b.lane[c] * weight1;
        return r;
    }
};

}  // namespace posing

template <class Body>
void InstancePose::withPosing(Body&& body) const {
    switch (kind_) {
        case Kind::Skinned:
            body(posing::Skinned{this, model_->weight.data(), matrices_.data(), matrixCount_});
            break;
        case Kind::Parts:
            body(posing::Parts{model_->vertex.data(), matrices_.data(), matrixCount_});
            break;
        case Kind::World:
            body(posing::World{&world()});
            break;
    }
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

// Every vertex by vertex number into positions[0 .. vertexCount - 1]:
// unsplit vertices evaluated, split copies at the position of the vertex they
// copy (a copy whose source is not an unsplit vertex of the model is
// evaluated from its own record). One more entry follows, all zero, for
// callers that point a missing vertex at it.
void allVertexPositions(const ShapedPose& shaped, std::vector<Point4>& positions);

}  // namespace korvel::query
