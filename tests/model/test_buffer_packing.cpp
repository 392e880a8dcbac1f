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

TEST_F(PackingTest, DrawRangesCoverEachPartMaterialRunAndValuesOutsideTheTablesAreNotFollowed) {
    Obj3dModel& model = *modelSlot(toolMakeObj3d({6, 0, 0, 5, 2, 0, 0, 0}));
    model.head()->NumPart = 2;
    const Obj3dFace faces[5] = {{0, {0, 1, 2}, 0},
                                {0, {1, 2, 9}, 0},
                                {0, {-1, 3, 4}, 1},
                                {1, {3, 4, 5}, 1},
                                {2, {3, 4, 5}, 1}};  // vertices 9 and -1 and the last part do not exist
    std::copy(faces, faces + 5, model.face.data());
    Obj3dModel* models[1] = {&model};
    resetDrawRanges(models);
    EXPECT_EQ(packIndices(models), (std::vector<uint32_t>{0, 1, 2, 0, 0, 0, 0, 0, 0, 3, 4, 5, 3, 4, 5}));
    ASSERT_EQ(model.drawrange.size(), 4u);
    const Obj3dDrawRange expected[4] = {{0, 6}, {0, 0}, {6, 3}, {9, 3}};  // material x NumPart + part
    for (int e = 0; e < 4; ++e) {
        EXPECT_EQ(model.drawrange[e].start, expected[e].start) << e;
        EXPECT_EQ(model.drawrange[e].count, expected[e].count) << e;
    }
    resetDrawRanges(models);  // a fresh build starts from zeroed ranges
    EXPECT_EQ(model.drawrange[0].count, 0);
    model.head()->NumParticlehairFace = 2;
    ASSERT_TRUE(model.particlehairface.allocate(2));
    model.particlehairface[1].faceno = 7;  // no such face: degenerate
    EXPECT_EQ(packHairIndices(models), (std::vector<uint32_t>{0, 1, 2, 0, 0, 0}));
    // A header count beyond its table packs only what the table holds.
    model.head()->NumVertex = model.head()->NumFace = 1000;
    EXPECT_EQ(groupVertexCount(models), 6u);
    EXPECT_EQ(groupIndexCount(models), 15u);
}

}  // namespace
}  // namespace korvel::testing
