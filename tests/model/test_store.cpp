// The model store: slot rules, release and its texture rule, shape-key
// attachments, tool input, and the ceiling of every count. Hair attachments
// are checked where drawing uses them (tests/render).
#include <gtest/gtest.h>

#include <algorithm>

#include "model/store.h"
#include "model/tool_input.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using namespace model;

// numvertex vertices, 2 faces, nummaterial materials.
Obj3dModel& makeModel(int numvertex = 3, int nummaterial = 2) {
    return *modelSlot(toolMakeObj3d({numvertex, 0, 0, 2, nummaterial, 0, 0, 0}));
}

TEST_F(StoreTest, SlotsAreTakenLowestFirstAndClearedHarmlessly) {
    for (int m = 0; m < kModelSlots; ++m) makeModel();
    EXPECT_EQ(firstFreeModelSlot(), -1);
    for (const int m : {31, 7, 7, -1, kModelSlots}) clearModel(m, 1, textures);
    EXPECT_FALSE(modelSlot(7)->vertex.present());
    const ToolCounts one{1, 0, 0, 1, 1, 0, 0, 0};
    EXPECT_EQ(std::vector<int>({toolMakeObj3d(one), toolMakeObj3d(one), toolMakeObj3d(one)}),
              std::vector<int>({7, 31, -11}));  // braced lists evaluate in order
}

TEST_F(StoreTest, ReleasingTexturesReleasesEachDistinctTableSlotOnce) {
    const int texsrvno[6] = {4, -1, 4, 100, 101, 9};
    for (int n = 0; n < 2; ++n) {
        Obj3dModel& m = makeModel(3, 6);
        for (int i = 0; i < 6; ++i) m.material[i].texsrvno = texsrvno[i];
    }
    clearModel(1, 0, textures);
    EXPECT_TRUE(textures.released.empty());
    clearModel(0, 1, textures);
    std::sort(textures.released.begin(), textures.released.end());
    EXPECT_EQ(textures.released, (std::vector<int>{4, 9}));
    EXPECT_FALSE(modelSlot(0)->header.present() || modelSlot(0)->material.present() || modelSlot(0)->face.present());
}

TEST_F(StoreTest, ShapekeyAttachmentsFollowTheReaderLayout) {
    Obj3dModel& model = makeModel(6);
    allocShapekeyinfo(model, 2);
    setShapekeyinfo(model, 0, 4, 3);
    setShapekeyinfo(model, 1, 2, 5);
    EXPECT_EQ(model.shapekeyinfo[1].firstdata, 12);
    allocShapekeyvertex(model, 3);
    const int32_t list[3] = {5, 2, 5}, vertexno[3] = {5, 4, 2}, frameno[3] = {0, 10, 20};
    setShapekeyvertex(model, list);
    allocShapekeytrans(model, 3);
    model.shapekeytrans[1].skvertexindex = 9;
    const double dx[3] = {0.5, 1.5, 2.5}, dz[3] = {-1, -2, -3};
    setShapekeytrans(model, vertexno, frameno, dx, dx, dz);
    // The last list position holding the vertex; unchanged when not listed.
    EXPECT_EQ(std::vector<int>({model.shapekeytrans[0].skvertexindex, model.shapekeytrans[1].skvertexindex,
                                model.shapekeytrans[2].skvertexindex, model.shapekeytrans[2].frameno}),
              std::vector<int>({2, 9, 1, 20}));
    EXPECT_EQ(model.shapekeytrans[2].dz, -3.0f);
    // The kind's last key frame: frameno of record firstdata + numframe - 1.
    EXPECT_EQ(shapekeyLastFrame(model, 0), 20);
    EXPECT_EQ(shapekeyLastFrame(model, 1), std::nullopt);  // record 16 does not exist
}

TEST_F(StoreTest, AttachmentCountsBeyondTheirCeilingChangeNothing) {
    Obj3dModel& model = makeModel(6);  // 6 vertices, 2 faces
    const struct {
        void (*alloc)(Obj3dModel&, int);
        int32_t Obj3dHeader::*count;
        int ceiling;
    } cases[] = {{allocShapekeyinfo, &Obj3dHeader::NumShapekey, kMaxShapekeyKinds},
                 {allocShapekeyvertex, &Obj3dHeader::NumShapekeyVertex, 6},
                 {allocShapekeytrans, &Obj3dHeader::NumShapekeydata, 6 * kMaxShapekeyKeysPerVertex},
                 {allocParticlehairFace, &Obj3dHeader::NumParticlehairFace, 2}};
    for (const auto& c : cases) {
        c.alloc(model, c.ceiling);
        for (const int refused : {c.ceiling + 1, INT32_MAX, -1}) c.alloc(model, refused);
        EXPECT_EQ(model.head()->*c.count, c.ceiling);
    }
    EXPECT_EQ(model.shapekeyvertex.size() + model.particlehairface.size(), 8u);
    // A kind moves at most every vertex, with at most the ceiling of keys.
    setShapekeyinfo(model, 0, 7, 1);
    setShapekeyinfo(model, 0, 6, kMaxShapekeyKeysPerVertex + 1);
    EXPECT_EQ(model.shapekeyinfo[0].numvertex, 0);
    setShapekeyinfo(model, 0, 6, 2);
    EXPECT_EQ(model.shapekeyinfo[0].numvertex, 6);
}

TEST_F(StoreTest, ToolCountsBeyondTheirCeilingFailBeforeAnyAllocation) {
    const struct {
        ToolCounts counts;
        int code;
    } cases[] = {
        {{-1, 0, 0, 1, 1, 0, 0, 0}, -2},
        {{kMaxToolVertices + 1, 0, 0, 1, 1, 0, 0, 0}, -2},
        {{1, 0, 0, -1, 1, 0, 0, 0}, -5},
        {{1, 0, 0, kMaxToolFaces + 1, 1, 0, 0, 0}, -5},
        {{1, 0, 0, 1, kMaxToolMaterials + 1, 0, 0, 0}, -6},
        {{1, 0, 0, 1, 1, kMaxToolJoints + 1, 0, 0}, -7},
        {{1, 0, 0, 1, 1, 0, kMaxToolMotions + 1, 0}, -9},
        {{1, 0, 0, 1, 1, 0, 1, kMaxToolFrames + 1}, -10},
        {{1, 0, 0, 1, 1, 0, 0, INT32_MAX}, -10},
        {{1, 0, 0, 1, 1, 256, 256, 257}, -8},  // one key record past kMaxToolKeys
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toolMakeObj3d(c.counts), c.code);
        EXPECT_EQ(occupiedModel(0), nullptr);
    }
    EXPECT_EQ(toolMakeObj3d({1, 0, 0, 1, 1, 256, 256, 256}), 0);  // exactly kMaxToolKeys
    EXPECT_EQ(modelSlot(0)->keyframe.size(), static_cast<size_t>(kMaxToolKeys));
}

TEST_F(StoreTest, ToolTablesFollowTheCountsAndInputTakesItsArgumentOrders) {
    // Joints without motions: no motion tables; normals and weights only when asked for.
    ASSERT_EQ(toolMakeObj3d({5, 0, 0, 4, 2, 3, 0, 0}), 0);
    EXPECT_EQ(std::vector<bool>({model(0).normal.present(), model(0).weight.present(), model(0).joint.size() == 3,
                                 model(0).motion.present(), model(0).keyframe.present(), model(0).complete}),
              std::vector<bool>({false, false, true, false, false, true}));
    ASSERT_EQ(toolMakeObj3d({2, 1, 1, 1, 1, 2, 1, 4}), 1);
    // 4 frames x 1 motion x 2 joints: eight values from each array; keys are
    // given as scale x y z, rotation w x y z, translation x y z.
    double columns[10][8];
    for (int k = 0; k < 10; ++k)
        for (int i = 0; i < 8; ++i) columns[k][i] = 10 * k + i;
    const int32_t part[2] = {3, 4}, mat[2] = {5, 6}, original[2] = {-1, 0}, frames[4] = {0, 10, 20, 30};
    Obj3dModel& m = model(1);
    toolVertexData(m, part, mat, original, columns[0], columns[1], columns[2], columns[3], columns[4]);
    toolVertexNorm(m, columns[5], columns[6], columns[7]);
    toolVertexJointWeight(m, part, columns[8], mat, columns[9]);
    toolJointData(m, part, columns[0], columns[1], columns[2]);
    toolFrameData(m, frames);
    toolMotionData(m, {columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6], columns[7],
                       columns[8], columns[9]});
    const Obj3dVertex& v = m.vertex[1];
    const Obj3dKeyframe& key = m.keyframe[7];
    EXPECT_EQ(std::vector<float>({float(v.partno), float(v.matno), float(v.originalvertexno), v.texu, v.texv, v.posx,
                                  v.posy, v.posz, m.normal[1].normx, m.normal[1].normz, float(m.weight[1].jointno1),
                                  m.weight[1].weight0, m.joint[1].parentposz, float(m.frameno[3])}),
              std::vector<float>({4, 6, 0, 1, 11, 21, 31, 41, 51, 71, 6, 81, 21, 30}));
    EXPECT_EQ(std::vector<float>({key.scalex, key.scalez, key.rot4w, key.rot4x, key.rot4z, key.transx, key.transz}),
              std::vector<float>({7, 27, 37, 47, 67, 77, 97}));
    m.motion[0] = {4, 0, 0};
    EXPECT_EQ(motionLastFrame(m, 0), 30);
    m.motion[0].numframe = 9;  // past the frame table: no answer
    EXPECT_EQ(motionLastFrame(m, 0), std::nullopt);
    // A header count larger than the table (a failed load) copies only the table's records.
    m.head()->NumVertex = 1000000;
    toolVertexData(m, part, mat, original, columns[9], columns[9], columns[9], columns[9], columns[9]);
    EXPECT_EQ(m.vertex[1].posx, 91.0f);
}

}  // namespace
}  // namespace korvel::testing
