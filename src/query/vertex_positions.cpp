#include "query/vertex_positions.h"

#include "math/vector.h"

namespace korvel::query {

namespace {

// The unsplit vertex that vertex v stands for: its source when v is a copy of
// an unsplit vertex of the model, else v itself.
int sourceOf(const model::Obj3dModel& model, int vertices, int v) {
    const int original = model.vertex[v].originalvertexno;
    if (original < 0 || original >= vertices || !isUnsplit(model.vertex[original])) return v;
    return original;
}

}  // namespace

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
    const model::Obj3dVertex& vertex = pose.model().vertex[v];
    math::Float3 p{vertex.posx, vertex.posy, vertex.posz};
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

std::vector<math::Float3> allVertexPositions(const ShapedPose& shaped) {
    const model::Obj3dModel& model = shaped.pose.model();
    const int vertices = vertexCount(model);
    std::vector<math::Float3> positions(static_cast<size_t>(vertices));
    for (int v = 0; v < vertices; ++v) {
        if (sourceOf(model, vertices, v) == v) positions[v] = shaped.evaluate(v);
    }
    for (int v = 0; v < vertices; ++v) {
        const int source = sourceOf(model, vertices, v);
        if (source != v) positions[v] = positions[source];
    }
    return positions;
}

}  // namespace korvel::query
