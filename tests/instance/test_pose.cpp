// Key search, roots, the short turn and the joint palette on a hand-worked
// two-joint skeleton: a quarter turn with scale and lift, reached halfway by
// slerp. Where the joint matrices move vertices is pinned by the query
// module's evaluation tests.
#include <gtest/gtest.h>

#include <cmath>

#include "instance/pose.h"
#include "support/models.h"
#include "math/vector.h"

namespace korvel::testing {
namespace {

using instance::JointPalette;
using instance::PoseOutcome;

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
    blueprint.keyframes = {{0, 0, 0, 1, 1, 1, 1, 0, 0, 0}, {0, 0, kH, kH, 3, 3, 3, 0, 0, 4},
                           {0, 0, 0, 1, 1, 1, 1, 1, 0, 0}, {0, 0, kH, kH, 1, 1, 1, 1, 0, 0}};
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
// it only turns about its rest position. A key stored with the far sign of
// its quaternion turns the short way: halfway is an eighth turn.
TEST_F(Pose, RootsAndTheShortTurn) {
    for (int parent : {-1, 1, 99}) {
        ModelBlueprint blueprint = twoJointModel();
        blueprint.joints[1].parentjointno = parent;
        math::Matrix joints[2];
        ASSERT_TRUE(instance::jointMatrices(install(blueprint), 0, 10, joints));
        const math::Float4 p = math::transformPoint({2, 0, 0}, joints[1]);
        EXPECT_NEAR(p.x, 1, 1e-6f) << "parent " << parent;
        EXPECT_NEAR(p.y, 1, 1e-6f) << "parent " << parent;
    }
    ModelBlueprint negated = twoJointModel();
    negated.keyframes[1] = {0, 0, -kH, -kH, 3, 3, 3, 0, 0, 4};
    math::Matrix joints[2];
    ASSERT_TRUE(instance::jointMatrices(install(negated), 0, 5, joints));
    const math::Float4 p = math::transformPoint({1, 0, 0}, joints[0]);
    EXPECT_TRUE(std::fabs(p.x - 2 * kH) < 1e-5f && std::fabs(p.y - 2 * kH) < 1e-5f && std::fabs(p.z - 2) < 1e-5f);
}

// The palette is transposed (the rise in column 3), identity without a
// motion; refused where the constant buffer cannot hold it or the tables
// cannot give it.
TEST_F(Pose, PaletteTransposedIdentityAndRefusals) {
    JointPalette palette;
    ASSERT_EQ(instance::jointPalette(install(twoJointModel()), 0, 10, palette), PoseOutcome::Written);
    EXPECT_TRUE(palette.count == 2 && palette.matrix[0].m[2][3] == 4.0f);
    ASSERT_EQ(instance::jointPalette(install(twoJointModel()), -1, 10, palette), PoseOutcome::Written);
    EXPECT_TRUE(palette.matrix[1].m[0][0] == 1.0f && palette.matrix[1].m[2][3] == 0.0f);
    SkinnedOptions many;
    many.joints = 120;
    many.motions = 1;
    EXPECT_EQ(instance::jointPalette(install(skinnedModel(many)), 0, 5, palette), PoseOutcome::Written);
    many.joints = 121;
    EXPECT_EQ(instance::jointPalette(install(skinnedModel(many)), -1, 5, palette), PoseOutcome::Refused);

    struct Case {
        const char* name;
        void (*damage)(ModelBlueprint&);
        int motion;
        PoseOutcome expected;
    };
    const Case cases[] = {
        {"intact", [](ModelBlueprint&) {}, 0, PoseOutcome::Written},
        {"no motion 1", [](ModelBlueprint&) {}, 1, PoseOutcome::Refused},
        {"no motions", [](ModelBlueprint& b) { b.motions.clear(); }, 0, PoseOutcome::NoMotions},
        {"last key missing", [](ModelBlueprint& b) { b.keyframes.pop_back(); }, 0, PoseOutcome::Refused},
        {"frames beyond the table", [](ModelBlueprint& b) { b.motions[0].firstframe = 1; }, 0, PoseOutcome::Refused},
        {"no frames", [](ModelBlueprint& b) { b.motions[0].numframe = 0; }, 0, PoseOutcome::Refused},
        {"negative first key", [](ModelBlueprint& b) { b.motions[0].firstkey = -1; }, 0, PoseOutcome::Refused},
    };
    for (const Case& c : cases) {
        ModelBlueprint blueprint = twoJointModel();
        c.damage(blueprint);
        EXPECT_EQ(instance::jointPalette(install(blueprint), c.motion, 5, palette), c.expected) << c.name;
    }
    model::Obj3dModel& more = install(twoJointModel());
    more.head()->NumJoint = 3;  // more than the joint table holds
    EXPECT_EQ(instance::jointPalette(more, 0, 5, palette), PoseOutcome::Refused);
}

}  // namespace
}  // namespace korvel::testing
