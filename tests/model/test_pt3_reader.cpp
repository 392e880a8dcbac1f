// The PT3 reader on well-formed files: every section, the four vertex
// variants, scaling, colours, textures, early ends, line handling and codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "model/ceilings.h"
#include "model/info.h"
#include "model/pt3_reader.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

using ReaderTest = ModelStoreTest;

Sample everything() { return {.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true}; }

TEST_F(ReaderTest, PlainModelReadsCountsVerticesFacesAndMaterials) {
    const int m = load(samplePt3({}));
    ASSERT_EQ(m, 0);
    const Obj3dModel& model = this->model(m);
    EXPECT_TRUE(model.complete);
    const Obj3dHeader& h = *model.head();
    EXPECT_EQ(h.NumVertex, 4);
    EXPECT_EQ(h.NumFace, 2);
    EXPECT_EQ(h.NumMaterial, 2);
    EXPECT_EQ(h.NumPart, 2);
    EXPECT_EQ(h.skinmode, 0);
    EXPECT_EQ(h.normalmode, 0);

    const Obj3dVertex& v3 = model.vertex[3];
    EXPECT_EQ(v3.partno, 1);
    EXPECT_EQ(v3.matno, 1);
    EXPECT_EQ(v3.originalvertexno, -1);
    EXPECT_EQ(model.vertex[2].originalvertexno, 0);
    EXPECT_FLOAT_EQ(v3.posx, -4.0f);
    EXPECT_FLOAT_EQ(v3.posy, 0.125f);
    EXPECT_FLOAT_EQ(v3.posz, 8.0f);
    EXPECT_FLOAT_EQ(v3.texu, 0.0f);
    EXPECT_FLOAT_EQ(v3.texv, 1.0f);

    const Obj3dFace& f1 = model.face[1];
    EXPECT_EQ(f1.partno, 1);
    EXPECT_EQ(f1.matno, 1);
    EXPECT_EQ(f1.vertexno[0], 3);
    EXPECT_EQ(f1.vertexno[1], 2);
    EXPECT_EQ(f1.vertexno[2], 1);

    const Obj3dMaterial& m0 = model.material[0];
    EXPECT_EQ(m0.faceColorR, static_cast<float>(255 / 255.0));
    EXPECT_EQ(m0.faceColorG, static_cast<float>(128 / 255.0));
    EXPECT_EQ(m0.faceColorB, 0.0f);
    EXPECT_FLOAT_EQ(m0.alpha, 1.0f);
    EXPECT_FLOAT_EQ(m0.power, 5.5f);
    EXPECT_EQ(m0.specularColorR, static_cast<float>(10 / 255.0));
    EXPECT_EQ(m0.specularColorB, static_cast<float>(30 / 255.0));
    EXPECT_EQ(m0.emissiveColorB, 1.0f);
    EXPECT_EQ(m0.blendmode, 3);
    EXPECT_EQ(model.material[1].emissiveColorG, static_cast<float>(2 / 255.0));
    EXPECT_EQ(model.material[1].blendmode, 3);

    // Without joints, motions, shape keys or hair only these tables stay.
    EXPECT_FALSE(model.normal.present());
    EXPECT_FALSE(model.weight.present());
    EXPECT_FALSE(model.joint.present());
    EXPECT_FALSE(model.motion.present());
    EXPECT_FALSE(model.keyframe.present());
    EXPECT_FALSE(model.frameno.present());
    EXPECT_FALSE(model.shapekeyinfo.present());
    EXPECT_FALSE(model.particlehairface.present());
    EXPECT_FALSE(model.drawrange.present());
}

TEST_F(ReaderTest, NothingAfterTheMaterialsMattersWithoutOptionalSections) {
    const std::string text = samplePt3({});
    const int a = load(text);
    const int b = load(text + "this;is;not;a;part;line\n\x01\x02garbage");
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    std::string difference;
    EXPECT_TRUE(sameModel(model(a), model(b), difference)) << difference;
}

TEST_F(ReaderTest, FourVertexVariantsReadTheirColumns) {
    for (const bool normals : {false, true}) {
        for (const bool skin : {false, true}) {
            for (const int normalmode : {0, 1}) {
                SCOPED_TRACE(::testing::Message() << "normals " << normals << " skin " << skin << " mode "
                                                  << normalmode);
                clearAllModels(textures);
                const int m = load(samplePt3({.normals = normals, .skin = skin}), normalmode);
                if (normalmode == 1 && !normals) {
                    EXPECT_EQ(m, -5);
                    continue;
                }
                ASSERT_EQ(m, 0);
                const Obj3dModel& model = this->model(m);
                EXPECT_FLOAT_EQ(model.vertex[1].posx, 0.5f);
                EXPECT_FLOAT_EQ(model.vertex[1].texu, 1.0f);
                // Normals stay only with normalmode 1 (read and dropped with 0).
                ASSERT_EQ(model.normal.present(), normalmode == 1);
                if (normalmode == 1) {
                    EXPECT_FLOAT_EQ(model.normal[1].normx, 1.0f);
                    EXPECT_FLOAT_EQ(model.normal[3].normz, -1.0f);
                }
                ASSERT_EQ(model.weight.present(), skin);
                if (skin) {
                    EXPECT_EQ(model.head()->skinmode, 1);
                    EXPECT_EQ(model.weight[1].jointno0, 1);
                    EXPECT_EQ(model.weight[1].jointno1, 0);
                    EXPECT_FLOAT_EQ(model.weight[1].weight0, 0.75f);
                    EXPECT_FLOAT_EQ(model.weight[1].weight1, 0.25f);
                    EXPECT_EQ(model.weight[2].jointno1, -1);
                }
            }
        }
    }
}

TEST_F(ReaderTest, MissingColumnsForTheModelFailWithMinus5AndKeepTheSlot) {
    EXPECT_EQ(load(samplePt3({.normals = false}), 1), -5);
    // Joints declared, but line 2 has no skin columns.
    std::string text = samplePt3({.skin = true});
    const std::string flags = flagLine(false, true);
    text.replace(text.find(flags), flags.size(), flagLine(false, false));
    EXPECT_EQ(load(text), -5);
    // Both slots stay taken, incomplete, until cleared.
    ASSERT_NE(occupiedModel(0), nullptr);
    ASSERT_NE(occupiedModel(1), nullptr);
    EXPECT_FALSE(isComplete(0));
    EXPECT_FALSE(isComplete(1));
    EXPECT_EQ(load(samplePt3({})), 2);
    clearModel(0, 1, textures);
    EXPECT_EQ(load(samplePt3({})), 0);
}

TEST_F(ReaderTest, JointsWithoutMotions) {
    const int m = load(samplePt3({.skin = true}));
    ASSERT_EQ(m, 0);
    const Obj3dModel& model = this->model(m);
    EXPECT_EQ(model.head()->NumJoint, 2);
    EXPECT_EQ(model.head()->skinmode, 1);
    ASSERT_EQ(model.joint.size(), 2u);
    EXPECT_EQ(model.joint[0].parentjointno, -1);
    EXPECT_EQ(model.joint[1].parentjointno, 0);
    EXPECT_FLOAT_EQ(model.joint[1].parentposy, -0.5f);
    EXPECT_FALSE(model.motion.present());
    EXPECT_FALSE(model.keyframe.present());
}

TEST_F(ReaderTest, MotionsFillMotionFramenoAndKeyTables) {
    const int m = load(samplePt3({.skin = true, .motions = true}));
    ASSERT_EQ(m, 0);
    const Obj3dModel& model = this->model(m);
    EXPECT_EQ(model.head()->skinmode, 2);
    ASSERT_EQ(model.motion.size(), 2u);
    EXPECT_EQ(model.motion[0].numframe, 2);
    EXPECT_EQ(model.motion[0].firstframe, 0);
    EXPECT_EQ(model.motion[0].firstkey, 0);
    EXPECT_EQ(model.motion[1].numframe, 3);
    EXPECT_EQ(model.motion[1].firstframe, 2);
    EXPECT_EQ(model.motion[1].firstkey, 4);  // NumJoint x numframe(0)
    // The frame numbers of the key lines whose joint is 0, in order.
    ASSERT_EQ(model.frameno.size(), 5u);
    const int expected[5] = {0, 10, 0, 5, 10};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(model.frameno[i], expected[i]) << i;
    // NumTotalFrame x NumMotion x NumJoint key records, line k in record k.
    ASSERT_EQ(model.keyframe.size(), 20u);
    const Obj3dKeyframe& k7 = model.keyframe[7];
    EXPECT_FLOAT_EQ(k7.scalex, 8.5f);
    EXPECT_FLOAT_EQ(k7.rot4w, 1.0f);
    EXPECT_FLOAT_EQ(k7.rot4x, 0.7f);
    EXPECT_FLOAT_EQ(k7.transx, 7.0f);
    EXPECT_FLOAT_EQ(k7.transy, -7.0f);
    EXPECT_FLOAT_EQ(k7.transz, 0.25f);
    EXPECT_FLOAT_EQ(model.keyframe[15].scalex, 0.0f);
    EXPECT_EQ(motionLastFrame(model, 0), 10);
    EXPECT_EQ(motionLastFrame(model, 1), 10);
    EXPECT_EQ(motionLastFrame(model, 2), std::nullopt);
}

TEST_F(ReaderTest, ShapekeysAndHair) {
    const int m = load(samplePt3(everything()), 1);
    ASSERT_EQ(m, 0);
    const Obj3dModel& model = this->model(m);
    ASSERT_EQ(model.shapekeyinfo.size(), 2u);
    EXPECT_EQ(model.shapekeyinfo[0].numvertex, 2);
    EXPECT_EQ(model.shapekeyinfo[0].firstdata, 0);
    EXPECT_EQ(model.shapekeyinfo[1].numframe, 3);
    EXPECT_EQ(model.shapekeyinfo[1].firstdata, 4);
    ASSERT_EQ(model.shapekeyvertex.size(), 2u);
    EXPECT_EQ(model.shapekeyvertex[1], 3);
    ASSERT_EQ(model.shapekeytrans.size(), 7u);
    EXPECT_EQ(model.shapekeytrans[2].skvertexindex, 1);  // vertex 3 is list position 1
    EXPECT_EQ(model.shapekeytrans[5].skvertexindex, 0);
    EXPECT_EQ(model.shapekeytrans[5].frameno, 10);
    EXPECT_FLOAT_EQ(model.shapekeytrans[5].dx, 5.5f);
    EXPECT_FLOAT_EQ(model.shapekeytrans[5].dy, -5.0f);
    EXPECT_EQ(shapekeyLastFrame(model, 0), 20);
    EXPECT_EQ(shapekeyLastFrame(model, 1), 30);

    ASSERT_EQ(model.particlehairface.size(), 2u);
    const ParticlehairFace& h0 = model.particlehairface[0];
    EXPECT_EQ(h0.faceno, 1);
    EXPECT_EQ(h0.hairparam0, 7);
    EXPECT_FLOAT_EQ(h0.hairlength, 2.5f);
    EXPECT_EQ(h0.hairparam1, 3);
    EXPECT_EQ(h0.hairparam2, 4);
    EXPECT_FLOAT_EQ(h0.hairvec[1], 1.0f);
    EXPECT_EQ(h0.haircolor[0], 1.0f);
    EXPECT_EQ(h0.haircolor[1], static_cast<float>(128 / 255.0));
    EXPECT_EQ(model.particlehairface[1].haircolor[0], static_cast<float>(-1 / 255.0));
}

TEST_F(ReaderTest, OptionalTablesArePresentExactlyAsTheSectionsDecide) {
    struct Case {
        Sample sample;
        bool joint, motion, shapekey, hair;
    };
    const Case cases[] = {
        {{}, false, false, false, false},
        {{.skin = true}, true, false, false, false},
        {{.skin = true, .motions = true}, true, true, false, false},
        {{.shapekeys = true}, false, false, true, false},
        {{.hair = true}, false, false, false, true},
        {{.skin = true, .shapekeys = true, .hair = true}, true, false, true, true},
    };
    for (const Case& c : cases) {
        clearAllModels(textures);
        const int m = load(samplePt3(c.sample));
        ASSERT_EQ(m, 0);
        const Obj3dModel& model = this->model(m);
        SCOPED_TRACE(samplePt3(c.sample).substr(0, 200));
        EXPECT_EQ(model.joint.present(), c.joint);
        EXPECT_EQ(model.weight.present(), c.joint);
        EXPECT_EQ(model.motion.present(), c.motion);
        EXPECT_EQ(model.frameno.present(), c.motion);
        EXPECT_EQ(model.keyframe.present(), c.motion);
        EXPECT_EQ(model.shapekeyinfo.present(), c.shapekey);
        EXPECT_EQ(model.shapekeyvertex.present(), c.shapekey);
        EXPECT_EQ(model.shapekeytrans.present(), c.shapekey);
        EXPECT_EQ(model.particlehairface.present(), c.hair);
        EXPECT_FALSE(model.normal.present());
    }
}

TEST_F(ReaderTest, ScaleMultipliesEveryLengthAndNothingElse) {
    const int a = load(samplePt3(everything()), 1, 1.0);
    const int b = load(samplePt3(everything()), 1, 2.0);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    const Obj3dModel& one = model(a);
    const Obj3dModel& two = model(b);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(two.vertex[i].posx, 2 * one.vertex[i].posx);
        EXPECT_EQ(two.vertex[i].posy, 2 * one.vertex[i].posy);
        EXPECT_EQ(two.vertex[i].posz, 2 * one.vertex[i].posz);
        EXPECT_EQ(two.vertex[i].texu, one.vertex[i].texu);
        EXPECT_EQ(two.vertex[i].texv, one.vertex[i].texv);
        EXPECT_EQ(two.normal[i].normx, one.normal[i].normx);
        EXPECT_EQ(two.normal[i].normy, one.normal[i].normy);
    }
    for (size_t j = 0; j < 2; ++j) {
        EXPECT_EQ(two.joint[j].parentposx, 2 * one.joint[j].parentposx);
        EXPECT_EQ(two.joint[j].parentposy, 2 * one.joint[j].parentposy);
        EXPECT_EQ(two.joint[j].parentposz, 2 * one.joint[j].parentposz);
    }
    for (size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(two.keyframe[k].transx, 2 * one.keyframe[k].transx);
        EXPECT_EQ(two.keyframe[k].transy, 2 * one.keyframe[k].transy);
        EXPECT_EQ(two.keyframe[k].transz, 2 * one.keyframe[k].transz);
        EXPECT_EQ(two.keyframe[k].scalex, one.keyframe[k].scalex);
        EXPECT_EQ(two.keyframe[k].rot4x, one.keyframe[k].rot4x);
    }
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(two.shapekeytrans[i].dx, 2 * one.shapekeytrans[i].dx);
        EXPECT_EQ(two.shapekeytrans[i].dy, 2 * one.shapekeytrans[i].dy);
        EXPECT_EQ(two.shapekeytrans[i].dz, 2 * one.shapekeytrans[i].dz);
    }
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(two.particlehairface[i].hairlength, 2 * one.particlehairface[i].hairlength);
        EXPECT_EQ(two.particlehairface[i].hairvec[0], one.particlehairface[i].hairvec[0]);
    }
}

TEST_F(ReaderTest, CrlfFilesLoadLikeLfFiles) {
    std::string lf = samplePt3(everything());
    std::string crlf;
    for (const char c : lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const int a = load(lf, 1);
    const int b = load(crlf, 1);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    std::string difference;
    EXPECT_TRUE(sameModel(model(a), model(b), difference)) << difference;
}

TEST_F(ReaderTest, TexturesLoadAsWrittenThenNextToTheModel) {
    // Found as written.
    textures.existing = {"tex0.png"};
    ASSERT_EQ(load(samplePt3({})), 0);
    EXPECT_EQ(model(0).material[0].texsrvno, 0);
    EXPECT_EQ(model(0).material[1].texsrvno, -1);
    // "None" loads nothing at all.
    EXPECT_EQ(textures.loads, std::vector<std::string>{"tex0.png"});

    // An absolute path from another machine: found next to the model.
    for (const std::string written : {"C:\\art\\textures\\tex0.png", "/home/artist/tex0.png", "sub\\dir/tex0.png"}) {
        SCOPED_TRACE(written);
        clearAllModels(textures);
        textures.loads.clear();
        textures.nextSlot = 5;
        textures.existing = {"/data/game/models/tex0.png"};
        std::string text = samplePt3({});
        text.replace(text.find("tex0.png"), 8, written);
        ASSERT_EQ(load(text, 0, 1.0, "/data/game/models/hero.pt3"), 0);
        EXPECT_EQ(model(0).material[0].texsrvno, 5);
        EXPECT_EQ(textures.loads, (std::vector<std::string>{written, "/data/game/models/tex0.png"}));
    }

    // Found by neither name: no texture, the model still loads. A model path
    // with backslashes gives its directory the same way.
    clearAllModels(textures);
    textures.loads.clear();
    textures.existing.clear();
    ASSERT_EQ(load(samplePt3({}), 0, 1.0, "D:\\game\\hero.pt3"), 0);
    EXPECT_EQ(model(0).material[0].texsrvno, -1);
    EXPECT_EQ(textures.loads, (std::vector<std::string>{"tex0.png", "D:\\game\\tex0.png"}));
}

TEST_F(ReaderTest, EveryMaterialLoadsItsOwnTexture) {
    textures.existing = {"tex0.png"};
    std::string text = samplePt3({});
    text.replace(text.find("None;matname1"), 4, "tex0.png");
    ASSERT_EQ(load(text), 0);
    EXPECT_EQ(model(0).material[0].texsrvno, 0);
    EXPECT_EQ(model(0).material[1].texsrvno, 1);
}

TEST_F(ReaderTest, LinesLongerThan510CharactersAreSplit) {
    const std::string text = samplePt3({});
    const size_t v0 = text.find("0;-1;0;0;");
    const size_t v0End = text.find('\n', v0);
    const size_t length = v0End - v0;
    // Padding the first vertex line to exactly 510 characters changes nothing.
    std::string fits = text;
    fits.insert(v0End, std::string(510 - length, 'x'));
    ASSERT_EQ(load(fits), 0);
    EXPECT_FLOAT_EQ(model(0).vertex[1].posx, 0.5f);
    // One more character and its rest becomes vertex 1, shifting the others.
    std::string split = text;
    split.insert(v0End, std::string(511 - length, 'x'));
    ASSERT_EQ(load(split), 1);
    EXPECT_FLOAT_EQ(model(1).vertex[0].posx, 1.5f);
    EXPECT_FLOAT_EQ(model(1).vertex[1].posx, 0.0f);
    EXPECT_FLOAT_EQ(model(1).vertex[2].posx, 0.5f);
}

TEST_F(ReaderTest, AFileCutShortRepeatsItsLastLine) {
    const std::string text = samplePt3({});
    const int m = load(text.substr(0, text.find("3;-1;1;1;")));
    ASSERT_EQ(m, 0);
    const Obj3dModel& model = this->model(m);
    EXPECT_TRUE(model.complete);
    EXPECT_EQ(std::memcmp(&model.vertex[3], &model.vertex[2], sizeof(Obj3dVertex)), 0);
}

TEST_F(ReaderTest, NumbersParseAsCScanfDoes) {
    // Blanks before numbers, signs, exponents and a trailing 'e' are taken
    // as C scanf takes them; a blank before a semicolon ends the line's scan.
    std::string text = samplePt3({});
    const std::string v1 = "1;-1;0;0;0.500000;1.000000;-1.000000;1.000000;0.000000;";
    text.replace(text.find(v1), v1.size(), " 1; -1;+0;\t0;5e-1;1.e;-1E0; 2.5 ;7;");
    ASSERT_EQ(load(text), 0);
    const Obj3dVertex& v = model(0).vertex[1];
    EXPECT_EQ(v.originalvertexno, -1);
    EXPECT_FLOAT_EQ(v.posx, 0.5f);
    EXPECT_FLOAT_EQ(v.posy, 1.0f);
    EXPECT_FLOAT_EQ(v.posz, -1.0f);
    EXPECT_FLOAT_EQ(v.texu, 2.5f);
    EXPECT_FLOAT_EQ(v.texv, 0.0f);  // not reached: " ;" does not match ";"
}

TEST(ReaderFileTest, OnlyRegularFilesUpToTheCeilingAreRead) {
    FakeTextures textures;
    clearAllModels(textures);
    const std::string dir = tempDir();
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
}  // namespace korvel::model::testing
