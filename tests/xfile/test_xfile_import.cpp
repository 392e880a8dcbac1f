// Whole imports: merges as a model shows them, textures, skin with more than
// two bones, joints and motions, the PT3 name rule, writing and reading back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "model/pt3_reader.h"
#include "model/xfile_pt3_name.h"
#include "xfile_test_support.h"

namespace korvel::model::xfile {
namespace {

using namespace testing;

constexpr XfileOptions kAll{.normalmode = 1, .scale = 1.0, .skinmode = 2, .writept3 = 0};

TEST_F(XfileTest, SampleSceneMergesVerticesAndMaterialsAcrossMeshes) {
    const int m = import(writeXText(sampleScene()), kAll);
    ASSERT_EQ(m, 0);
    const Obj3dHeader& h = *model(m).head();
    EXPECT_EQ(h.NumPart, 2);
    EXPECT_EQ(h.NumVertex, 10);  // body vertex 5 merged into vertex 1
    EXPECT_EQ(h.NumFace, 4);
    EXPECT_EQ(h.NumMaterial, 2);  // the head's red equals the body's red
    EXPECT_EQ(h.NumJoint, 3);
    EXPECT_EQ(h.NumMotion, 2);
    EXPECT_EQ(h.NumTotalFrame, 5);
    EXPECT_EQ(h.skinmode, 2);
    EXPECT_TRUE(model(m).complete);
    const Obj3dVertex* v = model(m).vertex.data();
    EXPECT_EQ(v[0].originalvertexno, -1);
    EXPECT_EQ(v[2].originalvertexno, 0);  // same position, other texture coordinates
    EXPECT_EQ(v[2].texu, 0.5f);
    EXPECT_EQ(v[4].texu, 0.0f);  // untextured material: coordinates zeroed
    EXPECT_EQ(v[4].texv, 0.0f);
    EXPECT_EQ(v[4].matno, 0);
    EXPECT_EQ(v[5].posx, 2.0f);  // body vertex 6, renumbered
    EXPECT_EQ(v[7].matno, 1);    // head vertices take the merged red
    EXPECT_EQ(v[7].partno, 1);
    EXPECT_EQ(v[8].texu, 1.0f);
    // Faces ordered by material within each part, by the exchange order:
    // the untextured face moves first and the two red faces swap.
    const Obj3dFace* f = model(m).face.data();
    EXPECT_EQ(f[0].matno, 0);
    EXPECT_EQ(f[0].vertexno[0], 4);
    EXPECT_EQ(f[0].vertexno[2], 6);
    EXPECT_EQ(f[1].matno, 1);
    EXPECT_EQ(f[1].vertexno[0], 2);
    EXPECT_EQ(f[1].vertexno[1], 1);  // the repeated vertex's face uses vertex 1
    EXPECT_EQ(f[2].vertexno[0], 0);
    EXPECT_EQ(f[3].partno, 1);
    EXPECT_EQ(f[3].vertexno[2], 9);
    EXPECT_EQ(model(m).material[1].blendmode, 3);
    EXPECT_EQ(model(m).material[0].alpha, 0.5f);
    EXPECT_EQ(model(m).material[1].power, 8.0f);
    EXPECT_EQ(model(m).material[1].texsrvno, -1);  // skin.tga exists nowhere
    EXPECT_EQ(model(m).material[0].texsrvno, -1);
    EXPECT_EQ(textures.loads, (std::vector<std::string>{"skin.tga", "models/skin.tga"}));
}

TEST_F(XfileTest, SkinWeightsUpToTwoBonesAsReadAndThreeScaledToTheirTotal) {
    ASSERT_EQ(import(writeXText(sampleScene()), kAll), 0);
    const Obj3dWeight* w = model(0).weight.data();
    // Vertex 0: Hip 1.0 only.
    EXPECT_EQ(w[0].jointno0, 0);
    EXPECT_EQ(w[0].weight0, 1.0f);
    EXPECT_EQ(w[0].jointno1, -1);
    EXPECT_EQ(w[0].weight1, 0.0f);
    // Vertex 1: Hip 0.5, Leg 0.5.
    EXPECT_EQ(w[1].jointno0, 0);
    EXPECT_EQ(w[1].jointno1, 1);
    EXPECT_EQ(w[1].weight1, 0.5f);
    // Vertex 2 has no entries.
    EXPECT_EQ(w[2].jointno0, 0);
    EXPECT_EQ(w[2].weight0, 0.0f);
    EXPECT_EQ(w[2].jointno1, -1);
    // Vertex 3: Hip 0.25, Leg 0.5, Arm 0.25: Leg and the earlier of the tied
    // pair (Hip) stay, scaled from 0.75 to the total 1.0.
    EXPECT_EQ(w[3].jointno0, 0);
    EXPECT_EQ(w[3].jointno1, 1);
    EXPECT_FLOAT_EQ(w[3].weight0, 0.25f / 0.75f);
    EXPECT_FLOAT_EQ(w[3].weight1, 0.5f / 0.75f);
    // The repeated vertex's Leg entry went with it; the head's vertices
    // have Arm 1.0 (the head's Leg lists no vertices).
    EXPECT_EQ(w[1].weight1, 0.5f);
    EXPECT_EQ(w[7].jointno0, 2);
    EXPECT_EQ(w[9].weight0, 1.0f);
    EXPECT_EQ(w[9].jointno1, -1);
    const Obj3dJoint* j = model(0).joint.data();
    EXPECT_EQ(j[2].parentjointno, 0);
    EXPECT_EQ(j[2].parentposx, -0.5f);
    EXPECT_EQ(j[2].parentposy, 1.5f);
}

TEST_F(XfileTest, ScaleSkinModesAndNormalModes) {
    const std::string text = writeXText(sampleScene());
    ASSERT_EQ(import(text, {.normalmode = 0, .scale = 2.0, .skinmode = 0}), 0);
    const Obj3dModel& plain = model(0);
    EXPECT_EQ(plain.head()->NumJoint, 0);
    EXPECT_EQ(plain.head()->NumMotion, 0);
    EXPECT_FALSE(plain.weight.present());
    EXPECT_FALSE(plain.joint.present());
    EXPECT_FALSE(plain.normal.present());
    EXPECT_FALSE(plain.keyframe.present());
    EXPECT_EQ(plain.vertex[8].posx, 2.0f);
    EXPECT_EQ(plain.vertex[8].posy, 4.0f);

    ASSERT_EQ(import(text, {.normalmode = 1, .scale = 1.0, .skinmode = 1}), 1);
    const Obj3dModel& skinned = model(1);
    EXPECT_EQ(skinned.head()->NumJoint, 3);
    EXPECT_EQ(skinned.head()->NumMotion, 0);
    EXPECT_TRUE(skinned.weight.present());
    EXPECT_FALSE(skinned.motion.present());
    // Every face lies in the z = 0 plane, wound towards +z.
    EXPECT_EQ(skinned.normal[1].normz, 1.0f);
    EXPECT_EQ(skinned.normal[9].normz, 1.0f);
    EXPECT_EQ(skinned.normal[2].normz, skinned.normal[0].normz);  // a copy takes its source's normal
}

TEST_F(XfileTest, TextureWrittenWithAnotherMachinesPathIsFoundNextToTheFile) {
    XScene scene = sampleScene();
    scene.meshes[0].materials[1].texture = "D:\\artist\\maps\\skin.png";
    scene.meshes[1].materials[0].texture = "D:\\artist\\maps\\skin.png";
    textures.existing = {"assets/skin.png"};
    ASSERT_EQ(import(writeXText(scene), kAll, "assets/hero.x"), 0);
    EXPECT_EQ(model(0).material[1].texsrvno, 0);
    EXPECT_EQ(textures.loads.size(), 2u);  // merged materials load once
    clearModel(0, 1, textures);
    EXPECT_EQ(textures.released, (std::vector<int>{0}));
}

TEST(XfilePt3Name, CutOnlyWithinTheFilesOwnNameElseAppend) {
    const std::pair<const char*, const char*> cases[] = {
        {"model.x", "model.pt3"},           {"dir.x/model.x", "dir.x/model.pt3"}, {"model.xfile", "model.pt3"},
        {"dir.x/model", "dir.x/model.pt3"}, {"d.xx/M.X", "d.xx/M.X.pt3"},         {"a.x\\m", "a.x\\m.pt3"},
        {"model", "model.pt3"}};
    for (const auto& [x, pt3] : cases) EXPECT_EQ(pt3PathFor(x), pt3) << x;
}

TEST_F(XfileTest, ManyAnimationSetsImportThoughTheirKeyTableOutgrowsTheFile) {
    XScene s = sampleScene();
    s.sets.assign(400, s.sets[1]);  // 1200 frames x 400 motions x 3 joints records
    const std::string text = writeXText(s);
    ASSERT_LT(text.size(), 1200u * 400u * 3u);
    ASSERT_EQ(import(text, kAll), 0);
    EXPECT_EQ(model(0).head()->NumMotion, 400);
    EXPECT_EQ(model(0).motion[399].firstkey, 399 * 3 * 3);
    EXPECT_EQ(model(0).keyframe[399 * 9 + 1 * 3 + 2].transy, 2.0f + 1.0f);  // Leg's last key plus Hip's place
}

TEST_F(XfileTest, FacesCollapsedByMergingGiveFiniteNormals) {
    XMesh m;
    m.name = "Collapsed";
    // Vertex 3 repeats vertex 1 and vertex 5 vertex 4: face 1 loses its
    // area, face 2 becomes a point.
    m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {5, 5, 5}, {5, 5, 5}};
    m.texcoords.assign(6, {0, 0});
    m.triangles = {{0, 1, 2}, {0, 1, 3}, {4, 5, 4}};
    m.faceMaterials = {0, 0, 0};
    m.materials = {XMaterial{}};
    XScene s;
    s.meshes = {m};
    const std::string dir = tempDir();
    ASSERT_EQ(import(writeXText(s), {.normalmode = 1, .writept3 = 1}, dir + "collapsed.x"), 0);
    ASSERT_EQ(model(0).head()->NumVertex, 4);
    for (const int v : {1, 3}) {  // a vertex with a sound face, one with none
        EXPECT_EQ(model(0).normal[v].normx, 0.0f);
        EXPECT_EQ(model(0).normal[v].normz, 1.0f);
    }
    EXPECT_EQ(readFile(dir + "collapsed.pt3").find("nan"), std::string::npos);
}

TEST_F(XfileTest, WritePt3ThenReleaseAndReadBackTheSameModel) {
    const std::string dir = tempDir();
    const std::string text = writeXText(sampleScene());
    ASSERT_EQ(import(text, {.normalmode = 1, .scale = 1.5, .skinmode = 2, .writept3 = 2}, dir + "hero.x"), -1);
    EXPECT_FALSE(model(0).occupied());
    const std::string pt3 = readFile(dir + "hero.pt3");
    ASSERT_FALSE(pt3.empty());

    ASSERT_EQ(import(text, {.normalmode = 1, .scale = 1.5, .skinmode = 2, .writept3 = 1}, dir + "hero.x"), 0);
    EXPECT_EQ(readFile(dir + "hero.pt3"), pt3);
    ASSERT_EQ(readPt3Bytes(pt3, dir + "hero.pt3", 1, 1.0, textures), 1);
    const Obj3dModel& a = model(0);
    const Obj3dModel& b = model(1);
    EXPECT_EQ(std::memcmp(a.head(), b.head(), sizeof(Obj3dHeader)), 0);
    for (int i = 0; i < a.head()->NumVertex; ++i) {
        EXPECT_EQ(a.vertex[i].originalvertexno, b.vertex[i].originalvertexno);
        EXPECT_EQ(a.vertex[i].matno, b.vertex[i].matno);
        EXPECT_NEAR(a.vertex[i].posy, b.vertex[i].posy, 1e-6);
        EXPECT_NEAR(a.normal[i].normz, b.normal[i].normz, 1e-6);
        EXPECT_EQ(a.weight[i].jointno1, b.weight[i].jointno1);
        EXPECT_NEAR(a.weight[i].weight0, b.weight[i].weight0, 1e-6);
    }
    EXPECT_TRUE(sameBytes(std::vector<Obj3dFace>(a.face.span().begin(), a.face.span().end()),
                          std::vector<Obj3dFace>(b.face.span().begin(), b.face.span().end())));
    EXPECT_TRUE(sameBytes(std::vector<Obj3dJoint>(a.joint.span().begin(), a.joint.span().end()),
                          std::vector<Obj3dJoint>(b.joint.span().begin(), b.joint.span().end())));
    EXPECT_TRUE(sameBytes(std::vector<Obj3dMotion>(a.motion.span().begin(), a.motion.span().end()),
                          std::vector<Obj3dMotion>(b.motion.span().begin(), b.motion.span().end())));
    EXPECT_TRUE(sameBytes(std::vector<int32_t>(a.frameno.span().begin(), a.frameno.span().end()),
                          std::vector<int32_t>(b.frameno.span().begin(), b.frameno.span().end())));
    ASSERT_EQ(a.keyframe.size(), b.keyframe.size());
    for (size_t k = 0; k < a.keyframe.size(); ++k) {
        EXPECT_EQ(a.keyframe[k].rot4x, b.keyframe[k].rot4x);
        EXPECT_EQ(a.keyframe[k].transy, b.keyframe[k].transy);
    }
    for (int i = 0; i < a.head()->NumMaterial; ++i) EXPECT_NEAR(a.material[i].faceColorB, b.material[i].faceColorB, 1e-6);
}

TEST_F(XfileTest, Pt3ThatCannotBeCreatedLeavesTheModelLoaded) {
    const std::string text = writeXText(sampleScene());
    const std::string missing = tempDir() + "no/such/folder/hero.x";
    EXPECT_EQ(import(text, {.writept3 = 2}, missing), 0);
    EXPECT_TRUE(model(0).complete);
    EXPECT_FALSE(std::filesystem::exists(tempDir() + "no/such/folder/hero.pt3"));
    const std::string longPath = std::string(508, 'd') + ".x";  // its PT3 name needs 512 bytes
    EXPECT_EQ(import(text, {.writept3 = 1}, longPath), -9);
    EXPECT_TRUE(model(1).occupied());
    EXPECT_FALSE(model(1).complete);
}

TEST_F(XfileTest, PathsFilesAndSlots) {
    const std::string fifo = tempDir() + "pipe.x", huge = tempDir() + "huge.x";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxXfileBytes + 1);  // sparse: costs no disk
    const std::pair<std::string, int> cases[] = {
        {std::string(512, 'p'), -2}, {std::string("a\0b", 3), -2}, {tempDir() + "absent.x", -3},
        {fifo, -3},                  {tempDir(), -3},                {"/dev/zero", -3},
        {huge, -13}};
    for (const auto& [path, code] : cases) EXPECT_EQ(readXfile(path, {}, textures), code) << path;
    EXPECT_FALSE(model(0).occupied());
    std::filesystem::remove(huge);
    for (int m = 0; m < kModelSlots; ++m) ASSERT_TRUE(modelSlot(m)->header.allocate(1));
    EXPECT_EQ(import(writeXText(sampleScene()), kAll), -1);
    EXPECT_EQ(readXfile(tempDir() + "absent.x", {}, textures), -1);
}

}  // namespace
}  // namespace korvel::model::xfile

namespace korvel::model::xfile {
namespace {

using namespace testing;

TEST_F(XfileTest, ShippedSamplesAreTheGeneratorsOutputAndImport) {
    const std::string dir = KORVEL_SAMPLES_DIR "/";
    const std::string skinned = readFile(dir + "sample_skinned.x");
    EXPECT_EQ(skinned, writeXText(sampleScene()));
    const std::string grid = readFile(dir + "sample_grid.x");
    EXPECT_EQ(grid, writeXText(gridScene(400, 4, false)));
    textures.existing = {dir + "skin.tga"};
    ASSERT_EQ(import(skinned, {.normalmode = 1, .skinmode = 2}, dir + "sample_skinned.x"), 0);
    EXPECT_EQ(model(0).material[1].texsrvno, 0);  // found next to the file
    ASSERT_EQ(import(grid, {.normalmode = 1}, dir + "sample_grid.x"), 1);
    EXPECT_EQ(model(1).head()->NumPart, 4);
    EXPECT_EQ(model(1).head()->NumVertex, 400);
}

}  // namespace
}  // namespace korvel::model::xfile
