// Untrusted PT3 files: every count negative or oversized, every index out of
// range, truncation, garbage and huge lines either fail with a code or load a
// model whose values stay inside its tables.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "model/buffer_packing.h"
#include "model/layout_group.h"
#include "model/pt3_reader.h"
#include "model/pt3_writer.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

using HostileTest = ModelStoreTest;

Sample everything() { return {.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true}; }

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// A complete model's indices all address its own tables; packing it and
// writing it read nothing outside them (the sanitizer build checks reads).
void expectSafe(Obj3dModel& model) {
    const Obj3dHeader& h = *model.head();
    ASSERT_EQ(model.vertex.size(), static_cast<size_t>(h.NumVertex));
    for (const Obj3dFace& f : model.face.span()) {
        EXPECT_TRUE(f.partno >= 0 && f.partno < h.NumPart);
        EXPECT_TRUE(f.matno >= 0 && f.matno < h.NumMaterial);
        for (const int32_t v : f.vertexno) EXPECT_TRUE(v >= 0 && v < h.NumVertex);
    }
    for (const Obj3dJoint& j : model.joint.span()) EXPECT_TRUE(j.parentjointno >= -1 && j.parentjointno < h.NumJoint);
    for (const Obj3dMotion& m : model.motion.span()) {
        if (h.NumMotion == 0) break;
        EXPECT_LE(int64_t{m.firstframe} + m.numframe, h.NumTotalFrame);
        EXPECT_LE(int64_t{m.firstkey} + int64_t{h.NumJoint} * m.numframe, static_cast<int64_t>(model.keyframe.size()));
    }
    for (const ParticlehairFace& p : model.particlehairface.span()) EXPECT_TRUE(p.faceno >= 0 && p.faceno < h.NumFace);
    Obj3dModel* models[1] = {&model};
    packVertices(models, groupOf(h));
    resetDrawRanges(models);
    packIndices(models);
    packHairIndices(models);
    pt3Text(model, {});
}

TEST_F(HostileTest, NegativeAndOversizedCountsFailWithMinus13) {
    const std::string text = samplePt3(everything());
    const char* counts[] = {"NumVertex;4", "NumFace;2", "NumMaterial;2", "NumPart;2", "NumJoint;2",
                            "NumMotion;2", "NumTotalFrame;5", "NumShapekey;2", "NumShapekeyVertex;2",
                            "NumShapekeydata;7", "NumParticlehairFace;2"};
    for (const std::string count : counts) {
        const std::string key = count.substr(0, count.find(';') + 1);
        for (const std::string value : {"-1", "-2147483648", "2147483647", "100000000"}) {
            SCOPED_TRACE(key + value);
            clearAllModels(textures);
            EXPECT_EQ(load(replaced(text, count, key + value), 1), kPt3Unsafe);
            EXPECT_FALSE(isComplete(0));
            EXPECT_NE(occupiedModel(0), nullptr);
        }
    }
}

TEST_F(HostileTest, CountsMustFitTheFile) {
    // More vertex lines than the file could hold, at two bytes per field.
    const std::string text = samplePt3({});
    EXPECT_EQ(load(replaced(text, "NumVertex;4", "NumVertex;1000")), kPt3Unsafe);
    // Each count fits the padded file, their products do not.
    std::string keys = replaced(samplePt3(everything()), "NumTotalFrame;5", "NumTotalFrame;60000");
    keys = replaced(keys, "NumMotion;2", "NumMotion;60000");
    EXPECT_EQ(load(keys + std::string(200000, '\n'), 1), kPt3Unsafe);
    std::string ranges = replaced(text, "NumMaterial;2", "NumMaterial;50000");
    ranges = replaced(ranges, "NumPart;2", "NumPart;50000");
    EXPECT_EQ(load(ranges + std::string(1300000, '\n')), kPt3Unsafe);
    EXPECT_GE(load(replaced(ranges, "NumPart;50000", "NumPart;40000") + std::string(1300000, '\n')), 0);
}

struct IndexCase {
    const char* name;
    std::string from, to;
    int code;  // kPt3Unsafe, or 0: loads
};

TEST_F(HostileTest, IndicesOutOfRangeFailAndOddInRangeValuesLoad) {
    const IndexCase cases[] = {
        {"face vertex past the end", "1;1;1;3;2;1;", "1;1;1;4;2;1;", kPt3Unsafe},
        {"face vertex negative", "1;1;1;3;2;1;", "1;1;1;3;-1;1;", kPt3Unsafe},
        {"face part past the end", "1;1;1;3;2;1;", "1;2;1;3;2;1;", kPt3Unsafe},
        {"face part negative", "1;1;1;3;2;1;", "1;-1;1;3;2;1;", kPt3Unsafe},
        {"face material past the end", "1;1;1;3;2;1;", "1;1;2;3;2;1;", kPt3Unsafe},
        {"face material negative", "1;1;1;3;2;1;", "1;1;-1;3;2;1;", kPt3Unsafe},
        {"vertex part past the end", "3;-1;1;1;", "3;-1;2;1;", kPt3Unsafe},
        {"vertex part negative", "3;-1;1;1;", "3;-1;-1;1;", kPt3Unsafe},
        {"vertex material past the end", "3;-1;1;1;", "3;-1;1;2;", kPt3Unsafe},
        {"vertex material below -1", "3;-1;1;1;", "3;-1;1;-2;", kPt3Unsafe},
        {"vertex no face uses", "3;-1;1;1;", "3;-1;1;-1;", 0},
        {"original vertex below -1", "3;-1;1;1;", "3;-2;1;1;", kPt3Unsafe},
        {"original vertex past the end", "3;-1;1;1;", "3;4;1;1;", kPt3Unsafe},
        {"split copy before its source", "1;-1;0;0;", "1;3;0;0;", 0},
        {"parent joint past the end", "1;0;0.500000", "1;2;0.500000", kPt3Unsafe},
        {"parent joint below -1", "1;0;0.500000", "1;-2;0.500000", kPt3Unsafe},
        {"parent not before its joint", "0;-1;1.000000;2.000000", "0;1;1.000000;2.000000", 0},
        {"second root", "1;0;0.500000", "1;-1;0.500000", 0},
        {"skin joint past the end", "1;0.750000;0;0.250000;", "1;0.750000;2;0.250000;", kPt3Unsafe},
        {"skin joint negative", "1;0.750000;0;0.250000;", "-1;0.750000;0;0.250000;", 0},
        {"motion frames beyond NumTotalFrame", "1;3;0;5;10;motion1;", "1;4;0;5;10;motion1;", kPt3Unsafe},
        {"motion without frames", "0;2;0;10;motion0;", "0;0;motion0;", kPt3Unsafe},
        {"motion with negative frames", "0;2;0;10;motion0;", "0;-2;motion0;", kPt3Unsafe},
        {"shape-key records beyond NumShapekeydata", "1;1;3;\n", "1;2;3;\n", kPt3Unsafe},
        {"shape key without frames", "1;1;3;\n", "1;1;0;\n", kPt3Unsafe},
        {"shape key with negative vertices", "1;1;3;\n", "1;-1;3;\n", kPt3Unsafe},
        {"hair face past the end", "0;1;7;2.5", "0;2;7;2.5", kPt3Unsafe},
        {"hair face negative", "0;1;7;2.5", "0;-1;7;2.5", kPt3Unsafe},
        {"shape-key vertex not listed", "4;0;0;4.5", "4;9;0;4.5", 0},
    };
    const std::string text = samplePt3(everything());
    for (const IndexCase& c : cases) {
        SCOPED_TRACE(c.name);
        clearAllModels(textures);
        const int result = load(replaced(text, c.from, c.to), 1);
        if (c.code == 0) {
            ASSERT_EQ(result, 0);
            EXPECT_TRUE(isComplete(0));
            expectSafe(model(0));
        } else {
            EXPECT_EQ(result, c.code);
            EXPECT_FALSE(isComplete(0));
            clearModel(0, 1, textures);
            EXPECT_EQ(occupiedModel(0), nullptr);
        }
    }
}

TEST_F(HostileTest, FacesOfOnePartAndMaterialMustBeOnConsecutiveLines) {
    // A third face after faces (0, 0) and (1, 1): its pair decides.
    const std::string text = replaced(samplePt3({}), "NumFace;2", "NumFace;3");
    const std::string lastFace = "1;1;1;3;2;1;\n";
    EXPECT_EQ(load(replaced(text, lastFace, lastFace + "2;1;1;1;2;3;\n")), 0);
    EXPECT_EQ(load(replaced(text, lastFace, lastFace + "2;0;0;1;2;3;\n")), kPt3Unsafe);
    EXPECT_FALSE(isComplete(1));
}

TEST_F(HostileTest, EveryTruncationFailsCleanlyOrLoadsSafely) {
    const std::string text = samplePt3(everything());
    for (size_t length = 0; length <= text.size(); ++length) {
        clearAllModels(textures);
        const int result = load(text.substr(0, length), 1);
        if (result == 0 && isComplete(0)) expectSafe(model(0));
        else EXPECT_LT(result, 0) << length;
    }
}

TEST_F(HostileTest, GarbageAndHugeLinesFinishQuickly) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::string garbage(1 + rng() % 4096, '\0');
        for (char& c : garbage) c = static_cast<char>(rng());
        clearAllModels(textures);
        if (load(garbage) == 0 && isComplete(0)) expectSafe(model(0));
    }
    // A 10 MB line where the count line should be, then one after the counts.
    const auto start = std::chrono::steady_clock::now();
    clearAllModels(textures);
    EXPECT_EQ(load(std::string(10 << 20, '7') + "\n" + samplePt3({})), 0);  // all counts read as 0
    EXPECT_EQ(model(0).head()->NumVertex, 0);
    const std::string text = samplePt3({});
    const size_t afterCounts = text.find('\n') + 1;
    const int result = load(text.substr(0, afterCounts) + std::string(10 << 20, ';') + "\n" + text.substr(afterCounts));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(isComplete(1));
    expectSafe(model(1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace korvel::model::testing
