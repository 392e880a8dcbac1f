// World positions of chosen vertices, or of every vertex, of a posed
// instance with an optional shape key applied first.
#pragma once

#include <optional>
#include <vector>

#include "instance/shapekey.h"
#include "math/types.h"
#include "query/instance_pose.h"

namespace korvel::query {

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
