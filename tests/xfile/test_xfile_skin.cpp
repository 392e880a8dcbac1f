// Per-vertex weights from skin-weight entries: which entries count, the
// last joint of a name, and the two strongest of more than two influences.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/xfile_skin.h"

namespace korvel::model::xfile {
namespace {

TEST(XfileSkin, EntriesWithoutJointOrPositiveWeightAreDropped) {
    const std::vector<std::string> bones = {"A_Joint", "Ghost_Joint", "B_Joint"};
    std::vector<RawJoint> joints(3);
    joints[0].name = "A_Joint";
    joints[1].name = "B_Joint";
    joints[2].name = "A_Joint";  // a repeated name maps to the last joint
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<SkinEntry> entries = {
        {1, 0, 0.9f},  // no joint of that name
        {0, 0, 0.0f},  // weight 0
        {2, 0, -1.0f},
        {0, 0, nan},
        {2, 0, 0.25f},
        {0, 1, 0.5f},
    };
    const std::vector<Obj3dWeight> w = vertexWeights(3, entries, bones, joints);
    EXPECT_EQ(w[0].jointno0, 1);
    EXPECT_EQ(w[0].weight0, 0.25f);
    EXPECT_EQ(w[0].jointno1, -1);
    EXPECT_EQ(w[1].jointno0, 2);
    EXPECT_EQ(w[2].jointno0, 0);  // no entries
    EXPECT_EQ(w[2].weight0, 0.0f);
    EXPECT_EQ(w[2].jointno1, -1);
}

TEST(XfileSkin, TwoStrongestOfManyKeepEntryOrderAndTheTotal) {
    const std::vector<std::string> bones = {"J0", "J1", "J2", "J3"};
    std::vector<RawJoint> joints(4);
    for (size_t j = 0; j < joints.size(); ++j) joints[j].name = bones[j];
    const std::vector<SkinEntry> entries = {
        // Vertex 0: the strongest comes last; a tie for second goes to the earlier.
        {0, 0, 0.2f}, {1, 0, 0.1f}, {2, 0, 0.2f}, {3, 0, 0.5f},
        // Vertex 1: exactly two influences stay as read, not scaled.
        {3, 1, 0.25f}, {1, 1, 0.25f},
        // Vertex 2: four equal weights: the first two.
        {3, 2, 0.25f}, {2, 2, 0.25f}, {1, 2, 0.25f}, {0, 2, 0.25f},
    };
    const std::vector<Obj3dWeight> w = vertexWeights(3, entries, bones, joints);
    EXPECT_EQ(w[0].jointno0, 0);
    EXPECT_EQ(w[0].jointno1, 3);
    EXPECT_FLOAT_EQ(w[0].weight0, 0.2f * 1.0f / 0.7f);
    EXPECT_FLOAT_EQ(w[0].weight1, 0.5f * 1.0f / 0.7f);
    EXPECT_EQ(w[1].jointno0, 3);
    EXPECT_EQ(w[1].weight0, 0.25f);
    EXPECT_EQ(w[1].weight1, 0.25f);
    EXPECT_EQ(w[2].jointno0, 3);
    EXPECT_EQ(w[2].jointno1, 2);
    EXPECT_EQ(w[2].weight0, 0.5f);
    EXPECT_EQ(w[2].weight0 + w[2].weight1, 1.0f);
}

}  // namespace
}  // namespace korvel::model::xfile
