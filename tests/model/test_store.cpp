// The model store: slot rules, release and its texture rule, shape-key and
// particle-hair attachments, and the small queries.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/attachments.h"
#include "model/ceilings.h"
#include "model/info.h"
#include "model/tool_input.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

using StoreTest = ModelStoreTest;

int makeModel(int numvertex = 3, int nummaterial = 2) {
    return toolMakeObj3d({numvertex, 0, 0, 2, nummaterial, 0, 0, 0});
}

TEST_F(StoreTest, SlotsAreTakenLowestFirstAndReused) {
    for (int m = 0; m < kModelSlots; ++m) ASSERT_EQ(makeModel(), m);
    EXPECT_EQ(firstFreeModelSlot(), -1);
    clearModel(31, 0, textures);
    clearModel(7, 0, textures);
    EXPECT_EQ(makeModel(), 7);
    EXPECT_EQ(makeModel(), 31);
    EXPECT_EQ(firstFreeModelSlot(), -1);
}

TEST_F(StoreTest, ClearingFreeOrOutOfRangeSlotsIsHarmless) {
    clearModel(3, 1, textures);
    clearModel(-1, 1, textures);
    clearModel(kModelSlots, 1, textures);
    const int m = makeModel();
    clearModel(m, 1, textures);
    clearModel(m, 1, textures);
    EXPECT_EQ(occupiedModel(m), nullptr);
    EXPECT_EQ(occupiedModel(-5), nullptr);
    EXPECT_EQ(completeModel(kModelSlots), nullptr);
    EXPECT_FALSE(modelSlot(m)->vertex.present());
}

TEST_F(StoreTest, ReleasingTexturesReleasesEachDistinctTableSlotOnce) {
    const int m = makeModel(3, 6);
    const int texsrvno[6] = {4, -1, 4, 100, 101, 9};
    for (int i = 0; i < 6; ++i) model(m).material[i].texsrvno = texsrvno[i];
    const int keep = makeModel(3, 6);
    for (int i = 0; i < 6; ++i) model(keep).material[i].texsrvno = texsrvno[i];

    clearModel(keep, 0, textures);
    EXPECT_TRUE(textures.released.empty());
    clearModel(m, 1, textures);
    std::sort(textures.released.begin(), textures.released.end());
    EXPECT_EQ(textures.released, (std::vector<int>{4, 9}));
    // The whole slot is released, every table with it.
    EXPECT_FALSE(modelSlot(m)->header.present());
    EXPECT_FALSE(modelSlot(m)->material.present());
    EXPECT_FALSE(modelSlot(m)->face.present());
}

TEST_F(StoreTest, ShapekeyAttachmentsFollowTheReaderLayout) {
    const int m = makeModel(6);
    Obj3dModel& model = this->model(m);
    allocShapekeyinfo(model, 2);
    setShapekeyinfo(model, 0, 4, 3);
    setShapekeyinfo(model, 1, 2, 5);
    EXPECT_EQ(model.head()->NumShapekey, 2);
    EXPECT_EQ(model.shapekeyinfo[0].firstdata, 0);
    EXPECT_EQ(model.shapekeyinfo[1].firstdata, 12);
    setShapekeyinfo(model, 2, 1, 1);  // no such kind: nothing happens
    setShapekeyinfo(model, -1, 1, 1);

    allocShapekeyvertex(model, 3);
    const int32_t list[3] = {5, 2, 5};
    setShapekeyvertex(model, list);
    allocShapekeytrans(model, 3);
    model.shapekeytrans[1].skvertexindex = 9;
    const int32_t vertexno[3] = {5, 4, 2};
    const int32_t frameno[3] = {0, 10, 20};
    const double dx[3] = {0.5, 1.5, 2.5}, dy[3] = {0, 0, 0}, dz[3] = {-1, -2, -3};
    setShapekeytrans(model, vertexno, frameno, dx, dy, dz);
    EXPECT_EQ(model.shapekeytrans[0].skvertexindex, 2);  // the last position holding 5
    EXPECT_EQ(model.shapekeytrans[1].skvertexindex, 9);  // 4 is not listed: unchanged
    EXPECT_EQ(model.shapekeytrans[2].skvertexindex, 1);
    EXPECT_EQ(model.shapekeytrans[2].frameno, 20);
    EXPECT_FLOAT_EQ(model.shapekeytrans[2].dz, -3.0f);

    // The kind's last key frame: the frameno of record firstdata + numframe - 1.
    EXPECT_EQ(shapekeyLastFrame(model, 0), 20);
    EXPECT_EQ(shapekeyLastFrame(model, 1), std::nullopt);  // record 16 does not exist
    EXPECT_EQ(shapekeyLastFrame(model, 2), std::nullopt);

    // A fresh allocation replaces the table.
    allocShapekeytrans(model, 1);
    EXPECT_EQ(model.shapekeytrans[0].frameno, 0);
    setShapekeytrans(model, nullptr, frameno, dx, dy, dz);
    EXPECT_EQ(model.shapekeytrans[0].frameno, 0);
}

TEST_F(StoreTest, AttachmentCountsBeyondTheirCeilingChangeNothing) {
    Obj3dModel& model = this->model(makeModel(6));  // 6 vertices, 2 faces
    struct Case {
        void (*alloc)(Obj3dModel&, int);
        int32_t Obj3dHeader::*count;
        int ceiling;
    };
    const Case cases[] = {{allocShapekeyinfo, &Obj3dHeader::NumShapekey, kMaxShapekeyKinds},
                          {allocShapekeyvertex, &Obj3dHeader::NumShapekeyVertex, 6},
                          {allocShapekeytrans, &Obj3dHeader::NumShapekeydata, 6 * kMaxShapekeyKeysPerVertex},
                          {allocParticlehairFace, &Obj3dHeader::NumParticlehairFace, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ceiling);
        c.alloc(model, c.ceiling);
        for (const int refused : {c.ceiling + 1, INT32_MAX, -1}) c.alloc(model, refused);
        EXPECT_EQ(model.head()->*c.count, c.ceiling);
    }
    EXPECT_EQ(model.shapekeyvertex.size(), 6u);
    EXPECT_EQ(model.particlehairface.size(), 2u);
    // A kind moves at most every vertex.
    setShapekeyinfo(model, 0, 7, 1);
    setShapekeyinfo(model, 0, 6, kMaxShapekeyKeysPerVertex + 1);
    EXPECT_EQ(model.shapekeyinfo[0].numvertex, 0);
    setShapekeyinfo(model, 0, 6, 2);
    EXPECT_EQ(model.shapekeyinfo[0].numvertex, 6);
}

TEST_F(StoreTest, ParticleHairAttachments) {
    const int m = makeModel();
    Obj3dModel& model = this->model(m);
    allocParticlehairFace(model, 2);
    const int32_t faceno[2] = {0, 0}, p0[2] = {1, 2}, p1[2] = {3, 4}, p2[2] = {5, 6};
    const int32_t r[2] = {255, -1}, g[2] = {51, 0}, b[2] = {0, 510};
    const double length[2] = {2.5, 3.5}, vx[2] = {1, 0}, vy[2] = {0, 1}, vz[2] = {0, 0};
    setParticlehairFace(model, {faceno, p0, length, p1, p2, vx, vy, vz, r, g, b});
    const ParticlehairFace& h1 = model.particlehairface[1];
    EXPECT_EQ(h1.hairparam0, 2);
    EXPECT_FLOAT_EQ(h1.hairlength, 3.5f);  // no scale
    EXPECT_EQ(h1.haircolor[0], static_cast<float>(-1 / 255.0));
    EXPECT_EQ(h1.haircolor[2], 2.0f);  // not clamped

    model.particlehairface[1].faceno = 7;
    setParticlehairFaceEach(model, 1, 9, 0.25, 8, 7, 0, 0, 1, 0, 255, 0);
    EXPECT_EQ(h1.faceno, 7);  // kept
    EXPECT_EQ(h1.hairparam0, 9);
    EXPECT_EQ(h1.hairparam2, 7);
    EXPECT_FLOAT_EQ(h1.hairvec[2], 1.0f);
    EXPECT_EQ(h1.haircolor[1], 1.0f);
    setParticlehairFaceEach(model, 2, 9, 0.25, 8, 7, 0, 0, 1, 0, 255, 0);  // no such record
    setParticlehairFaceEach(model, -1, 9, 0.25, 8, 7, 0, 0, 1, 0, 255, 0);
}

TEST_F(StoreTest, InfoAndLastFrameQueries) {
    const int m = toolMakeObj3d({4, 1, 1, 2, 3, 2, 1, 3});
    ASSERT_GE(m, 0);
    const int32_t frames[3] = {0, 10, 20};
    toolFrameData(model(m), frames);
    model(m).motion[0] = {3, 0, 0};
    int32_t info[12];
    infoGet(model(m), info);
    const int32_t expected[12] = {1, 4, 2, 3, 0, 2, 1, 3, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(info, info + 12, expected));
    EXPECT_EQ(motionLastFrame(model(m), 0), 20);
    EXPECT_EQ(motionLastFrame(model(m), 1), std::nullopt);
    model(m).motion[0].numframe = 9;  // runs past the frameno table
    EXPECT_EQ(motionLastFrame(model(m), 0), std::nullopt);

    double position[3] = {7, 7, 7};
    EXPECT_FALSE(pointInfo(model(m), 4, position));
    EXPECT_EQ(position[0], 7.0);
    model(m).vertex[3].posy = -2.5f;
    EXPECT_TRUE(pointInfo(model(m), 3, position));
    EXPECT_EQ(position[1], -2.5);
}

TEST(KeyRecordCountTest, SaturatesAndIgnoresNegativeFactors) {
    Obj3dHeader h{};
    h.NumTotalFrame = 10;
    h.NumMotion = 2;
    h.NumJoint = 3;
    EXPECT_EQ(keyRecordCount(h), 60);
    h.NumJoint = -3;
    EXPECT_EQ(keyRecordCount(h), 0);
    h.NumTotalFrame = h.NumMotion = h.NumJoint = INT32_MAX;
    EXPECT_EQ(keyRecordCount(h), INT64_MAX);
}

}  // namespace
}  // namespace korvel::model::testing
