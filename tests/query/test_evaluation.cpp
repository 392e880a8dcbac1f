// CPU evaluation of posed instances: skinned positions against the double
// reference, transforms, shape keys, split copies, and what is refused.
#include <cmath>
#include <vector>

#include "Korvelv0.h"
#include "instance/skinned_model.h"
#include "instance/store_fixture.h"
#include "query/query_reference.h"

namespace korvel::testing {
namespace {

struct Positions {
    std::vector<double> x, y, z;
};

Positions vertexPositions(int image, int shapekey, int shapekeyframe, int motion, int frame,
                          const std::vector<int>& vertices, double fill = 12345.0) {
    Positions out{std::vector<double>(vertices.size(), fill), std::vector<double>(vertices.size(), fill),
                  std::vector<double>(vertices.size(), fill)};
    Image3dVertexPosGet(image, shapekey, shapekeyframe, motion, frame, static_cast<int>(vertices.size()),
                        vertices.data(), out.x.data(), out.y.data(), out.z.data());
    return out;
}

std::vector<int> allVertices(const ModelBlueprint& blueprint) {
    std::vector<int> v(blueprint.vertices.size());
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<int>(i);
    return v;
}

class Evaluation : public StoreTest {
protected:
    int placedInstance(const ModelBlueprint& blueprint) {
        blueprint_ = blueprint;
        const int image = CreateImage3d(installModel(blueprint_));
        ImageSetScaleRotTransAlpha(image, 1.5, 0.5, 2, 0.3, -1.1, 0.7, 3, -2, 5, 1);
        return image;
    }
    ModelBlueprint blueprint_;
};

TEST_F(Evaluation, SkinnedVerticesMatchTheDoublePrecisionReference) {
    SkinnedOptions options;
    options.joints = 12;
    options.vertices = 200;
    const int image = placedInstance(skinnedModel(options));
    const std::vector<int> vertices = allVertices(blueprint_);
    for (int motion = 0; motion < 2; ++motion) {
        for (int frame : {-3, 0, 7, 10, 24, 40, 90}) {
            SCOPED_TRACE(::testing::Message() << "motion " << motion << " frame " << frame);
            const Positions got = vertexPositions(image, -1, 0, motion, frame, vertices);
            const std::vector<DMatrix> joints = dWorldJoints(blueprint_, motion, frame, instance::image3d(image)->whole());
            for (int v = 0; v < options.vertices; ++v) {
                // A split copy is evaluated as its source.
                const int source = blueprint_.vertices[v].originalvertexno >= 0 ? blueprint_.vertices[v].originalvertexno : v;
                const std::array<double, 3> ref = dSkinned(blueprint_, source, joints);
                ASSERT_NEAR(got.x[v], ref[0], 2e-3) << "vertex " << v;
                ASSERT_NEAR(got.y[v], ref[1], 2e-3) << "vertex " << v;
                ASSERT_NEAR(got.z[v], ref[2], 2e-3) << "vertex " << v;
            }
        }
    }
}

TEST_F(Evaluation, FramesOutsideTheKeysHoldTheEndKeys) {
    const int image = placedInstance(skinnedModel({}));
    const std::vector<int> vertices = allVertices(blueprint_);
    EXPECT_EQ(vertexPositions(image, -1, 0, 1, -50, vertices).x, vertexPositions(image, -1, 0, 1, 0, vertices).x);
    EXPECT_EQ(vertexPositions(image, -1, 0, 1, 41, vertices).y, vertexPositions(image, -1, 0, 1, 40, vertices).y);
}

TEST_F(Evaluation, UnposedModelsFollowPartTransformsOnlyInPartmodeOne) {
    ModelBlueprint blueprint = skinnedModel({});
    const int image = placedInstance(blueprint);
    Image3dPartinfoSet(image, 1, 1, 1, 1, 0, 0, 0, 100, 0, 0, 1);
    const int v = 40;  // a vertex of part 1
    ASSERT_EQ(blueprint_.vertices[v].partno, 1);
    const DMatrix world = dPlacement(instance::image3d(image)->whole());
    const model::Obj3dVertex& vertex = blueprint_.vertices[v];
    const std::array<double, 3> placed = dTransform({vertex.posx, vertex.posy, vertex.posz}, world);
    const std::array<double, 3> moved =
        dTransform({vertex.posx + 100.0, vertex.posy, vertex.posz}, world);  // part first, then instance

    Image3dSetRendarparam(image, 0, 0, 0, 0);
    EXPECT_NEAR(vertexPositions(image, -1, 0, -1, 0, {v}).x[0], placed[0], 1e-4);
    Image3dSetRendarparam(image, 0, 0, 1, 0);
    const Positions parted = vertexPositions(image, -1, 0, -1, 0, {v});
    EXPECT_NEAR(parted.x[0], moved[0], 1e-3);
    EXPECT_NEAR(parted.y[0], moved[1], 1e-3);
    EXPECT_NEAR(parted.z[0], moved[2], 1e-3);

    // With a motion the part transform has no effect.
    const std::vector<DMatrix> joints = dWorldJoints(blueprint_, 0, 5, instance::image3d(image)->whole());
    EXPECT_NEAR(vertexPositions(image, -1, 0, 0, 5, {v}).x[0], dSkinned(blueprint_, v, joints)[0], 1e-3);
}

TEST_F(Evaluation, WithoutTransformsOrPoseTheStoredPositionsComeBack) {
    ModelBlueprint blueprint = skinnedModel({});
    blueprint.motions.clear();
    const int image = CreateImage3d(installModel(blueprint));
    const Positions got = vertexPositions(image, -1, 0, 0, 0, allVertices(blueprint));
    for (size_t v = 0; v < blueprint.vertices.size(); ++v) {
        EXPECT_EQ(got.x[v], blueprint.vertices[v].posx);
        EXPECT_EQ(got.z[v], blueprint.vertices[v].posz);
    }
}

TEST_F(Evaluation, TheShapeKeyDisplacesBeforeSkinning) {
    ModelBlueprint blueprint = skinnedModel({});
    // Vertex 5 is list entry 1; the kind's row 1 moves it by (0, 2, 0) to
    // (0, 4, 0) between frames 0 and 10.
    blueprint.shapekeyvertex = {2, 5};
    blueprint.shapekeyinfo = {{2, 2, 0}};
    blueprint.shapekeytrans = {{0, 0, 9, 9, 9}, {0, 10, 9, 9, 9}, {1, 0, 0, 2, 0}, {1, 10, 0, 4, 0}};
    const int image = placedInstance(blueprint);
    const std::vector<DMatrix> joints = dWorldJoints(blueprint_, 1, 12, instance::image3d(image)->whole());
    const Positions got = vertexPositions(image, 0, 5, 1, 12, {5, 4});
    const std::array<double, 3> ref = dSkinned(blueprint_, 5, joints, {0, 3, 0});
    EXPECT_NEAR(got.x[0], ref[0], 1e-3);
    EXPECT_NEAR(got.y[0], ref[1], 1e-3);
    EXPECT_NEAR(got.z[0], ref[2], 1e-3);
    EXPECT_NEAR(got.y[1], dSkinned(blueprint_, 4, joints)[1], 1e-3);  // not in the list
}

TEST_F(Evaluation, NothingIsWrittenForWhatCannotBeEvaluated) {
    const int image = placedInstance(skinnedModel({}));
    auto untouched = [](const Positions& p) { return p.x[0] == 12345.0 && p.y[0] == 12345.0 && p.z[0] == 12345.0; };
    EXPECT_TRUE(untouched(vertexPositions(-1, -1, 0, 0, 0, {0})));
    EXPECT_TRUE(untouched(vertexPositions(199, -1, 0, 0, 0, {0})));   // empty slot
    EXPECT_TRUE(untouched(vertexPositions(image, -1, 0, 2, 0, {0})));  // no motion 2
    EXPECT_TRUE(untouched(vertexPositions(image, 0, 0, 0, 0, {0})));   // no shape keys
    // Vertex numbers outside the model skip only their own entries.
    const Positions mixed = vertexPositions(image, -1, 0, 0, 0, {-1, 3, 64});
    EXPECT_EQ(mixed.x[0], 12345.0);
    EXPECT_NE(mixed.x[1], 12345.0);
    EXPECT_EQ(mixed.x[2], 12345.0);

    // The model is released under the instance.
    model::modelSlot(instance::image3d(image)->modelno)->header.release();
    EXPECT_TRUE(untouched(vertexPositions(image, -1, 0, 0, 0, {0})));
}

TEST_F(Evaluation, InconsistentSkinningDataIsRefusedOrSkipped) {
    ModelBlueprint blueprint = skinnedModel({});
    blueprint.weights[0] = {99, 1, 0.25f, 0.75f};  // first joint does not exist: only the second term counts
    const int image = placedInstance(blueprint);
    const std::vector<DMatrix> joints = dWorldJoints(blueprint_, 0, 10, instance::image3d(image)->whole());
    const model::Obj3dVertex& vertex = blueprint_.vertices[0];
    const std::array<double, 3> second = dTransform({vertex.posx, vertex.posy, vertex.posz}, joints[1]);
    EXPECT_NEAR(vertexPositions(image, -1, 0, 0, 10, {0}).x[0], 0.75 * second[0], 1e-3);

    model::completeModel(instance::image3d(image)->modelno)->weight.allocate(3);  // shorter than the vertices
    EXPECT_EQ(vertexPositions(image, -1, 0, 0, 10, {0}).x[0], 12345.0);
    EXPECT_NE(vertexPositions(image, -1, 0, -1, 10, {0}).x[0], 12345.0);  // unposed needs no weights
}

// Vertices no joint weighs (both weights 0, or weights on joints that do
// not exist) stay where the instance transform alone puts them.
TEST_F(Evaluation, UnweightedVerticesKeepTheirBindPose) {
    ModelBlueprint blueprint = skinnedModel({});
    blueprint.weights[0] = {0, -1, 0.0f, 0.0f};
    blueprint.weights[1] = {3, 5, 0.0f, 0.0f};
    blueprint.weights[2] = {99, -1, 1.0f, 0.0f};
    const int image = placedInstance(blueprint);
    const Positions unposed = vertexPositions(image, -1, 0, -1, 0, {0, 1, 2});
    const Positions posed = vertexPositions(image, -1, 0, 1, 17, {0, 1, 2});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(posed.x[i], unposed.x[i]) << "vertex " << i;
        EXPECT_EQ(posed.y[i], unposed.y[i]) << "vertex " << i;
        EXPECT_EQ(posed.z[i], unposed.z[i]) << "vertex " << i;
    }
}

}  // namespace
}  // namespace korvel::testing
