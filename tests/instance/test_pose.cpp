// Joint matrices and the joint palette against an independent
// double-precision evaluation, and the palette's refusals.
#include <gtest/gtest.h>

#include <cmath>

#include "instance/pose.h"
#include "instance/pose_reference.h"
#include "instance/skinned_model.h"
#include "instance/store_fixture.h"
#include "math/matrix.h"

namespace korvel::testing {
namespace {

using instance::JointPalette;
using instance::PoseOutcome;

class Pose : public StoreTest {
protected:
    model::Obj3dModel& install(const ModelBlueprint& blueprint) {
        blueprint_ = blueprint;
        return *model::completeModel(installModel(blueprint_));
    }
    ModelBlueprint blueprint_;
};

void expectNear(const math::Matrix& m, const DMatrix& ref, double tolerance) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], ref.m[i][j], tolerance) << "element " << i << j;
}

TEST_F(Pose, JointMatricesMatchTheDoublePrecisionReference) {
    SkinnedOptions options;
    options.joints = 40;
    options.motions = 3;
    options.keyFrames = {2, 10, 11, 30};
    const model::Obj3dModel& model = install(skinnedModel(options));
    const model::Obj3dKeyframe& k0 = blueprint_.keyframes[0];
    const model::Obj3dKeyframe& k1 = blueprint_.keyframes[1];
    ASSERT_LT(k0.rot4x * k1.rot4x + k0.rot4y * k1.rot4y + k0.rot4z * k1.rot4z + k0.rot4w * k1.rot4w, 0.0f);
    std::vector<math::Matrix> joints(40);
    // Before, on, between (including a one-frame gap) and after the keys;
    // consecutive keys have quaternions of negative dot product.
    for (int motion = 0; motion < 3; ++motion) {
        for (int frame : {-5, 0, 2, 3, 6, 10, 11, 17, 29, 30, 31, 1000}) {
            SCOPED_TRACE(::testing::Message() << "motion " << motion << " frame " << frame);
            ASSERT_TRUE(instance::jointMatrices(model, motion, frame, joints.data()));
            const std::vector<DMatrix> ref = referenceJoints(blueprint_, motion, frame);
            for (int j = 0; j < 40; ++j) expectNear(joints[j], ref[j], 2e-4);
        }
    }
}

TEST_F(Pose, PaletteIsTheTransposeAndIdentityForNoMotion) {
    const model::Obj3dModel& model = install(skinnedModel({}));
    JointPalette palette;
    ASSERT_EQ(instance::jointPalette(model, 1, 17, palette), PoseOutcome::Written);
    ASSERT_EQ(palette.count, 8);
    std::vector<math::Matrix> joints(8);
    ASSERT_TRUE(instance::jointMatrices(model, 1, 17, joints.data()));
    for (int j = 0; j < 8; ++j)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(palette.matrix[j].m[r][c], joints[j].m[c][r]);

    ASSERT_EQ(instance::jointPalette(model, -1, 17, palette), PoseOutcome::Written);
    for (int j = 0; j < 8; ++j)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(palette.matrix[j].m[r][c], r == c ? 1.0f : 0.0f);
}

TEST_F(Pose, AKeyAtTheRestPositionFollowsTheParent) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 0, 0, 0)};
    blueprint.joints = {{-1, 0, 0, 0}, {0, 1, 2, 3}};
    blueprint.motions = {{1, 0, 0}};
    blueprint.frameno = {0};
    const float h = std::sqrt(0.5f);
    blueprint.keyframes = {{0, 0, h, h, 2, 2, 2, 5, 0, 0},   // joint 0: turn, double, move
                      {0, 0, 0, 1, 1, 1, 1, 1, 2, 3}};  // joint 1: identity at its rest position
    const model::Obj3dModel& model = install(blueprint);
    math::Matrix joints[2];
    ASSERT_TRUE(instance::jointMatrices(model, 0, 0, joints));
    expectNear(joints[0], referenceJoints(blueprint, 0, 0)[0], 1e-6);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(joints[1].m[r][c], joints[0].m[r][c], 1e-6f);
}

TEST_F(Pose, AJointWithoutAnEarlierParentIsARoot) {
    SkinnedOptions options;
    options.joints = 5;
    ModelBlueprint blueprint = skinnedModel(options);
    blueprint.joints[2].parentjointno = -1;
    blueprint.joints[3].parentjointno = 3;  // itself
    blueprint.joints[4].parentjointno = 99;
    const model::Obj3dModel& model = install(blueprint);
    math::Matrix joints[5];
    ASSERT_TRUE(instance::jointMatrices(model, 1, 12, joints));
    // Each of them equals its own local matrix: the pose of a lone root.
    ModelBlueprint roots = blueprint;
    for (model::Obj3dJoint& joint : roots.joints) joint.parentjointno = -1;
    const std::vector<DMatrix> ref = referenceJoints(roots, 1, 12);
    for (int j : {2, 3, 4}) expectNear(joints[j], ref[j], 2e-5);
}

TEST_F(Pose, PaletteRefusesWhatTheConstantBufferCannotHoldOrTheTablesCannotGive) {
    SkinnedOptions options;
    options.joints = 120;
    options.motions = 1;
    JointPalette palette;
    EXPECT_EQ(instance::jointPalette(install(skinnedModel(options)), 0, 5, palette), PoseOutcome::Written);
    EXPECT_EQ(palette.count, 120);

    options.joints = 121;
    const model::Obj3dModel& big = install(skinnedModel(options));
    EXPECT_EQ(instance::jointPalette(big, 0, 5, palette), PoseOutcome::Refused);
    EXPECT_EQ(instance::jointPalette(big, -1, 5, palette), PoseOutcome::Refused);

    options.joints = 4;
    options.motions = 2;
    const model::Obj3dModel& small = install(skinnedModel(options));
    EXPECT_EQ(instance::jointPalette(small, 2, 5, palette), PoseOutcome::Refused);  // no motion 2

    ModelBlueprint still = skinnedModel(options);
    still.motions.clear();
    EXPECT_EQ(instance::jointPalette(install(still), 0, 5, palette), PoseOutcome::NoMotions);
}

TEST_F(Pose, MotionsReachingOutsideTheirTablesAreNotEvaluated) {
    SkinnedOptions options;
    options.joints = 4;
    options.motions = 2;
    const ModelBlueprint good = skinnedModel(options);
    math::Matrix joints[4];

    ModelBlueprint shortKeys = good;
    shortKeys.keyframes.resize(4 * 4 * 2 - 1);  // motion 1's last key is missing
    const model::Obj3dModel& a = install(shortKeys);
    EXPECT_TRUE(instance::jointMatrices(a, 0, 5, joints));
    EXPECT_FALSE(instance::jointMatrices(a, 1, 5, joints));

    ModelBlueprint badFrames = good;
    badFrames.motions[1].firstframe = 5;  // 5 + 4 frames > 8 entries
    EXPECT_FALSE(instance::jointMatrices(install(badFrames), 1, 5, joints));

    ModelBlueprint noFrames = good;
    noFrames.motions[0].numframe = 0;
    EXPECT_FALSE(instance::jointMatrices(install(noFrames), 0, 5, joints));

    ModelBlueprint negative = good;
    negative.motions[0].firstkey = -1;
    EXPECT_FALSE(instance::jointMatrices(install(negative), 0, 5, joints));

    model::Obj3dModel& d = install(good);
    d.head()->NumJoint = 9;  // more than the joint table holds
    EXPECT_EQ(instance::poseJointCount(d), 0);
    JointPalette palette;
    EXPECT_EQ(instance::jointPalette(d, 0, 5, palette), PoseOutcome::Refused);
}

}  // namespace
}  // namespace korvel::testing
