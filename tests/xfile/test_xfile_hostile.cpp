// Untrusted X files: counts, indices, targets and truncations that cannot
// make a consistent model fail with -13 without reading or writing outside
// a table (run under the sanitizer build to check the latter).
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

#include "model/pt3_reader.h"
#include "model/pt3_writer.h"
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

std::array<int32_t, 7> countsOf(const Obj3dHeader& h) {
    return {h.NumPart, h.NumVertex, h.NumFace, h.NumMaterial, h.NumJoint, h.NumMotion, h.NumTotalFrame};
}

TEST_F(XfileTest, EveryTruncationAndSplitLineLoadsAndReadsBackOrFailsCleanly) {
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
            EXPECT_TRUE(code == 0 || code == kXfileUnsafe || code == kXfileNoMesh) << "cut at " << end << ": " << code;
            if (code == 0) {  // what is written as PT3 reads back alike
                ++loaded;
                ASSERT_GT(model(0).head()->NumVertex, 0);
                ASSERT_EQ(readPt3Bytes(pt3Text(model(0), {}), "back.pt3", 1, 1.0, textures), 1) << "cut at " << end;
                EXPECT_EQ(countsOf(*model(0).head()), countsOf(*model(1).head())) << "cut at " << end;
            }
            clearAllModels(textures);
        }
    }
    EXPECT_GT(loaded, 0u);
}

TEST_F(XfileTest, FilesWithoutAReadableMeshAreRefusedBeforeTakingASlot) {
    const std::string dir = tempDir();
    XScene hollow = sampleScene();
    for (XMesh& m : hollow.meshes) m = XMesh{m.name, {}, {}, {}, {}, m.materials, {}};
    const std::string cube = "xof 0303txt 0032\nMesh Cube {\n 3;\n 0;0;0;,\n 1;0;0;,\n 0;1;0;;\n 1;\n 3;0,1,2;;\n}\n";
    const std::pair<std::string, int> cases[] = {
        {"xof 0303bin 0032" + std::string("\x1f\0\x01\0", 4), kXfileBinary},
        {"xof 0302bin 0064", kXfileBinary},
        {"xof 0303tzip0032" + std::string(40, '\x9c'), kXfileCompressed},
        {"xof 0303bzip0032", kXfileCompressed},
        {"", kXfileNoMesh},
        {withHeader(""), kXfileNoMesh},
        {writeXText(hollow), kXfileNoMesh},
        {withHeader("template Mesh {\n <3D82AB44>\n}\n"), kXfileNoMesh},
        {withHeader("  MeshNormals {\n  3;\n"), kXfileOtherLayout},
        {cube, kXfileOtherLayout},
    };
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(import(text, {.skinmode = 2, .writept3 = 1}, dir + "refused.x"), code) << text.substr(0, 16);
        EXPECT_FALSE(model(0).occupied());
        EXPECT_FALSE(std::filesystem::exists(dir + "refused.pt3"));
    }
}

#ifdef KORVEL_REAL_X_DIR
// X files that no one here wrote (Debian's assimp-testmodels): none is in
// the paired exporter's layout, so each is refused with its reason.
TEST_F(XfileTest, OtherExportersFilesAreRefusedWithTheirReason) {
    const std::pair<const char*, int> cases[] = {
        {"anim_test.x", kXfileOtherLayout},   {"kwxport_test_cubewithvcolors.x", kXfileOtherLayout},
        {"fromtruespace_bin32.x", kXfileBinary}, {"test_cube_binary.x", kXfileBinary},
        {"test_cube_compressed.x", kXfileCompressed}, {"test.x", kXfileOtherLayout},
        {"test_cube_text.x", kXfileOtherLayout}};
    const std::string dir = tempDir();
    for (const auto& [name, code] : cases) {
        const std::string text = readFile(std::string(KORVEL_REAL_X_DIR "/") + name);
        ASSERT_FALSE(text.empty()) << name;
        for (const int skinmode : {0, 2}) {
            EXPECT_EQ(import(text, {.normalmode = 1, .skinmode = skinmode, .writept3 = 1}, dir + name), code) << name;
            EXPECT_FALSE(model(0).occupied()) << name;
        }
    }
}
#endif

}  // namespace
}  // namespace korvel::model::xfile
