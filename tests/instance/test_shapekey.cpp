// Shape-key offsets for drawing and single-vertex displacements for the CPU
// evaluation: activation, blending, and rows that reach outside the tables.
#include <gtest/gtest.h>

#include "instance/shapekey.h"
#include "instance/store_fixture.h"

namespace korvel::testing {
namespace {

using instance::PoseOutcome;
using instance::ShapekeyOffsets;
using instance::ShapekeySampler;

// Ten vertices, list entry i names vertex i. Kind 0 moves one row (entry 7)
// with keys at frames 0 and 10; kind 1 moves rows 0..2 with keys at 4, 8, 12.
ModelBlueprint shapekeyModel() {
    ModelBlueprint blueprint;
    for (int v = 0; v < 10; ++v) blueprint.vertices.push_back(vertexAt(0, static_cast<float>(v), 0, 0));
    for (int v = 0; v < 10; ++v) blueprint.shapekeyvertex.push_back(v);
    blueprint.shapekeyinfo = {{1, 2, 0}, {3, 3, 2}};
    blueprint.shapekeytrans = {{7, 0, 1, 2, 3}, {7, 10, 3, 2, 1}};
    for (int row = 0; row < 3; ++row)
        for (int f = 0; f < 3; ++f)
            blueprint.shapekeytrans.push_back({row, 4 + 4 * f, static_cast<float>(row), static_cast<float>(f), 0});
    return blueprint;
}

class Shapekey : public StoreTest {
protected:
    model::Obj3dModel& install(const ModelBlueprint& blueprint) { return *model::completeModel(installModel(blueprint)); }
};

TEST_F(Shapekey, InactiveWithoutKeysOrForANegativeNumber) {
    ShapekeyOffsets out;
    out.flag = 7;
    out.count = 9;
    out.offset[0] = {5, 5, 5, 5};
    EXPECT_EQ(instance::shapekeyOffsets(install(shapekeyModel()), -1, 5, out), PoseOutcome::Written);
    EXPECT_EQ(out.flag, 0);
    EXPECT_EQ(out.count, 1);
    EXPECT_EQ(out.offset[0].x, 0.0f);
    EXPECT_EQ(out.offset[0].w, 0.0f);

    ModelBlueprint plain;
    plain.vertices = {vertexAt(0, 0, 0, 0)};
    out.flag = 7;
    EXPECT_EQ(instance::shapekeyOffsets(install(plain), 0, 5, out), PoseOutcome::Written);
    EXPECT_EQ(out.flag, 0);
}

TEST_F(Shapekey, OnlyTheNamedEntryMovesAndBlendsBetweenKeys) {
    const model::Obj3dModel& model = install(shapekeyModel());
    ShapekeyOffsets out;
    ASSERT_EQ(instance::shapekeyOffsets(model, 0, 5, out), PoseOutcome::Written);
    EXPECT_EQ(out.flag, 1);
    EXPECT_EQ(out.count, 10);
    for (int i = 0; i < 10; ++i) {
        if (i == 7) continue;
        EXPECT_EQ(out.offset[i].x, 0.0f);
        EXPECT_EQ(out.offset[i].y, 0.0f);
        EXPECT_EQ(out.offset[i].z, 0.0f);
    }
    EXPECT_EQ(out.offset[7].x, 2.0f);
    EXPECT_EQ(out.offset[7].y, 2.0f);
    EXPECT_EQ(out.offset[7].z, 2.0f);
    EXPECT_EQ(out.offset[7].w, 0.0f);

    ASSERT_EQ(instance::shapekeyOffsets(model, 0, -3, out), PoseOutcome::Written);
    EXPECT_EQ(out.offset[7].x, 1.0f);
    ASSERT_EQ(instance::shapekeyOffsets(model, 0, 99, out), PoseOutcome::Written);
    EXPECT_EQ(out.offset[7].z, 1.0f);
}

TEST_F(Shapekey, EveryRowOfAKindIsWritten) {
    ShapekeyOffsets out;
    ASSERT_EQ(instance::shapekeyOffsets(install(shapekeyModel()), 1, 10, out), PoseOutcome::Written);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(out.offset[row].x, static_cast<float>(row));
        EXPECT_EQ(out.offset[row].y, 1.5f);  // between keys 1 (frame 8) and 2 (frame 12)
    }
    EXPECT_EQ(out.offset[7].x, 0.0f);  // kind 0's entry is not carried over
}

TEST_F(Shapekey, RefusesListsBeyondTheBufferAndKindsOutsideTheTables) {
    ShapekeyOffsets out;
    ModelBlueprint big = shapekeyModel();
    big.shapekeyvertex.resize(65, 0);
    EXPECT_EQ(instance::shapekeyOffsets(install(big), 0, 5, out), PoseOutcome::Refused);
    big.shapekeyvertex.resize(64);
    EXPECT_EQ(instance::shapekeyOffsets(install(big), 0, 5, out), PoseOutcome::Written);

    const model::Obj3dModel& model = install(shapekeyModel());
    EXPECT_EQ(instance::shapekeyOffsets(model, 2, 5, out), PoseOutcome::Refused);

    ModelBlueprint outside = shapekeyModel();
    outside.shapekeyinfo[1].firstdata = 10;  // key frames at records 10..12 of 11
    EXPECT_EQ(instance::shapekeyOffsets(install(outside), 1, 5, out), PoseOutcome::Refused);
    EXPECT_FALSE(ShapekeySampler::make(*model::completeModel(3), 1, 5).has_value());
}

TEST_F(Shapekey, RowsOutsideTheTablesOrNamingMissingEntriesAreSkipped) {
    ModelBlueprint blueprint = shapekeyModel();
    blueprint.shapekeyinfo[1].numvertex = 5;  // rows 3 and 4 would lie beyond the records
    blueprint.shapekeytrans[2].skvertexindex = 10;  // row 0 names entry 10 of 10
    blueprint.shapekeytrans[5].skvertexindex = -1;  // row 1 names no entry
    ShapekeyOffsets out;
    ASSERT_EQ(instance::shapekeyOffsets(install(blueprint), 1, 4, out), PoseOutcome::Written);
    EXPECT_EQ(out.offset[0].x, 0.0f);
    EXPECT_EQ(out.offset[1].x, 0.0f);
    EXPECT_EQ(out.offset[2].x, 2.0f);
}

// The list holds vertices 4, 9, 4 and 6; kind 1's rows name entries 3, 1
// and 0 (row r moves by (r, key)), so vertex 4 (first at entry 0) takes row
// 2, vertex 9 row 1 and vertex 6 (entry 3) row 0, as drawing moves them.
TEST_F(Shapekey, SamplerMovesEachVertexByTheRowNamingItsEntry) {
    ModelBlueprint blueprint = shapekeyModel();
    blueprint.shapekeyvertex = {4, 9, 4, 6};
    const int named[3] = {3, 1, 0};
    for (int row = 0; row < 3; ++row)
        for (int f = 0; f < 3; ++f) blueprint.shapekeytrans[2 + 3 * row + f].skvertexindex = named[row];
    const model::Obj3dModel& model = install(blueprint);
    const auto sampler = ShapekeySampler::make(model, 1, 12);
    ASSERT_TRUE(sampler.has_value());
    ShapekeyOffsets drawn;
    ASSERT_EQ(instance::shapekeyOffsets(model, 1, 12, drawn), PoseOutcome::Written);
    struct Case {
        int vertex;
        float x, y;
    };
    for (const Case& c : {Case{4, 2, 2}, Case{9, 1, 2}, Case{6, 0, 2}, Case{3, 0, 0}, Case{-1, 0, 0}, Case{10, 0, 0}}) {
        EXPECT_EQ(sampler->displacement(c.vertex).x, c.x) << "vertex " << c.vertex;
        EXPECT_EQ(sampler->displacement(c.vertex).y, c.y) << "vertex " << c.vertex;
    }
    EXPECT_EQ(drawn.offset[0].x, 2.0f);
    EXPECT_EQ(drawn.offset[3].y, 2.0f);

    // Kind 0's one row names entry 7, which the four-entry list does not have.
    const auto single = ShapekeySampler::make(model, 0, 10);
    ASSERT_TRUE(single.has_value());
    for (int v : {4, 9, 6}) EXPECT_EQ(single->displacement(v).x, 0.0f);
    EXPECT_FALSE(ShapekeySampler::make(model, 2, 0).has_value());
    EXPECT_FALSE(ShapekeySampler::make(model, -1, 0).has_value());
}

}  // namespace
}  // namespace korvel::testing
