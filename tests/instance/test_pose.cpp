// Key search, roots and the joint palette on a hand-worked
// two-joint skeleton (a quarter turn with scale and lift, reached halfway by
// slerp), and shape keys: the refusals and skipped rows of the offsets
// drawing uploads, and the row that moves each vertex on the CPU. Where the
// joint matrices move vertices is pinned by the query module's evaluation
// tests, what drawing uploads by the GPU-against-CPU agreement test.
#include <cmath>

#include "instance/pose.h"
#include "math/vector.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using instance::JointPalette;
using instance::PoseOutcome;
using instance::ShapekeyOffsets;
using instance::ShapekeySampler;

const float kH = std::sqrt(0.5f);  // sine and cosine of an eighth turn

// Joint 0 (rest at the origin) turns a quarter about z, triples and rises
// by 4 between frames 0 and 10. Joint 1 (rest at (1, 0, 0), child of 0)
// turns a quarter about z around its rest position.
ModelBlueprint twoJointModel() {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 0, 0, 0)};
    blueprint.weights = {{0, -1, 1.0f, 0.0f}};
    blueprint.joints = {{-1, 0, 0, 0}, {0, 1, 0, 0}};
    blueprint.motions = {{2, 0, 0}};
    blueprint.frameno = {0, 10};
    blueprint.keyframes = {{0, 0, 0, 1, 1, 1, 1, 0, 0, 0},
                           {0, 0, kH, kH, 3, 3, 3, 0, 0, 4},
                           {0, 0, 0, 1, 1, 1, 1, 1, 0, 0},
                           {0, 0, kH, kH, 1, 1, 1, 1, 0, 0}};
    return blueprint;
}

class Pose : public StoreTest {};

// The clamping and blending of the key search show in the joint matrices
// below; here what no well-formed motion reaches.
TEST(KeySearch, ExtremeAndUnorderedFrameNumbers) {
    // Extreme frame numbers do not overflow; unordered ones stay in range:
    // frame 10 of (5, 0, 20) lies between keys 1 and 2 (0 and 20).
    const int extreme[2] = {-2147483647 - 1, 2147483647};
    EXPECT_NEAR(instance::searchKeys(0, 2, [&extreme](int k) { return extreme[k]; }).u, 0.5f, 1e-6f);
    const int unordered[3] = {5, 0, 20};
    const instance::KeySpan s = instance::searchKeys(10, 3, [&unordered](int k) { return unordered[k]; });
    EXPECT_TRUE(s.lo == 1 && s.hi == 2 && s.u == 0.5f);
}

// Joint 1 without an earlier parent (none, itself, a later one) is a root:
// it only turns about its rest position. (The short turn between keys is
// slerp's, pinned by the quaternion tests.)
TEST_F(Pose, JointsWithoutAnEarlierParentAreRoots) {
    for (int parent : {-1, 1, 99}) {
        ModelBlueprint blueprint = twoJointModel();
        blueprint.joints[1].parentjointno = parent;
        math::Matrix joints[2];
        ASSERT_TRUE(instance::jointMatrices(install(blueprint), 0, 10, joints));
        const math::Float4 p = math::transformPoint({2, 0, 0}, joints[1]);
        EXPECT_TRUE(std::fabs(p.x - 1) < 1e-6f && std::fabs(p.y - 1) < 1e-6f) << "parent " << parent;
    }
}

// The palette is identity without a motion, refused where the constant
// buffer cannot hold it or the tables cannot give it: the last key missing,
// frames beyond the table, no frames, a negative first key. (No motions at
// all: the skinned pixel test.)
TEST_F(Pose, PaletteIdentityAndRefusals) {
    JointPalette palette;
    ASSERT_EQ(instance::jointPalette(install(twoJointModel()), -1, 10, palette), PoseOutcome::Written);
    EXPECT_TRUE(palette.matrix[1].m[0][0] == 1.0f && palette.matrix[1].m[2][3] == 0.0f);
    SkinnedOptions many;
    many.joints = 120;
    many.motions = 1;
    EXPECT_EQ(instance::jointPalette(install(skinnedModel(many)), 0, 5, palette), PoseOutcome::Written);
    many.joints = 121;
    EXPECT_EQ(instance::jointPalette(install(skinnedModel(many)), -1, 5, palette), PoseOutcome::Refused);
    for (void (*damage)(ModelBlueprint&) :
         {+[](ModelBlueprint& b) { b.keyframes.pop_back(); }, +[](ModelBlueprint& b) { b.motions[0].firstframe = 1; },
          +[](ModelBlueprint& b) { b.motions[0].numframe = 0; },
          +[](ModelBlueprint& b) { b.motions[0].firstkey = -1; }}) {
        ModelBlueprint blueprint = twoJointModel();
        damage(blueprint);
        EXPECT_EQ(instance::jointPalette(install(blueprint), 0, 5, palette), PoseOutcome::Refused);
    }
}

// Ten vertices, list entry i names vertex i. Kind 0 moves one row (entry 7)
// from (1, 2, 3) at frame 0 to (3, 2, 1) at frame 10; kind 1 moves rows 0..2
// (entries 0..2) by (row, key) with keys at frames 4, 8, 12.
ModelBlueprint shapekeyModel() {
    ModelBlueprint blueprint;
    for (int v = 0; v < 10; ++v) {
        blueprint.vertices.push_back(vertexAt(0, static_cast<float>(v), 0, 0));
        blueprint.shapekeyvertex.push_back(v);
    }
    blueprint.shapekeyinfo = {{1, 2, 0}, {3, 3, 2}};
    blueprint.shapekeytrans = {{7, 0, 1, 2, 3}, {7, 10, 3, 2, 1}};
    for (int row = 0; row < 3; ++row)
        for (int f = 0; f < 3; ++f)
            blueprint.shapekeytrans.push_back({row, 4 + 4 * f, static_cast<float>(row), static_cast<float>(f), 0});
    return blueprint;
}

TEST_F(Pose, RefusalsAndSkippedRows) {
    ShapekeyOffsets out;
    ModelBlueprint big = shapekeyModel();
    big.shapekeyvertex.resize(65, 0);
    EXPECT_EQ(instance::shapekeyOffsets(install(big), 0, 5, out), PoseOutcome::Refused);
    big.shapekeyvertex.resize(64);
    EXPECT_EQ(instance::shapekeyOffsets(install(big), 0, 5, out), PoseOutcome::Written);
    EXPECT_EQ(instance::shapekeyOffsets(install(shapekeyModel()), 2, 5, out), PoseOutcome::Refused);
    ModelBlueprint outside = shapekeyModel();
    outside.shapekeyinfo[1].firstdata = 10;  // key frames at records 10..12 of 11
    EXPECT_EQ(instance::shapekeyOffsets(install(outside), 1, 5, out), PoseOutcome::Refused);
    EXPECT_FALSE(ShapekeySampler::make(*model::completeModel(3), 1, 5).has_value());

    ModelBlueprint damaged = shapekeyModel();
    damaged.shapekeyinfo[1].numvertex = 1000000000;  // rows past the records
    damaged.shapekeytrans[2].skvertexindex = 10;     // row 0 names entry 10 of 10
    damaged.shapekeytrans[5].skvertexindex = -1;     // row 1 names no entry
    ASSERT_EQ(instance::shapekeyOffsets(install(damaged), 1, 4, out), PoseOutcome::Written);
    EXPECT_EQ(out.offset[0].x, 0.0f);
    EXPECT_EQ(out.offset[1].x, 0.0f);
    EXPECT_EQ(out.offset[2].x, 2.0f);
}

// The list holds vertices 4, 9, 4 and 6; kind 1's rows name entries 3, 1
// and 0 (row r moves by (r, key)), so vertex 4 (first at entry 0) takes row
// 2, vertex 9 row 1 and vertex 6 (entry 3) row 0, as drawing moves them.
TEST_F(Pose, SamplerMovesEachVertexByTheRowNamingItsEntry) {
    ModelBlueprint blueprint = shapekeyModel();
    blueprint.shapekeyvertex = {4, 9, 4, 6};
    const int named[3] = {3, 1, 0};
    for (int row = 0; row < 3; ++row)
        for (int f = 0; f < 3; ++f) blueprint.shapekeytrans[2 + 3 * row + f].skvertexindex = named[row];
    const model::Obj3dModel& model = install(blueprint);
    const auto sampler = ShapekeySampler::make(model, 1, 12);
    ASSERT_TRUE(sampler.has_value());
    struct Case {
        int vertex;
        float x, y;
    };
    for (const Case& c : {Case{4, 2, 2}, Case{9, 1, 2}, Case{6, 0, 2}, Case{3, 0, 0}, Case{-1, 0, 0}, Case{10, 0, 0}}) {
        EXPECT_TRUE(sampler->displacement(c.vertex).x == c.x && sampler->displacement(c.vertex).y == c.y) << c.vertex;
    }
}

}  // namespace
}  // namespace korvel::testing
