// Whole imports: merges and face order as a model shows them, textures, skin
// weights, joints and keys, modes and scale, the PT3 file written (byte for
// byte for a small skinned and animated file), the shipped samples and the C
// export. Normals, faces collapsed by merging included, are checked against
// their pairwise definition in test_cleanup_equivalence.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "Korvelv0.h"
#include "xfile_test.h"

namespace korvel::model::xfile {
namespace {

constexpr XfileOptions kAll{.normalmode = 1, .scale = 1.0, .skinmode = 2, .writept3 = 0};

TEST_F(XfileTest, SampleSceneMergesVerticesAndMaterialsAcrossMeshes) {
    std::string text = writeXText(sampleScene());
    ASSERT_EQ(import(text, kAll), 0);
    const Obj3dModel& m = model(0);
    // Body vertex 5 merges into vertex 1; the head's red is the body's red.
    const Obj3dHeader& h = *m.head();
    EXPECT_EQ((std::array{h.NumPart, h.NumVertex, h.NumFace, h.NumMaterial, h.NumJoint, h.NumMotion, h.NumTotalFrame}),
              (std::array<int32_t, 7>{2, 10, 4, 2, 3, 2, 5}));
    // Vertex 2: vertex 0's place with other texture coordinates; vertex 4:
    // an untextured material's, zeroed; vertex 5: body vertex 6, renumbered;
    // vertex 7: the head's, on the merged red.
    const Obj3dVertex* v = m.vertex.data();
    EXPECT_EQ(std::vector<float>({float(v[2].originalvertexno), v[2].texu, v[4].texu, v[5].posx, float(v[7].matno),
                                  float(v[7].partno)}),
              std::vector<float>({0, 0.5f, 0, 2, 1, 1}));
    // Faces by material within each part, in the exchange order: the
    // untextured face moves first and the two red faces swap; the repeated
    // vertex's face uses vertex 1.
    const Obj3dFace* f = m.face.data();
    EXPECT_EQ(std::vector<int>({f[0].matno, f[0].vertexno[2], f[1].vertexno[0], f[1].vertexno[1], f[3].vertexno[2]}),
              std::vector<int>({0, 6, 2, 1, 9}));
    EXPECT_EQ(std::pair(m.material[0].alpha, m.material[1].power), std::pair(0.5f, 8.0f));
    EXPECT_EQ(textures.loads, (std::vector<std::string>{"skin.tga", "models/skin.tga"}));

    // A file with Windows line ends, and a last line too long for one read, reads alike.
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) text.insert(at, "\r");
    ASSERT_EQ(import(text + std::string(700, ' ') + "\n", kAll), 1);
    EXPECT_TRUE(sameBytes(model(1).vertex, m.vertex));
    EXPECT_TRUE(sameBytes(model(1).keyframe, m.keyframe));
}

struct ExpectedWeight {
    int vertex, joint0;
    float weight0;
    int joint1;
    float weight1;
};

TEST_F(XfileTest, SkinWeightsJointsAndKeys) {
    XScene s = sampleScene();
    s.meshes[1].bones.push_back({"Ghost_Joint", {0}, {0.9f}});  // names no joint
    s.meshes[1].bones[0].weights[1] = 0.0f;
    s.sets[1].animations[1].target = "Nobody_Joint";  // the last set's targets serve all sets
    ASSERT_EQ(import(writeXText(s), kAll), 0);
    const ExpectedWeight cases[] = {
        {0, 0, 1.0f, -1, 0.0f},                  // Hip only
        {1, 0, 0.5f, 1, 0.5f},                   // the repeated vertex's Leg entry went with it
        {2, 0, 0.0f, -1, 0.0f},                  // no entries
        {3, 0, 0.25f / 0.75f, 1, 0.5f / 0.75f},  // Hip, Leg, Arm: the earlier of the tied pair stays, scaled
        {7, 2, 1.0f, -1, 0.0f},                  // Arm; the ghost bone's entry dropped
        {8, 0, 0.0f, -1, 0.0f},                  // a weight of 0 counts for nothing
    };
    for (const ExpectedWeight& e : cases) {
        const Obj3dWeight& w = model(0).weight[static_cast<size_t>(e.vertex)];
        EXPECT_EQ(std::pair(w.jointno0, w.jointno1), std::pair(e.joint0, e.joint1)) << e.vertex;
        EXPECT_FLOAT_EQ(w.weight0, e.weight0) << e.vertex;
        EXPECT_FLOAT_EQ(w.weight1, e.weight1) << e.vertex;
    }
    // Arm: a sibling of Leg under Hip, placed in model space (plus Hip's place).
    const Obj3dModel& m = model(0);
    EXPECT_EQ(std::vector<float>({float(m.joint[2].parentjointno), m.joint[2].parentposx, m.joint[2].parentposy}),
              std::vector<float>({0, -0.5f, 1.5f}));
    EXPECT_EQ(std::pair(m.motion[1].firstkey, m.frameno[4]), std::pair(6, 20));
    EXPECT_EQ(m.keyframe[6 + 1 * 3 + 2].rot4w, 0.0f);   // Leg, targeted by no animation: no keys,
    EXPECT_EQ(m.keyframe[6 + 1 * 3 + 2].transy, 1.0f);  // only Hip's place
    EXPECT_EQ(m.keyframe[6 + 2 * 3 + 2].transx, 1.0f);  // Arm's own key, read after the skipped one
}

TEST_F(XfileTest, ModesDecideWhichTablesExist) {
    const std::string text = writeXText(sampleScene());
    ASSERT_EQ(import(text, {.skinmode = 0}), 0);
    const Obj3dModel& plain = model(0);
    EXPECT_FALSE(plain.weight.present() || plain.joint.present() || plain.normal.present() || plain.keyframe.present());
    ASSERT_EQ(import(text, {.normalmode = 1, .skinmode = 1}), 1);
    EXPECT_EQ(model(1).head()->NumJoint, 3);
    EXPECT_TRUE(model(1).weight.present() && model(1).normal.present());
    EXPECT_FALSE(model(1).motion.present());
}

TEST_F(XfileTest, ManyAnimationSetsImportThoughTheirKeyTableOutgrowsTheFile) {
    XScene s = sampleScene();
    s.sets.assign(400, s.sets[1]);  // 1200 frames x 400 motions x 3 joints records
    const std::string text = writeXText(s);
    ASSERT_LT(text.size(), 1200u * 400u * 3u);
    ASSERT_EQ(import(text, kAll), 0);
    EXPECT_EQ(model(0).head()->NumMotion, 400);
    EXPECT_EQ(model(0).keyframe[399 * 9 + 1 * 3 + 2].transy, 2.0f + 1.0f);  // the last set's Leg key
}

TEST(XfilePt3Name, CutOnlyWithinTheFilesOwnNameElseAppend) {
    const std::pair<const char*, const char*> cases[] = {
        {"model.x", "model.pt3"},     {"dir.x/model.x", "dir.x/model.pt3"},
        {"model.xfile", "model.pt3"}, {"dir.x/model", "dir.x/model.pt3"},
        {"d.xx/M.X", "d.xx/M.X.pt3"}, {"a.x\\m", "a.x\\m.pt3"},
        {"model", "model.pt3"}};
    for (const auto& [x, pt3] : cases) EXPECT_EQ(pt3PathFor(x), pt3) << x;
}

TEST_F(XfileTest, Pt3ThatCannotBeCreatedLeavesTheModelLoaded) {
    const std::string text = writeXText(sampleScene());
    EXPECT_EQ(import(text, {.writept3 = 2}, tempDir() + "no/such/folder/hero.x"), 0);
    EXPECT_TRUE(model(0).complete);
    const std::string longPath = std::string(508, 'd') + ".x";  // its PT3 name needs 512 bytes
    EXPECT_EQ(import(text, {.writept3 = 1}, longPath), -9);
    EXPECT_TRUE(model(1).occupied());
    EXPECT_FALSE(model(1).complete);
}

// The examples' tests import them.
TEST(XfileSamples, ShippedSamplesAreTheGeneratorsOutput) {
    EXPECT_EQ(readFile(KORVEL_SAMPLES_DIR "/sample_skinned.x"), writeXText(sampleScene()));
    EXPECT_EQ(readFile(KORVEL_SAMPLES_DIR "/sample_grid.x"), writeXText(gridScene(400, 4, false)));
}

XScene tinyScene() {
    XScene s;
    s.skin = true;
    XMaterial m;
    m.diffuse = {1.0f, 0.5f, 0.0f, 1.0f};
    m.power = 2.0f;
    m.emissive = {0.2f, 0.2f, 0.2f};
    m.texture = "t.png";
    s.meshes = {XMesh{"Tri",
                      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                      {{0, 0}, {1, 0}, {0, 1}},
                      {{0, 1, 2}},
                      {0},
                      {m},
                      {{"Root_Joint", {0, 1}, {1.0f, 0.5f}}, {"Tip_Joint", {1, 2}, {0.5f, 1.0f}}}}};
    XJoint root{"Root_Joint", -1, {}};
    root.matrix[12] = 1.0f;
    XJoint tip{"Tip_Joint", 0, {}};
    tip.matrix[13] = 2.0f;
    s.joints = {root, tip};
    XAnimation a{"Root_Joint",
                 {0, 10},
                 {{1, 0, 0, 0}, {0.7071f, 0.7071f, 0, 0}},
                 {{1, 1, 1}, {2, 2, 2}},
                 {{0, 0, 0}, {0, 1, 0}}};
    XAnimation b = a;
    b.target = "Tip_Joint";
    s.sets = {{"Act", {a, b}}};
    return s;
}

const char* const kExpected =
    "NumVertex;3;NumFace;1;NumMaterial;1;NumPart;1;NumJoint;2;NumMotion;1;NumTotalFrame;2;NumShapekey;0;"
    "NumShapekeyVertex;0;NumShapekeydata;0;NumParticlehairFace;0;\n"
    "vertexno;1;originalvertexno;1;partno;1;matno;1;posx;1;posy;1;posz;1;texu;1;texv;1;normx;0;normy;0;normz;0;"
    "jointno0;1;weight0;1;jointno1;1;weight1;1;\n"
    "0;-1;0;0;0.000000;0.000000;0.000000;0.000000;0.000000;0;1.000000;-1;0.000000;\n"
    "1;-1;0;0;1.000000;0.000000;0.000000;1.000000;0.000000;0;0.500000;1;0.500000;\n"
    "2;-1;0;0;0.000000;1.000000;0.000000;0.000000;1.000000;1;1.000000;-1;0.000000;\n"
    "faceno;1;partno;1;matno;1;vertexno[0];1;vertexno[1];1;vertexno[2];1;\n"
    "0;0;0;0;1;2;\n"
    "matno;1;faceColorR;1;faceColorG;1;faceColorB;1;alpha;1;power;1;specularColorR;1;specularColorG;1;"
    "specularColorB;1;emissiveColorR;1;emissiveColorG;1;emissiveColorB;1;texfilenameornot;1;matname;1;\n"
    "0;255;127;0;1.000000;2.000000;0;0;0;51;51;51;t.png;matname0;\n"
    "partno;1;partname;1;\n"
    "0;Tri;\n"
    "jointno;1;parentjointno;1;parentposx;1;parentposy;1;parentposz;1;ownposx;0;ownposy;0;ownposz;0;jointname;1;\n"
    "0;-1;1.000000;0.000000;0.000000;Root_Joint;\n"
    "1;0;1.000000;2.000000;0.000000;Tip_Joint;\n"
    "motionno;1;numframe;1;frameno;1;motionname;1;\n"
    "0;2;0;10;motion0;\n"
    "motionno;1;jointno;1;frameno;1;scalex;1;scaley;1;scalez;1;rot4w;1;rot4x;1;rot4y;1;rot4z;1;transx;1;"
    "transy;1;transz;1;\n"
    "0;0;0;1.000000;1.000000;1.000000;1.000000;-0.000000;-0.000000;-0.000000;0.000000;0.000000;0.000000;\n"
    "0;0;10;2.000000;2.000000;2.000000;0.707100;-0.707100;-0.000000;-0.000000;0.000000;1.000000;0.000000;\n"
    "0;1;0;1.000000;1.000000;1.000000;1.000000;-0.000000;-0.000000;-0.000000;1.000000;0.000000;0.000000;\n"
    "0;1;10;2.000000;2.000000;2.000000;0.707100;-0.707100;-0.000000;-0.000000;1.000000;1.000000;0.000000;\n";

TEST_F(XfileTest, WrittenPt3MatchesTheLayoutByteForByte) {
    textures.existing = {"t.png"};
    const std::string dir = tempDir();
    ASSERT_EQ(import(writeXText(tinyScene()), {.skinmode = 2, .writept3 = 1}, dir + "tiny.x"), 0);
    EXPECT_EQ(readFile(dir + "tiny.pt3"), kExpected);
    textures.existing.clear();
    ASSERT_EQ(import(writeXText(tinyScene()), {.skinmode = 2, .writept3 = 2}, dir + "none.x"), -1);
    EXPECT_NE(readFile(dir + "none.pt3").find("\n0;255;127;0;1.000000;2.000000;0;0;0;51;51;51;None;matname0;\n"),
              std::string::npos);
}

TEST_F(XfileTest, CExportReadsWidePathsAndChecksThem) {
    const std::string path = tempDir() + "api.x";
    korvel::testing::writeFile(path, writeXText(sampleScene()));
    const std::wstring wide(path.begin(), path.end()), pt3 = wide.substr(0, wide.size() - 1) + L"pt3";
    EXPECT_EQ(ReadXfile(wide.c_str(), 1, 2.0, 2, 2), -1);  // written, then released
    EXPECT_EQ(ReadPT3file(pt3.c_str(), 1, 1.0), 0);
    EXPECT_EQ(ReadXfile(nullptr, 0, 1.0, 0, 0), -2);
    EXPECT_EQ(ReadXfile(std::wstring(600, L'x').c_str(), 0, 1.0, 0, 0), -2);
}

}  // namespace
}  // namespace korvel::model::xfile
