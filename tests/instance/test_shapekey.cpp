// Shape-key offsets for drawing and single-vertex displacements for the CPU
// queries: activation, blending, the row that moves each vertex, and rows
// that reach outside the tables.
#include <gtest/gtest.h>

#include "instance/pose.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using instance::PoseOutcome;
using instance::ShapekeyOffsets;
using instance::ShapekeySampler;

// Ten vertices, list entry i names vertex i. Kind 0 moves one row (entry 7)
// from (1, 2, 3) at frame 0 to (3, 2, 1) at frame 10; kind 1 moves rows 0..2
// (entries 0..2) by (row, key) with keys at frames 4, 8, 12.
ModelBlueprint shapekeyModel() {
    ModelBlueprint blueprint;
    for (int v = 0; v < 10; ++v) {
        blueprint.vertices.push_back(vertexAt(0, static_cast<float>(v), 0, 0));
        blueprint.shapekeyvertex.push_back(v);
    }
    blueprint.shapekeyinfo = {{1, 2, 0}, {3, 3, 2}};
    blueprint.shapekeytrans = {{7, 0, 1, 2, 3}, {7, 10, 3, 2, 1}};
    for (int row = 0; row < 3; ++row)
        for (int f = 0; f < 3; ++f)
            blueprint.shapekeytrans.push_back({row, 4 + 4 * f, static_cast<float>(row), static_cast<float>(f), 0});
    return blueprint;
}

class Shapekey : public StoreTest {};

// Drawing uploads one offset per list entry: kind 0 moves entry 7 only,
// halfway at frame 5; no shape key uploads one zero entry with flag 0.
TEST_F(Shapekey, OffsetsOfTheNamedEntriesOnly) {
    const model::Obj3dModel& model = install(shapekeyModel());
    ShapekeyOffsets out;
    ASSERT_EQ(instance::shapekeyOffsets(model, 0, 5, out), PoseOutcome::Written);
    EXPECT_TRUE(out.flag == 1 && out.count == 10);
    EXPECT_TRUE(out.offset[7].x == 2 && out.offset[7].y == 2 && out.offset[7].z == 2 && out.offset[6].x == 0);
    ASSERT_EQ(instance::shapekeyOffsets(model, -1, 5, out), PoseOutcome::Written);
    EXPECT_TRUE(out.flag == 0 && out.count == 1 && out.offset[0].x == 0);
}

TEST_F(Shapekey, RefusalsAndSkippedRows) {
    ShapekeyOffsets out;
    ModelBlueprint big = shapekeyModel();
    big.shapekeyvertex.resize(65, 0);
    EXPECT_EQ(instance::shapekeyOffsets(install(big), 0, 5, out), PoseOutcome::Refused);
    big.shapekeyvertex.resize(64);
    EXPECT_EQ(instance::shapekeyOffsets(install(big), 0, 5, out), PoseOutcome::Written);
    EXPECT_EQ(instance::shapekeyOffsets(install(shapekeyModel()), 2, 5, out), PoseOutcome::Refused);
    ModelBlueprint outside = shapekeyModel();
    outside.shapekeyinfo[1].firstdata = 10;  // key frames at records 10..12 of 11
    EXPECT_EQ(instance::shapekeyOffsets(install(outside), 1, 5, out), PoseOutcome::Refused);
    EXPECT_FALSE(ShapekeySampler::make(*model::completeModel(3), 1, 5).has_value());

    ModelBlueprint damaged = shapekeyModel();
    damaged.shapekeyinfo[1].numvertex = 1000000000;  // rows past the records
    damaged.shapekeytrans[2].skvertexindex = 10;     // row 0 names entry 10 of 10
    damaged.shapekeytrans[5].skvertexindex = -1;     // row 1 names no entry
    ASSERT_EQ(instance::shapekeyOffsets(install(damaged), 1, 4, out), PoseOutcome::Written);
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
    struct Case {
        int vertex;
        float x, y;
    };
    for (const Case& c : {Case{4, 2, 2}, Case{9, 1, 2}, Case{6, 0, 2}, Case{3, 0, 0}, Case{-1, 0, 0}, Case{10, 0, 0}}) {
        EXPECT_EQ(sampler->displacement(c.vertex).x, c.x) << "vertex " << c.vertex;
        EXPECT_EQ(sampler->displacement(c.vertex).y, c.y) << "vertex " << c.vertex;
    }
    // Kind 0's one row names entry 7, which the four-entry list does not have.
    const auto single = ShapekeySampler::make(model, 0, 10);
    ASSERT_TRUE(single.has_value());
    for (int v : {4, 9, 6}) EXPECT_EQ(single->displacement(v).x, 0.0f);
    EXPECT_FALSE(ShapekeySampler::make(model, 2, 0).has_value());
    EXPECT_FALSE(ShapekeySampler::make(model, -1, 0).has_value());
}

}  // namespace
}  // namespace korvel::testing
