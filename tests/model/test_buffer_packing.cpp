// CPU packing of the shared buffers: draw ranges, shape-key vertex indices
// and values outside the model's tables. Where each model lands shows in the
// drawing tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "model/model_buffers.h"
#include "model/tool_input.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using PackingTest = StoreTest;
using namespace model;

template <class V>
V vertexAt(const std::vector<uint8_t>& bytes, size_t v) {
    V value;
    std::memcpy(&value, bytes.data() + v * sizeof(V), sizeof(V));
    return value;
}

// vertices, faces (f, f + 1, f + 2 modulo the vertices), one material, no part.
Obj3dModel& toolModel(int vertices, int faces) {
    Obj3dModel& model = *modelSlot(toolMakeObj3d({vertices, 0, 0, faces, 1, 0, 0, 0}));
    for (int f = 0; f < faces; ++f) model.face[f] = {0, {f % vertices, (f + 1) % vertices, (f + 2) % vertices}, 0};
    return model;
}

// The field layout is pinned beside the vertex records and drawing's
// agreement with the CPU pose checks the values; here, the packing rules.
TEST_F(PackingTest, ShapekeyIndicesAndJointsOutsideTheModel) {
    ASSERT_EQ(load(samplePt3({.normals = true, .skin = true, .motions = true, .shapekeys = true}), 1), 0);
    Obj3dModel* models[1] = {modelSlot(0)};
    // A vertex's identity (vertex 2 copies vertex 0) looked up in the list.
    EXPECT_EQ(shapekeyVertexIndices(model(0)), (std::vector<int32_t>{0, -1, 0, 1}));
    model(0).weight[2].weight1 = 0.5f;  // on joint -1: packs as joint 0 with weight 0
    const auto v2 = vertexAt<NormalSkinnedVertex>(packVertices(models, LayoutGroup::NormalSkinned), 2);
    EXPECT_EQ(std::vector<float>({float(v2.shapekey), float(v2.jointno0), v2.weight0, float(v2.jointno1), v2.weight1}),
              std::vector<float>({0, 0, 1, 0, 0}));
    model(0).shapekeyvertex[1] = 0;  // the first list position wins
    EXPECT_EQ(shapekeyVertexIndices(model(0)), (std::vector<int32_t>{0, -1, 0, -1}));
    model(0).head()->NumShapekey = 0;
    EXPECT_EQ(shapekeyVertexIndices(model(0)), (std::vector<int32_t>{-1, -1, -1, -1}));
}

TEST_F(PackingTest, DrawRangesCoverEachPartMaterialRun) {
    Obj3dModel& model = *modelSlot(toolMakeObj3d({6, 0, 0, 5, 2, 0, 0, 0}));
    model.head()->NumPart = 2;
    const Obj3dFace faces[5] = {{0, {0, 1, 2}, 0}, {0, {1, 2, 3}, 0}, {0, {2, 3, 4}, 1}, {1, {3, 4, 5}, 1},
                                {2, {3, 4, 5}, 1}};  // the last part is outside the table: in no range
    std::copy(faces, faces + 5, model.face.data());
    Obj3dModel* models[1] = {&model};
    resetDrawRanges(models);
    EXPECT_EQ(packIndices(models)[14], 5u);
    ASSERT_EQ(model.drawrange.size(), 4u);
    const Obj3dDrawRange expected[4] = {{0, 6}, {0, 0}, {6, 3}, {9, 3}};  // material x NumPart + part
    for (int e = 0; e < 4; ++e) {
        EXPECT_EQ(model.drawrange[e].start, expected[e].start) << e;
        EXPECT_EQ(model.drawrange[e].count, expected[e].count) << e;
    }
    resetDrawRanges(models);  // a fresh build starts from zeroed ranges
    EXPECT_EQ(model.drawrange[0].count, 0);
}

TEST_F(PackingTest, ValuesOutsideTheTablesAreNotFollowed) {
    Obj3dModel& model = toolModel(3, 3);
    model.head()->NumPart = 1;
    model.face[1].vertexno[1] = 3;   // vertex 3 does not exist
    model.face[2].vertexno[0] = -1;  // nor does -1
    Obj3dModel* models[1] = {&model};
    resetDrawRanges(models);
    const auto indices = packIndices(models);
    EXPECT_EQ(std::vector<uint32_t>(indices.begin() + 3, indices.end()), std::vector<uint32_t>(6, 0));
    EXPECT_EQ(model.drawrange[0].count, 9);
    model.head()->NumParticlehairFace = 2;
    ASSERT_TRUE(model.particlehairface.allocate(2));
    model.particlehairface[1].faceno = 3;  // no such face: degenerate
    EXPECT_EQ(packHairIndices(models), (std::vector<uint32_t>{0, 1, 2, 0, 0, 0}));
    // A header count beyond its table packs only what the table holds.
    model.head()->NumVertex = model.head()->NumFace = 1000;
    EXPECT_EQ(groupVertexCount(models), 3u);
    EXPECT_EQ(groupIndexCount(models), 9u);
}

}  // namespace
}  // namespace korvel::testing
