// Key search, joint matrices and the joint palette on a hand-worked two-joint
// skeleton: a quarter turn with scale and lift, reached halfway by slerp.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

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

TEST(KeySearch, ClampsPairsAndBlends) {
    const int frames[4] = {0, 10, 25, 40};
    struct Case {
        int frame, lo, hi;
        float u;
    };
    for (const Case& c : {Case{-5, 0, 0, 0}, Case{0, 0, 0, 0}, Case{5, 0, 1, 0.5f}, Case{10, 1, 1, 0},
                          Case{30, 2, 3, 1 / 3.0f}, Case{40, 3, 3, 0}, Case{99, 3, 3, 0}}) {
        const instance::KeySpan s = instance::searchKeys(c.frame, 4, [&frames](int k) { return frames[k]; });
        EXPECT_EQ(s.lo, c.lo) << "frame " << c.frame;
        EXPECT_EQ(s.hi, c.hi) << "frame " << c.frame;
        EXPECT_FLOAT_EQ(s.u, c.u) << "frame " << c.frame;
    }
    // Extreme frame numbers do not overflow; unordered ones stay in range.
    const int extreme[2] = {-2147483647 - 1, 2147483647};
    EXPECT_NEAR(instance::searchKeys(0, 2, [&extreme](int k) { return extreme[k]; }).u, 0.5f, 1e-6f);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> value(-50, 50);
    for (int round = 0; round < 500; ++round) {
        int unordered[5];
        for (int& f : unordered) f = value(rng);
        const instance::KeySpan s = instance::searchKeys(value(rng), 5, [&unordered](int k) { return unordered[k]; });
        ASSERT_TRUE(s.lo >= 0 && s.hi < 5 && (s.hi == s.lo || s.hi == s.lo + 1) && s.u >= 0 && s.u <= 1);
    }
}

// Where each joint's matrix sends a point, frame by frame.
TEST_F(Pose, JointMatricesChainScaleTurnAndMove) {
    struct Case {
        const char* name;
        int frame, joint;
        math::Float3 from, to;
    };
    const Case cases[] = {
        {"first key", 0, 0, {1, 0, 0}, {1, 0, 0}},
        {"before the first key", -5, 1, {2, 0, 0}, {2, 0, 0}},
        {"last key", 10, 0, {1, 0, 0}, {0, 3, 4}},
        {"after the last key", 99, 0, {1, 0, 0}, {0, 3, 4}},
        {"child turns about its rest position, then follows", 10, 1, {2, 0, 0}, {-3, 3, 4}},
        {"halfway: an eighth turn, double, half the rise", 5, 0, {1, 0, 0}, {2 * kH, 2 * kH, 2}},
    };
    math::Matrix joints[2];
    for (bool negated : {false, true}) {
        ModelBlueprint blueprint = twoJointModel();
        if (negated) blueprint.keyframes[1] = {0, 0, -kH, -kH, 3, 3, 3, 0, 0, 4};  // same turn, far sign
        const model::Obj3dModel& model = install(blueprint);
        for (const Case& c : cases) {
            ASSERT_TRUE(instance::jointMatrices(model, 0, c.frame, joints));
            const math::Float4 p = math::transformPoint(c.from, joints[c.joint]);
            EXPECT_NEAR(p.x, c.to.x, 1e-5f) << c.name << (negated ? ", negated key" : "");
            EXPECT_NEAR(p.y, c.to.y, 1e-5f) << c.name << (negated ? ", negated key" : "");
            EXPECT_NEAR(p.z, c.to.z, 1e-5f) << c.name << (negated ? ", negated key" : "");
        }
    }
}

// Joint 1 without an earlier parent (none, itself, a later one) is a root:
// it only turns about its rest position.
TEST_F(Pose, AJointWithoutAnEarlierParentIsARoot) {
    for (int parent : {-1, 1, 99}) {
        ModelBlueprint blueprint = twoJointModel();
        blueprint.joints[1].parentjointno = parent;
        math::Matrix joints[2];
        ASSERT_TRUE(instance::jointMatrices(install(blueprint), 0, 10, joints));
        const math::Float4 p = math::transformPoint({2, 0, 0}, joints[1]);
        EXPECT_NEAR(p.x, 1, 1e-6f) << "parent " << parent;
        EXPECT_NEAR(p.y, 1, 1e-6f) << "parent " << parent;
    }
}

TEST_F(Pose, PaletteIsTransposedAndIdentityWithoutMotion) {
    const model::Obj3dModel& model = install(twoJointModel());
    JointPalette palette;
    ASSERT_EQ(instance::jointPalette(model, 0, 10, palette), PoseOutcome::Written);
    EXPECT_EQ(palette.count, 2);
    EXPECT_FLOAT_EQ(palette.matrix[0].m[2][3], 4.0f);  // the rise, in column 3
    EXPECT_NEAR(palette.matrix[0].m[0][1], -3.0f, 1e-6f);
    ASSERT_EQ(instance::jointPalette(model, -1, 10, palette), PoseOutcome::Written);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(palette.matrix[1].m[r][c], r == c ? 1.0f : 0.0f);
}

// What the constant buffer cannot hold or the tables cannot give.
TEST_F(Pose, PaletteRefusals) {
    SkinnedOptions many;
    many.joints = 120;
    many.motions = 1;
    JointPalette palette;
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
