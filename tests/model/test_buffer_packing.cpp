// CPU packing of the shared buffers: vertex formats per layout group, base
// vertex and start index, draw ranges, shape-key vertex indices, hair, and
// values outside the model's tables.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "model/buffer_packing.h"
#include "model/tool_input.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

using PackingTest = ModelStoreTest;

template <class T>
T at(const std::vector<uint8_t>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

int toolModel(int vertices, int faces) {
    const int m = toolMakeObj3d({vertices, 0, 0, faces, 1, 0, 0, 0});
    Obj3dModel& model = *modelSlot(m);
    for (int f = 0; f < faces; ++f) model.face[f] = {0, {f % vertices, (f + 1) % vertices, (f + 2) % vertices}, 0};
    return m;
}

TEST_F(PackingTest, ModelsLandBackToBack) {
    Obj3dModel* models[2] = {modelSlot(toolModel(100, 20)), modelSlot(toolModel(50, 10))};
    const auto vertices = packVertices(models, LayoutGroup::Plain);
    EXPECT_EQ(vertices.size(), 150u * 24);
    EXPECT_EQ(models[0]->head()->basevertex, 0);
    EXPECT_EQ(models[1]->head()->basevertex, 100);
    resetDrawRanges(models);
    const auto indices = packIndices(models);
    ASSERT_EQ(indices.size(), 90u);
    EXPECT_EQ(models[0]->head()->startindex, 0);
    EXPECT_EQ(models[1]->head()->startindex, 60);
    // Indices stay model-local.
    EXPECT_EQ(indices[60], 0u);
    EXPECT_EQ(indices[62], 2u);
}

TEST_F(PackingTest, EachGroupWritesItsFieldsAtTheirOffsets) {
    const int m = load(samplePt3({.normals = true, .skin = true, .motions = true, .shapekeys = true}), 1);
    ASSERT_EQ(m, 0);
    Obj3dModel* models[1] = {modelSlot(m)};
    const Obj3dModel& model = *models[0];
    struct Expect {
        LayoutGroup group;
        size_t stride, normal, shapekey, skin;
    };
    const Expect groups[] = {{LayoutGroup::Plain, 24, 0, 20, 0},
                             {LayoutGroup::Normal, 36, 20, 32, 0},
                             {LayoutGroup::PlainSkinned, 40, 0, 20, 24},
                             {LayoutGroup::NormalSkinned, 52, 20, 32, 36}};
    const int32_t shapekeyIndex[4] = {0, -1, 0, 1};
    for (const Expect& e : groups) {
        SCOPED_TRACE(e.stride);
        const auto bytes = packVertices(models, e.group);
        ASSERT_EQ(bytes.size(), 4 * e.stride);
        for (size_t v = 0; v < 4; ++v) {
            const size_t base = v * e.stride;
            EXPECT_EQ(at<float>(bytes, base + 0), model.vertex[v].posx);
            EXPECT_EQ(at<float>(bytes, base + 8), model.vertex[v].posz);
            EXPECT_EQ(at<float>(bytes, base + 12), model.vertex[v].texu);
            EXPECT_EQ(at<float>(bytes, base + 16), model.vertex[v].texv);
            if (e.normal) {
                EXPECT_EQ(at<float>(bytes, base + e.normal), model.normal[v].normx);
                EXPECT_EQ(at<float>(bytes, base + e.normal + 8), model.normal[v].normz);
            }
            EXPECT_EQ(at<int32_t>(bytes, base + e.shapekey), shapekeyIndex[v]);
            if (e.skin) {
                // Interleaved on the GPU: joint 0, weight 0, joint 1, weight 1.
                EXPECT_EQ(at<int32_t>(bytes, base + e.skin), model.weight[v].jointno0);
                EXPECT_EQ(at<float>(bytes, base + e.skin + 4), model.weight[v].weight0);
                EXPECT_EQ(at<int32_t>(bytes, base + e.skin + 8), v == 2 ? 0 : model.weight[v].jointno1);
                EXPECT_EQ(at<float>(bytes, base + e.skin + 12), model.weight[v].weight1);
            }
        }
    }
}

TEST_F(PackingTest, ShapekeyIndicesLookUpTheVertexIdentity) {
    const int m = load(samplePt3({.shapekeys = true}));
    ASSERT_EQ(m, 0);
    EXPECT_EQ(shapekeyVertexIndices(model(m)), (std::vector<int32_t>{0, -1, 0, 1}));
    // The first list position wins.
    model(m).shapekeyvertex[1] = 0;
    EXPECT_EQ(shapekeyVertexIndices(model(m)), (std::vector<int32_t>{0, -1, 0, -1}));
    model(m).head()->NumShapekey = 0;
    EXPECT_EQ(shapekeyVertexIndices(model(m)), (std::vector<int32_t>{-1, -1, -1, -1}));
}

TEST_F(PackingTest, DrawRangesCoverEachPartMaterialRun) {
    const int m = toolMakeObj3d({6, 0, 0, 5, 2, 0, 0, 0});
    Obj3dModel& model = this->model(m);
    model.head()->NumPart = 2;
    model.face[0] = {0, {0, 1, 2}, 0};
    model.face[1] = {0, {1, 2, 3}, 0};
    model.face[2] = {0, {2, 3, 4}, 1};
    model.face[3] = {1, {3, 4, 5}, 1};
    model.face[4] = {2, {3, 4, 5}, 1};  // part outside the table: in no range
    Obj3dModel* models[1] = {&model};
    resetDrawRanges(models);
    const auto indices = packIndices(models);
    ASSERT_EQ(indices.size(), 15u);
    EXPECT_EQ(indices[14], 5u);
    ASSERT_EQ(model.drawrange.size(), 4u);
    const Obj3dDrawRange expected[4] = {{0, 6}, {0, 0}, {6, 3}, {9, 3}};  // material x NumPart + part
    for (int e = 0; e < 4; ++e) {
        EXPECT_EQ(model.drawrange[e].start, expected[e].start) << e;
        EXPECT_EQ(model.drawrange[e].count, expected[e].count) << e;
    }
    // A fresh build starts from zeroed ranges.
    resetDrawRanges(models);
    EXPECT_EQ(model.drawrange[0].count, 0);
}

TEST_F(PackingTest, ValuesOutsideTheTablesAreNotFollowed) {
    const int m = toolMakeObj3d({3, 0, 1, 3, 1, 2, 0, 0});
    Obj3dModel& model = this->model(m);
    model.head()->NumPart = 1;
    model.face[0] = {0, {0, 1, 2}, 0};
    model.face[1] = {0, {0, 3, 2}, 0};   // vertex 3 does not exist
    model.face[2] = {0, {-1, 1, 2}, 0};  // nor does -1
    model.weight[0] = {5, -1, 0.5f, 0.5f};
    Obj3dModel* models[1] = {&model};
    resetDrawRanges(models);
    const auto indices = packIndices(models);
    EXPECT_EQ(std::vector<uint32_t>(indices.begin() + 3, indices.end()), std::vector<uint32_t>(6, 0));
    EXPECT_EQ(model.drawrange[0].count, 9);
    const auto bytes = packVertices(models, LayoutGroup::PlainSkinned);
    EXPECT_EQ(at<int32_t>(bytes, 24), 0);    // joint 5 of 2
    EXPECT_EQ(at<float>(bytes, 28), 0.0f);   // with no weight
    EXPECT_EQ(at<int32_t>(bytes, 32), 0);    // joint -1
    EXPECT_EQ(at<float>(bytes, 36), 0.0f);

    // A header count beyond its table packs only what the table holds.
    model.head()->NumVertex = 1000;
    model.head()->NumFace = 1000;
    EXPECT_EQ(groupVertexCount(models), 3u);
    EXPECT_EQ(groupIndexCount(models), 9u);
}

TEST_F(PackingTest, HairIndicesFollowEachModelsHairStart) {
    const int a = toolModel(4, 12);
    const int b = toolModel(5, 3);
    Obj3dModel& first = model(a);
    Obj3dModel& second = model(b);
    first.head()->NumParticlehairFace = 10;
    ASSERT_TRUE(first.particlehairface.allocate(10));
    second.head()->NumParticlehairFace = 2;
    ASSERT_TRUE(second.particlehairface.allocate(2));
    second.particlehairface[0].faceno = 2;
    second.particlehairface[1].faceno = 3;  // no such face: degenerate
    Obj3dModel* models[2] = {&first, &second};
    ASSERT_EQ(hairIndexCount(models), 36u);
    const auto indices = packHairIndices(models);
    EXPECT_EQ(second.head()->hairstartindex, 30);
    EXPECT_EQ(std::vector<uint32_t>(indices.begin() + 30, indices.end()), (std::vector<uint32_t>{2, 3, 4, 0, 0, 0}));
}

}  // namespace
}  // namespace korvel::model::testing
