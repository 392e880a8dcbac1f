// Untrusted X files: counts, indices, targets and truncations that cannot
// make a consistent model fail with -13 without reading or writing outside
// a table (run under the sanitizer build to check the latter).
#include <gtest/gtest.h>

#include <functional>

#include "xfile_test_support.h"

namespace korvel::model::xfile {
namespace {

using namespace testing;

constexpr XfileOptions kSkinned{.normalmode = 1, .scale = 1.0, .skinmode = 2, .writept3 = 0};

// Replaces the first occurrence of from, which must exist.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct Hostile {
    const char* name;
    std::function<std::string()> text;
    int code;
    bool slotTaken;  // the counting passes accept the counts
};

TEST_F(XfileTest, HostileFilesFailWithoutTouchingMemoryOutsideTables) {
    const std::string sample = writeXText(sampleScene());
    const Hostile cases[] = {
        {"negative vertex count", [&] { return replaced(sample, "   Mesh Head {\n    3;", "   Mesh Head {\n    -3;"); }, -13, false},
        {"vertex count beyond the file", [&] { return replaced(sample, "   Mesh Head {\n    3;", "   Mesh Head {\n    2000000000;"); }, -13, false},
        {"negative face count", [&] { return replaced(sample, "    1;\n    3;0,1,2;;", "    -1;\n    3;0,1,2;;"); }, -13, false},
        {"negative material count", [&] { return replaced(sample, "MeshMaterialList {\n     1;", "MeshMaterialList {\n     -1;"); }, -13, false},
        {"negative bone count", [&] { return replaced(sample, "     3;\n     2;\n    }", "     3;\n     -2;\n    }"); }, -13, false},
        {"negative weight count", [&] { return replaced(sample, "\"Leg_Joint\";\n     0;", "\"Leg_Joint\";\n     -4;"); }, -13, false},
        {"corner outside its mesh", [&] { return replaced(sample, "3;0,1,2;;", "3;0,1,3;;"); }, -13, true},
        {"negative corner", [&] { return replaced(sample, "3;0,1,3;,", "3;0,-1,3;,"); }, -13, true},
        {"face material outside its mesh", [&] { return replaced(sample, "     1,\n     1,\n     0;", "     1,\n     2,\n     0;"); }, -13, true},
        {"weight vertex outside its mesh", [&] { return replaced(sample, "     3;\n     1.000000,", "     9;\n     1.000000,"); }, -13, true},
        {"zero keys in a set", [&] { return replaced(sample, "   // key count\n   2;", "   // key count\n   0;"); }, -13, false},
        {"key count beyond the file", [&] { return replaced(sample, "   // key count\n   2;", "   // key count\n   99999999;"); }, -13, false},
        {"animations with different key counts", [&] {
             // The fourth key block is the second animation's rotation keys.
             const std::string count = "   // key count\n   2;";
             size_t at = sample.find(count);
             for (int block = 1; block < 4; ++block) at = sample.find(count, at + 1);
             std::string text = sample;
             text.replace(at, count.size(), "   // key count\n   1;");
             return text;
         }, -13, true},
        {"joint mark hidden in a frame header", [&] { return replaced(sample, "  // joint frames", "  // joint frames of Extra_Joint"); }, -13, true},
        {"key table above its ceiling", [&] {
             XScene s = sampleScene();
             s.sets.assign(1000, s.sets[1]);  // 3000 frames x 1000 motions x 3 joints records
             return writeXText(s);
         }, -13, false},
        {"animation sets without joints", [&] {
             XScene s = sampleScene();
             s.joints.clear();
             return writeXText(s);
         }, -13, false},
        {"mesh without texture coordinates swallows the next mesh", [&] {
             return replaced(sample, "    MeshTextureCoords {\n     8;", "    MeshTexture {\n     8;");
         }, -13, true},
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(import(c.text(), kSkinned), c.code);
        EXPECT_EQ(model(0).occupied(), c.slotTaken);
        EXPECT_FALSE(model(0).complete);
        clearAllModels(textures);
    }
}

TEST_F(XfileTest, AnimationTargetNamingNoJointIsSkipped) {
    XScene s = sampleScene();
    s.sets[1].animations[1].target = "Nobody_Joint";
    ASSERT_EQ(import(writeXText(s), kSkinned), 0);
    const Obj3dModel& m = model(0);
    // Leg (joint 1) has no keys in either motion: zero rotation, parent offset only.
    EXPECT_EQ(m.keyframe[1 * 2].rot4w, 0.0f);
    EXPECT_EQ(m.keyframe[1 * 2].transy, 1.0f);
    EXPECT_EQ(m.keyframe[0].rot4w, 0.7071f);
}

TEST_F(XfileTest, EveryTruncationAndSplitLineLoadsOrFailsCleanly) {
    std::string sample = writeXText(sampleScene());
    sample = replaced(sample, "   Mesh Head {", "   Mesh Head {" + std::string(700, ' '));
    // Cuts at every line end and three bytes before it (inside a number).
    std::vector<size_t> cuts{0, sample.size()};
    for (size_t at = sample.find('\n'); at != std::string::npos; at = sample.find('\n', at + 1)) {
        cuts.push_back(at + 1);
        if (at >= 3) cuts.push_back(at - 3);
    }
    size_t loaded = 0;
    for (const size_t end : cuts) {
        for (const int skinmode : {0, 2}) {
            const int code = import(sample.substr(0, end), {.normalmode = 1, .skinmode = skinmode});
            EXPECT_TRUE(code == 0 || code == -13) << "cut at " << end << ": " << code;
            loaded += code == 0;
            clearAllModels(textures);
        }
    }
    EXPECT_GT(loaded, 0u);
}

TEST_F(XfileTest, EmptyAndHeaderOnlyFilesGiveEmptyModels) {
    for (const std::string& text : {std::string(), withHeader("")}) {
        ASSERT_EQ(import(text, kSkinned), 0);
        EXPECT_EQ(model(0).head()->NumVertex, 0);
        EXPECT_EQ(model(0).head()->NumPart, 0);
        clearAllModels(textures);
    }
}

}  // namespace
}  // namespace korvel::model::xfile
