// Tool input: the tables made for the given counts, the codes, and the copy
// calls with their argument orders.
#include <gtest/gtest.h>

#include "model/ceilings.h"
#include "model/tool_input.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

using ToolTest = ModelStoreTest;

TEST_F(ToolTest, TablesFollowTheCounts) {
    const int m = toolMakeObj3d({5, 0, 0, 4, 2, 3, 0, 0});
    ASSERT_EQ(m, 0);
    const Obj3dModel& model = this->model(m);
    const Obj3dHeader& h = *model.head();
    EXPECT_TRUE(model.complete);
    EXPECT_EQ(h.NumVertex, 5);
    EXPECT_EQ(h.NumPart, 0);
    EXPECT_EQ(h.skinmode, 0);
    EXPECT_EQ(model.vertex.size(), 5u);
    EXPECT_FALSE(model.normal.present());  // normalmode 0
    EXPECT_FALSE(model.weight.present());  // no weights
    EXPECT_EQ(model.face.size(), 4u);
    EXPECT_EQ(model.material.size(), 2u);
    EXPECT_EQ(model.joint.size(), 3u);     // joints without motions
    EXPECT_FALSE(model.motion.present());
    EXPECT_FALSE(model.frameno.present());
    EXPECT_FALSE(model.keyframe.present());

    const int n = toolMakeObj3d({2, 1, 1, 1, 1, 0, 2, 3});
    ASSERT_EQ(n, 1);
    EXPECT_EQ(this->model(n).normal.size(), 2u);
    EXPECT_EQ(this->model(n).weight.size(), 2u);
    EXPECT_FALSE(this->model(n).joint.present());
    EXPECT_EQ(this->model(n).motion.size(), 2u);
    EXPECT_EQ(this->model(n).frameno.size(), 3u);
    EXPECT_EQ(this->model(n).keyframe.size(), 1u);  // 3 x 2 x 0 keys, at least one record
}

TEST_F(ToolTest, CountsBeyondTheirCeilingFailBeforeAnyAllocation) {
    for (int m = 0; m < kModelSlots; ++m) ASSERT_EQ(toolMakeObj3d({1, 0, 0, 1, 1, 0, 0, 0}), m);
    EXPECT_EQ(toolMakeObj3d({-1, 0, 0, 1, 1, 0, 0, 0}), -11);  // the full store first
    clearAllModels(textures);

    struct Case {
        ToolCounts counts;
        int code;
    };
    const int over = INT32_MAX;
    const Case cases[] = {
        {{-1, 0, 0, 1, 1, 0, 0, 0}, -2},
        {{kMaxToolVertices + 1, 0, 0, 1, 1, 0, 0, 0}, -2},
        {{1, 0, 0, -1, 1, 0, 0, 0}, -5},
        {{1, 0, 0, kMaxToolFaces + 1, 1, 0, 0, 0}, -5},
        {{1, 0, 0, 1, kMaxToolMaterials + 1, 0, 0, 0}, -6},
        {{1, 0, 0, 1, 1, kMaxToolJoints + 1, 0, 0}, -7},
        {{1, 0, 0, 1, 1, 0, kMaxToolMotions + 1, 0}, -9},
        {{1, 0, 0, 1, 1, 0, 1, kMaxToolFrames + 1}, -10},
        {{1, 0, 0, 1, 1, 0, 0, over}, -10},
        {{1, 0, 0, 1, 1, 256, 256, 257}, -8},  // one key record past kMaxToolKeys
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toolMakeObj3d(c.counts), c.code);
        EXPECT_EQ(occupiedModel(0), nullptr);
    }
    EXPECT_EQ(toolMakeObj3d({1, 0, 0, 1, 1, 256, 256, 256}), 0);  // exactly kMaxToolKeys
    EXPECT_EQ(modelSlot(0)->keyframe.size(), static_cast<size_t>(kMaxToolKeys));
}

TEST_F(ToolTest, InputCallsCopyTheirArrays) {
    const int m = toolMakeObj3d({2, 1, 1, 1, 1, 2, 1, 4});
    ASSERT_EQ(m, 0);
    Obj3dModel& model = this->model(m);
    const int32_t part[2] = {0, 1}, mat[2] = {0, 0}, original[2] = {-1, 0};
    const double u[2] = {0.25, 0.5}, v[2] = {0.75, 1}, x[2] = {1, 2}, y[2] = {3, 4}, z[2] = {5, 6.1};
    toolVertexData(model, part, mat, original, u, v, x, y, z);
    EXPECT_EQ(model.vertex[1].partno, 1);
    EXPECT_EQ(model.vertex[1].originalvertexno, 0);
    EXPECT_EQ(model.vertex[1].texu, 0.5f);
    EXPECT_EQ(model.vertex[1].posz, static_cast<float>(6.1));
    toolVertexNorm(model, x, y, z);
    EXPECT_EQ(model.normal[0].normy, 3.0f);
    const int32_t j0[2] = {1, 0}, j1[2] = {0, -1};
    const double w0[2] = {0.6, 1}, w1[2] = {0.4, 0};
    toolVertexJointWeight(model, j0, w0, j1, w1);
    EXPECT_EQ(model.weight[0].jointno0, 1);
    EXPECT_EQ(model.weight[0].jointno1, 0);
    EXPECT_EQ(model.weight[0].weight1, 0.4f);
    const int32_t fp[1] = {0}, fm[1] = {0}, a[1] = {0}, b[1] = {1}, c[1] = {1};
    toolFaceData(model, fp, fm, a, b, c);
    EXPECT_EQ(model.face[0].vertexno[1], 1);
    const int32_t parent[2] = {-1, 0};
    toolJointData(model, parent, x, y, z);
    EXPECT_EQ(model.joint[1].parentjointno, 0);
    EXPECT_EQ(model.joint[1].parentposx, 2.0f);
    const int32_t frames[4] = {0, 5, 10, 15};
    toolFrameData(model, frames);
    EXPECT_EQ(model.frameno[3], 15);

    // NumTotalFrame 4 x NumMotion 1 x NumJoint 2: eight values from each
    // array, in the key-column order scale, rotation w x y z, translation.
    double columns[10][8];
    for (int k = 0; k < 10; ++k)
        for (int i = 0; i < 8; ++i) columns[k][i] = 10 * k + i;
    toolMotionData(model, {columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6],
                           columns[7], columns[8], columns[9]});
    ASSERT_EQ(model.keyframe.size(), 8u);
    const Obj3dKeyframe& key = model.keyframe[7];
    EXPECT_EQ(key.scalex, 7.0f);
    EXPECT_EQ(key.scalez, 27.0f);
    EXPECT_EQ(key.rot4w, 37.0f);
    EXPECT_EQ(key.rot4x, 47.0f);
    EXPECT_EQ(key.rot4z, 67.0f);
    EXPECT_EQ(key.transx, 77.0f);
    EXPECT_EQ(key.transz, 97.0f);
}

TEST_F(ToolTest, InputCallsWriteOnlyTablesThatExist) {
    const int m = toolMakeObj3d({2, 0, 0, 1, 1, 0, 0, 0});
    Obj3dModel& model = this->model(m);
    const double values[2] = {1, 2};
    const int32_t ints[2] = {0, 0};
    toolVertexNorm(model, values, values, values);
    toolVertexJointWeight(model, ints, values, ints, values);
    toolJointData(model, ints, values, values, values);
    toolFrameData(model, ints);
    EXPECT_FALSE(model.normal.present());
    EXPECT_FALSE(model.weight.present());
    // A header count larger than the table copies only the table's records.
    model.head()->NumVertex = 1000000;
    const double many[2] = {9, 9};
    toolVertexData(model, ints, ints, ints, many, many, many, many, many);
    EXPECT_EQ(model.vertex[1].posx, 9.0f);
    toolVertexData(model, nullptr, ints, ints, many, many, many, many, many);
}

}  // namespace
}  // namespace korvel::model::testing
