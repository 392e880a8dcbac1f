// Untrusted PT3 files: every count negative or oversized, every index out of
// range and huge lines either fail with a code or load a model whose values
// stay inside its tables.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/model_buffers.h"
#include "model/pt3.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using HostileTest = StoreTest;
using namespace model;
using Edits = std::vector<std::pair<std::string, std::string>>;

const std::string kEverything =
    samplePt3({.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true});

std::string edited(std::string text, const Edits& edits) {
    for (const auto& [from, to] : edits) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    return text;
}

// Packs and writes a loaded model: nothing may read outside its tables (the
// sanitizer build checks the reads). Its indices are the reader's business:
// the cases that must fail show it refuses them.
void expectSafe(Obj3dModel& model) {
    EXPECT_TRUE(model.complete);
    Obj3dModel* models[1] = {&model};
    packVertices(models, groupOf(*model.head()));
    resetDrawRanges(models);
    packIndices(models);
    packHairIndices(models);
    pt3Text(model, {});
}

TEST_F(HostileTest, NegativeAndOversizedCountsFailWithMinus13) {
    for (const std::string count :
         {"NumVertex;4", "NumFace;2", "NumMaterial;2", "NumPart;2", "NumJoint;2", "NumMotion;2", "NumTotalFrame;5",
          "NumShapekey;2", "NumShapekeyVertex;2", "NumShapekeydata;7", "NumParticlehairFace;2"}) {
        const std::string key = count.substr(0, count.find(';') + 1);
        for (const std::string value : {"-1", "-2147483648", "2147483647", "100000000"}) {
            SCOPED_TRACE(key + value);
            clearAllModels(textures);
            EXPECT_EQ(load(edited(kEverything, {{count, key + value}}), 1), kPt3Unsafe);
            EXPECT_FALSE(isComplete(0));
            EXPECT_NE(occupiedModel(0), nullptr);
        }
    }
}

TEST_F(HostileTest, CountsMustFitTheFile) {
    // More vertex lines than the file could hold, at two bytes per field.
    EXPECT_EQ(load(edited(samplePt3({}), {{"NumVertex;4", "NumVertex;1000"}})), kPt3Unsafe);
    // Each count fits the padded file, their products do not.
    const std::string keys =
        edited(kEverything, {{"NumTotalFrame;5", "NumTotalFrame;60000"}, {"NumMotion;2", "NumMotion;60000"}});
    EXPECT_EQ(load(keys + std::string(200000, '\n'), 1), kPt3Unsafe);
    const std::string ranges = edited(samplePt3({}), {{"NumMaterial;2", "NumMaterial;50000"}});
    const std::string padding(1300000, '\n');
    EXPECT_EQ(load(edited(ranges, {{"NumPart;2", "NumPart;50000"}}) + padding), kPt3Unsafe);
    EXPECT_GE(load(edited(ranges, {{"NumPart;2", "NumPart;40000"}}) + padding), 0);
}

TEST_F(HostileTest, IndicesOutOfRangeFailAndOddInRangeValuesLoad) {
    const std::string face = "1;1;1;3;2;1;\n", vertex = "3;-1;1;1;", joint = "1;0;0.500000", skin = "1;0.750000;0;";
    const std::string kind = "1;1;3;\n", motion = "0;2;0;10;motion0;", hair = "0;1;7;2.5";
    const struct {
        std::string from;
        std::vector<std::string> unsafe, loads;
    } cases[] = {
        {face,
         {"1;1;1;4;2;1;\n", "1;1;1;3;-1;1;\n", "1;2;1;3;2;1;\n", "1;-1;1;3;2;1;\n", "1;1;2;3;2;1;\n",
          "1;1;-1;3;2;1;\n"},
         {}},
        {vertex,
         {"3;-1;2;1;", "3;-1;-1;1;", "3;-1;1;2;", "3;-1;1;-2;", "3;-2;1;1;", "3;4;1;1;"},
         {"3;-1;1;-1;"}},                                               // matno -1: a vertex no face uses
        {"1;-1;0;0;", {}, {"1;3;0;0;"}},                                // a split copy before its source
        {joint, {"1;2;0.500000", "1;-2;0.500000"}, {"1;-1;0.500000"}},  // a second root
        {"0;-1;1.000000;2.000000", {}, {"0;1;1.000000;2.000000"}},      // a parent after its joint
        {skin, {"1;0.750000;2;"}, {"-1;0.750000;0;"}},
        {motion, {"0;0;motion0;", "0;-2;motion0;"}, {}},
        {"1;3;0;5;10;motion1;", {"1;4;0;5;10;motion1;"}, {}},  // frames beyond NumTotalFrame
        {kind, {"1;2;3;\n", "1;1;0;\n", "1;-1;3;\n"}, {}},     // records beyond NumShapekeydata, no frames
        {"4;0;0;4.5", {}, {"4;9;0;4.5"}},                      // a shape-key vertex not listed
        {hair, {"0;2;7;2.5", "0;-1;7;2.5"}, {}},
    };
    for (const auto& c : cases) {
        for (const auto& [values, code] : {std::pair{c.unsafe, kPt3Unsafe}, std::pair{c.loads, 0}}) {
            for (const std::string& to : values) {
                SCOPED_TRACE(to);
                clearAllModels(textures);
                EXPECT_EQ(load(edited(kEverything, {{c.from, to}}), 1), code);
                EXPECT_EQ(isComplete(0), code == 0);
                if (code == 0) expectSafe(model(0));
            }
        }
    }
}

TEST_F(HostileTest, MissingColumnsAndSplitFaceRunsAreRefused) {
    EXPECT_EQ(load(edited(kEverything, {{"jointno0;1;", "jointno0;0;"}}), 1), -5);  // joints need skin columns
    EXPECT_EQ(load(samplePt3({}), 1), -5);                                          // normalmode 1 needs normals
    // One part and material's faces apart, then together.
    const std::string face = "1;1;1;3;2;1;\n";
    EXPECT_EQ(load(edited(kEverything, {{"NumFace;2", "NumFace;3"}, {face, face + "2;0;0;0;1;2;\n"}}), 1), kPt3Unsafe);
    EXPECT_EQ(load(edited(kEverything, {{"NumFace;2", "NumFace;3"}, {face, face + "2;1;1;1;2;3;\n"}}), 1), 3);
}

// Random garbage and truncations are the fuzz replay's; huge lines are
// read in one pass.
TEST_F(HostileTest, HugeLinesLoadSafely) {
    // A 10 MB line where the count line should be (all counts read as 0),
    // then one after the counts, which splits into lines the reader skips.
    EXPECT_EQ(load(std::string(10 << 20, '7') + "\n" + samplePt3({})), 0);
    EXPECT_EQ(model(0).head()->NumVertex, 0);
    const std::string text = samplePt3({});
    const size_t afterCounts = text.find('\n') + 1;
    EXPECT_EQ(load(text.substr(0, afterCounts) + std::string(10 << 20, ';') + "\n" + text.substr(afterCounts)), 1);
    EXPECT_TRUE(isComplete(1));
    expectSafe(model(1));
}

}  // namespace
}  // namespace korvel::testing
