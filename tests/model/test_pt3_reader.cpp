// The PT3 reader on well-formed files: every section, the vertex variants and
// optional tables, scaling, line handling, textures, and which files it reads.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "model/pt3.h"
#include "model/store.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using ReaderTest = StoreTest;
using namespace model;

const Sample kEverything{.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true};

// What the writer's fixed-point test cannot show: normals, shape keys and
// hair, and the values the reader derives (offsets, frame lists, colours).
TEST_F(ReaderTest, EverySectionReadsIntoItsTable) {
    ASSERT_EQ(load(samplePt3(kEverything), 1), 0);
    const Obj3dModel& m = model(0);
    const Obj3dHeader& h = *m.head();
    EXPECT_TRUE(m.complete);
    EXPECT_EQ((std::vector<int>{h.NumVertex, h.NumFace, h.NumMaterial, h.NumPart, h.NumJoint, h.NumMotion,
                                h.NumTotalFrame, h.NumShapekey, h.NumShapekeyVertex, h.NumShapekeydata,
                                h.NumParticlehairFace, h.skinmode, h.normalmode}),
              (std::vector<int>{4, 2, 2, 2, 2, 2, 5, 2, 2, 7, 2, 2, 1}));
    EXPECT_EQ(m.normal[3].normz, -1.0f);
    EXPECT_EQ(m.material[0].faceColorG, static_cast<float>(128 / 255.0));
    EXPECT_EQ(m.material[1].blendmode, 3);
    // firstkey = NumJoint x numframe(0); the frame numbers of joint 0's key lines.
    EXPECT_EQ(std::vector<int>({m.motion[1].numframe, m.motion[1].firstframe, m.motion[1].firstkey}),
              std::vector<int>({3, 2, 4}));
    EXPECT_EQ(std::vector<int>(m.frameno.span().begin(), m.frameno.span().end()), std::vector<int>({0, 10, 0, 5, 10}));
    EXPECT_EQ(m.keyframe.size(), 20u);
    EXPECT_EQ(std::vector<int>({m.shapekeyinfo[1].numframe, m.shapekeyinfo[1].firstdata, m.shapekeyvertex[1],
                                m.shapekeytrans[2].skvertexindex, m.shapekeytrans[5].frameno}),
              std::vector<int>({3, 4, 3, 1, 10}));  // vertex 3 is list position 1
    EXPECT_EQ(std::vector<float>({m.shapekeytrans[5].dx, m.shapekeytrans[5].dy}), std::vector<float>({5.5f, -5.0f}));
    const ParticlehairFace& hair = m.particlehairface[0];
    EXPECT_EQ(std::vector<int>({hair.faceno, hair.hairparam0, hair.hairparam1, hair.hairparam2}),
              std::vector<int>({1, 7, 3, 4}));
    EXPECT_EQ(std::vector<float>({hair.hairlength, hair.hairvec[1], hair.haircolor[0], hair.haircolor[1],
                                  m.particlehairface[1].haircolor[0]}),
              std::vector<float>({2.5f, 1.0f, 1.0f, static_cast<float>(128 / 255.0), static_cast<float>(-1 / 255.0)}));
}

TEST_F(ReaderTest, ScaleMultipliesEveryLengthAndNothingElse) {
    ASSERT_EQ(load(samplePt3(kEverything), 1, 1.0), 0);
    ASSERT_EQ(load(samplePt3(kEverything), 1, 2.0), 1);
    // (length, unscaled value) pairs of a model.
    const auto values = [](const Obj3dModel& m) {
        std::vector<std::pair<float, float>> v;
        for (const Obj3dVertex& x : m.vertex.span()) v.insert(v.end(), {{x.posx, x.texu}, {x.posz, x.texv}});
        for (const Obj3dNormal& n : m.normal.span()) v.push_back({0, n.normx});
        for (const Obj3dJoint& j : m.joint.span()) v.push_back({j.parentposx, 0});
        for (const Obj3dKeyframe& k : m.keyframe.span()) v.insert(v.end(), {{k.transx, k.scalex}, {k.transz, k.rot4x}});
        for (const Shapekeytrans& t : m.shapekeytrans.span()) v.push_back({t.dy, 0});
        for (const ParticlehairFace& p : m.particlehairface.span()) v.push_back({p.hairlength, p.hairvec[0]});
        return v;
    };
    const auto one = values(model(0)), two = values(model(1));
    ASSERT_EQ(one.size(), two.size());
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(two[i].first, 2 * one[i].first) << i;
        EXPECT_EQ(two[i].second, one[i].second) << i;
    }
}

// Line splitting itself is checked against fgets in test_text_scanning.
TEST_F(ReaderTest, LineEndsAndEarlyEnds) {
    const std::string all = samplePt3(kEverything), text = samplePt3({});
    std::string crlf;
    for (const char c : all) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string difference;
    ASSERT_EQ(load(all, 1), 0);
    ASSERT_EQ(load(crlf, 1), 1);
    EXPECT_TRUE(sameModel(model(0), model(1), difference)) << difference;
    // Without optional sections nothing after the materials is read.
    ASSERT_EQ(load(text), 2);
    ASSERT_EQ(load(text + "this;is;not;a;part;line\n\x01\x02garbage"), 3);
    EXPECT_TRUE(sameModel(model(2), model(3), difference)) << difference;
    // A file that ends early repeats its last line.
    ASSERT_EQ(load(text.substr(0, text.find("3;-1;1;1;"))), 4);
    EXPECT_TRUE(model(4).complete);
    EXPECT_EQ(std::memcmp(&model(4).vertex[3], &model(4).vertex[2], sizeof(Obj3dVertex)), 0);
}

TEST_F(ReaderTest, TexturesLoadAsWrittenThenNextToTheModel) {
    const struct {
        std::string written, modelPath, found;
        std::vector<std::string> tried;
    } cases[] = {
        {"tex0.png", "m/hero.pt3", "tex0.png", {"tex0.png"}},
        {"C:\\art\\tex0.png", "/data/hero.pt3", "/data/tex0.png", {"C:\\art\\tex0.png", "/data/tex0.png"}},
        {"sub\\dir/tex0.png", "D:\\game\\hero.pt3", "", {"sub\\dir/tex0.png", "D:\\game\\tex0.png"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        clearAllModels(textures);
        textures.loads.clear();
        textures.existing = {c.found};
        std::string text = samplePt3({});
        text.replace(text.find("tex0.png"), 8, c.written);
        text.replace(text.find("None;matname1"), 4, c.written);  // a second material: its own slot
        ASSERT_EQ(load(text, 0, 1.0, c.modelPath), 0);
        const bool found = !c.found.empty();
        EXPECT_EQ(model(0).material[0].texsrvno, found ? textures.nextSlot - 2 : -1);
        EXPECT_EQ(model(0).material[1].texsrvno, found ? textures.nextSlot - 1 : -1);
        EXPECT_EQ(std::vector<std::string>(textures.loads.begin(), textures.loads.begin() + c.tried.size()), c.tried);
    }
    textures.loads.clear();
    ASSERT_EQ(load(samplePt3({})), 1);
    EXPECT_EQ(textures.loads.size(), 2u);  // "None" loads nothing
}

TEST(ReaderFileTest, OnlyRegularFilesUpToTheCeilingAreRead) {
    FakeTextures textures;
    clearAllModels(textures);
    const std::string dir = tempPath("");
    const std::string fifo = dir + "model.fifo", huge = dir + "huge.pt3", plain = dir + "plain.pt3";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    writeFile(plain, samplePt3({}));
    writeFile(huge, samplePt3({}));
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kMaxPt3FileBytes) + 1), 0);  // sparse
    const struct {
        std::string path;
        int code;
    } cases[] = {{dir + "missing.pt3", -3}, {dir, -3},   {fifo, -3}, {"/dev/zero", -3},
                 {huge, kPt3Unsafe},        {std::string(512, 'a'), -2}, {plain, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(readPt3File(c.path, 0, 1.0, textures), c.code);
        EXPECT_EQ(occupiedModel(0) != nullptr, c.code == 0);  // refused before taking a slot
    }
    for (int m = 1; m < kModelSlots; ++m) ASSERT_EQ(readPt3File(plain, 0, 1.0, textures), m);
    // All slots taken: -1 before anything else is looked at.
    EXPECT_EQ(readPt3File(std::string(512, 'a'), 0, 1.0, textures), -1);
    clearModel(17, 0, textures);
    EXPECT_EQ(readPt3File(plain, 0, 1.0, textures), 17);
    clearAllModels(textures);
}

}  // namespace
}  // namespace korvel::testing
