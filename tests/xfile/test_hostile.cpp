// Untrusted X files: counts, indices and targets that cannot make a
// consistent model fail with -13 without reading or writing outside a table
// (run under the sanitizer build to check the latter; truncations and other
// mutations are the fuzz replay's, which also reads back the PT3 file
// written); files that are not readable X text, or hold no mesh, are refused
// before taking a slot; paths that are not regular files fail at once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "xfile_test.h"

namespace korvel::model::xfile {
namespace {

// The exporter's 212 header lines followed by body.
std::string withHeader(const std::string& body) {
    std::string text = "xof 0303txt 0032\n";
    for (int i = 1; i < 212; ++i) text += "// header\n";
    return text + body;
}

constexpr XfileOptions kSkinned{.normalmode = 1, .scale = 1.0, .skinmode = 2, .writept3 = 0};

// slotTaken: the counting passes accept the counts.
struct Hostile {
    std::string name, text;
    bool slotTaken;
};

// The sample with one text edit: from its first occurrence (which must
// exist) to `to`.
struct Edit {
    const char* name;
    const char* from;
    const char* to;
    bool slotTaken;
};

constexpr Edit kEdits[] = {
    {"negative vertex count", "   Mesh Head {\n    3;", "   Mesh Head {\n    -3;", false},
    {"vertex count beyond the file", "   Mesh Head {\n    3;", "   Mesh Head {\n    2000000000;", false},
    {"negative face count", "    1;\n    3;0,1,2;;", "    -1;\n    3;0,1,2;;", false},
    {"negative material count", "MeshMaterialList {\n     1;", "MeshMaterialList {\n     -1;", false},
    {"negative bone count", "     3;\n     2;\n    }", "     3;\n     -2;\n    }", false},
    {"negative weight count", "\"Leg_Joint\";\n     0;", "\"Leg_Joint\";\n     -4;", false},
    {"zero keys in a set", "   // key count\n   2;", "   // key count\n   0;", false},
    {"key count beyond the file", "   // key count\n   2;", "   // key count\n   99999999;", false},
    {"corner outside its mesh", "3;0,1,2;;", "3;0,1,3;;", true},
    {"negative corner", "3;0,1,3;,", "3;0,-1,3;,", true},
    {"face material outside its mesh", "     1,\n     1,\n     0;", "     1,\n     2,\n     0;", true},
    {"weight vertex outside its mesh", "     3;\n     1.000000,", "     9;\n     1.000000,", true},
    {"joint mark hidden in a frame header", "  // joint frames", "  // joint frames of Extra_Joint", true},
    {"mesh without texture coordinates swallows the next mesh", "    MeshTextureCoords {\n     8;",
     "    MeshTexture {\n     8;", true},
};

TEST_F(XfileTest, HostileFilesFailWithoutTouchingMemoryOutsideTables) {
    const std::string sample = writeXText(sampleScene());
    std::vector<Hostile> cases;
    for (const Edit& e : kEdits) {
        std::string text = sample;
        const size_t at = text.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.name;
        cases.push_back({e.name, text.replace(at, std::strlen(e.from), e.to), e.slotTaken});
    }
    std::string uneven = sample;  // the fourth key block is the second animation's rotation keys
    size_t at = 0;
    for (int block = 0; block < 4; ++block) at = uneven.find("   // key count\n   2;", at + 1);
    uneven[at + 19] = '1';
    cases.push_back({"animations with different key counts", uneven, true});
    XScene s = sampleScene();
    s.sets.assign(1000, s.sets[1]);  // 3000 frames x 1000 motions x 3 joints records
    cases.push_back({"key table above its ceiling", writeXText(s), false});
    s = sampleScene();
    s.joints.clear();
    cases.push_back({"animation sets without joints", writeXText(s), false});
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(import(c.text, kSkinned), kXfileUnsafe);
        EXPECT_EQ(model(0).occupied(), c.slotTaken);
        EXPECT_FALSE(model(0).complete);
        clearAllModels(textures);
    }
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

TEST_F(XfileTest, PathsFilesAndSlots) {
    const std::string huge = tempDir() + "huge.x";
#ifdef _WIN32
    const std::string fifo = "CON", device = "NUL";  // the console and the null device
#else
    const std::string fifo = tempDir() + "pipe.x", device = "/dev/zero";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
#endif
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxXfileBytes + 1);  // sparse: costs no disk
    const std::pair<std::string, int> cases[] = {{std::string(512, 'p'), -2},
                                                 {std::string("a\0b", 3), -2},
                                                 {tempDir() + "absent.x", -3},
                                                 {fifo, -3},
                                                 {tempDir(), -3},
                                                 {device, -3},
                                                 {huge, kXfileUnsafe}};
    for (const auto& [path, code] : cases) EXPECT_EQ(readXfile(path, {}, textures), code) << path;
    EXPECT_FALSE(model(0).occupied());
    std::filesystem::remove(huge);
    for (int m = 0; m < kModelSlots; ++m) ASSERT_TRUE(modelSlot(m)->header.allocate(1));
    EXPECT_EQ(import(writeXText(sampleScene()), kSkinned), -1);
    EXPECT_EQ(readXfile(tempDir() + "absent.x", {}, textures), -1);
}

}  // namespace
}  // namespace korvel::model::xfile
