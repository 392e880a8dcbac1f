// PT3 files: the reader on well-formed files (every section, the vertex
// variants and optional tables, scaling, early ends, textures, which files
// it reads, files larger than its read window) and the writer (read ->
// write -> read keeps every value, also under a locale with a decimal
// comma). The X importer's tests pin the written layout byte for byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/pt3.h"
#include "model/tool_input.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using ReaderTest = StoreTest;
using WriterTest = StoreTest;
using namespace model;

const Sample kEverything{.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true};

// What the writer's fixed-point test cannot show: normals, shape keys and
// hair, the values the reader derives (offsets, frame lists, colours), and
// scale 2 doubling every length and nothing else.
TEST_F(ReaderTest, EverySectionReadsIntoItsTable) {
    ASSERT_EQ(load(samplePt3(kEverything), 1, 2.0), 0);
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
    EXPECT_EQ(std::vector<float>({m.vertex[0].posy, m.vertex[0].texu, m.vertex[3].posz, m.joint[1].parentposx,
                                  m.joint[1].parentposy, m.joint[1].parentposz}),
              std::vector<float>({-4.5f, 0.25f, 16.0f, 1.0f, -1.0f, 0.5f}));
    const Obj3dKeyframe& key = m.keyframe[5];  // "1;0;5;6.5;1;1;1;0.5;0;0;5;-5;0.25;"
    EXPECT_EQ(std::vector<float>({key.scalex, key.rot4w, key.rot4x, key.transx, key.transy, key.transz}),
              std::vector<float>({6.5f, 1.0f, 0.5f, 10.0f, -10.0f, 0.5f}));
    EXPECT_EQ(std::vector<float>({m.shapekeytrans[5].dx, m.shapekeytrans[5].dy}), std::vector<float>({11.0f, -10.0f}));
    const ParticlehairFace& hair = m.particlehairface[0];
    EXPECT_EQ(std::vector<int>({hair.faceno, hair.hairparam0, hair.hairparam1, hair.hairparam2}),
              std::vector<int>({1, 7, 3, 4}));
    EXPECT_EQ(std::vector<float>({hair.hairlength, hair.hairvec[1], hair.haircolor[0], hair.haircolor[1],
                                  m.particlehairface[1].haircolor[0]}),
              std::vector<float>({5.0f, 1.0f, 1.0f, static_cast<float>(128 / 255.0), static_cast<float>(-1 / 255.0)}));
}

// Line splitting itself is checked against fgets in test_text_scanning.
TEST_F(ReaderTest, OptionalSectionsAndEarlyEnds) {
    const std::string text = samplePt3({});
    // Without optional sections nothing after the materials is read.
    ASSERT_EQ(load(text), 0);
    ASSERT_EQ(load(text + "this;is;not;a;part;line\n\x01\x02garbage"), 1);
    std::string difference;
    EXPECT_TRUE(sameModel(model(0), model(1), difference)) << difference;
    // A file that ends early repeats its last line.
    ASSERT_EQ(load(text.substr(0, text.find("3;-1;1;1;"))), 2);
    EXPECT_TRUE(model(2).complete);
    EXPECT_EQ(std::memcmp(&model(2).vertex[3], &model(2).vertex[2], sizeof(Obj3dVertex)), 0);
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

// Which paths are regular files is the file reader's (run by the X file and
// effect file tests); here, the codes of each answer and the slot rule.
TEST_F(ReaderTest, OnlyRegularFilesUpToTheCeilingAreRead) {
    const std::string huge = tempPath("huge.pt3"), plain = tempPath("plain.pt3");
    writeFile(plain, samplePt3({}));
    writeFile(huge, samplePt3({}));
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kMaxPt3FileBytes) + 1), 0);  // sparse
    const std::pair<std::string, int> cases[] = {
        {tempPath("missing.pt3"), -3}, {huge, kPt3Unsafe}, {std::string(512, 'a'), -2}, {plain, 0}};
    for (const auto& [path, code] : cases) {
        EXPECT_EQ(readPt3File(path, 0, 1.0, textures), code) << path;
        EXPECT_EQ(occupiedModel(0) != nullptr, code == 0);  // refused before taking a slot
    }
    for (int m = 1; m < kModelSlots; ++m) ASSERT_TRUE(modelSlot(m)->header.allocate(1));
    // All slots taken: -1 before anything else is looked at.
    EXPECT_EQ(readPt3File(std::string(512, 'a'), 0, 1.0, textures), -1);
}

// A file is read through a window of a few hundred kilobytes: lines that
// straddle its edges, some ending in "\r\n", read as the same text in memory
// does, and so does a file that ends in the middle of a line.
TEST_F(ReaderTest, LargeFilesReadAsTheSameTextInMemory) {
    ASSERT_EQ(toolMakeObj3d({20000, 1, 0, 19998, 1, 0, 0, 0}), 0);
    model(0).head()->NumPart = 1;
    // Every line differs, so a lost or repeated piece of text shows.
    for (int32_t i = 0; i < 20000; ++i) model(0).vertex[i].posx = static_cast<float>(i) / 8;
    for (int32_t i = 0; i < 19998; ++i) model(0).face[i].vertexno[0] = i;
    std::string padded;
    size_t lines = 0;
    for (const char c : pt3Text(model(0), {})) {
        if (c != '\n') {
            padded += c;
            continue;
        }
        padded.append(lines % 5 * 83, ' ').append(lines % 2 != 0 ? "\r\n" : "\n");
        ++lines;
    }
    ASSERT_GT(padded.size(), size_t{4} << 20);
    const std::string path = tempPath("large.pt3");
    for (const size_t length : {padded.size(), padded.size() / 2 + 3}) {
        clearAllModels(textures);
        writeFile(path, padded.substr(0, length));
        // A cut file still loads: its missing lines repeat the last line read.
        ASSERT_EQ(readPt3File(path, 1, 1.0, textures), 0);
        ASSERT_EQ(load(padded.substr(0, length), 1), 1);
        std::string difference;
        EXPECT_TRUE(sameModel(model(0), model(1), difference)) << length << difference;
    }
}

TEST_F(WriterTest, RoundTripKeepsEveryValueForEachVariant) {
    const Pt3Names names{{"tex0.png"}, {"body", "head"}, {"root", "arm"}};
    // Without joints, with joints and motions, with joints only: each decides
    // which sections the writer must write for the reader.
    const Sample variants[] = {
        {.normals = false, .skin = false, .shapekeys = true, .hair = true},
        {.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true},
        {.normals = true, .skin = true},
    };
    textures.existing = {"tex0.png"};
    for (const Sample& sample : variants) {
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(::testing::Message()
                         << "normals " << sample.normals << " skin " << sample.skin << " scale " << scale);
            clearAllModels(textures);
            const int normalmode = sample.normals ? 1 : 0;
            ASSERT_EQ(load(samplePt3(sample), normalmode, scale), 0);
            // UTF-8 of "écrit": on Windows the name must reach the wide file functions.
            const std::string path = tempPath(
                "\xc3\xa9"
                "crit.pt3");
            ASSERT_TRUE(writePt3File(path, model(0), names));
            ASSERT_EQ(readPt3File(path, normalmode, 1.0, textures), 1);
            // Texture slots differ between two loads of one file; everything else must not.
            ASSERT_EQ(model(1).material.size(), model(0).material.size());
            for (size_t i = 0; i < model(0).material.size(); ++i) {
                EXPECT_EQ(model(0).material[i].texsrvno < 0, model(1).material[i].texsrvno < 0) << i;
                model(1).material[i].texsrvno = model(0).material[i].texsrvno;
            }
            std::string difference;
            EXPECT_TRUE(sameModel(model(0), model(1), difference)) << difference;
            // Writing the re-read model gives the same text again.
            EXPECT_EQ(pt3Text(model(1), names), pt3Text(model(0), names));
        }
    }
    EXPECT_FALSE(writePt3File(tempPath("no/such/folder/x.pt3"), model(0), names));
}

// A process locale whose decimal separator is a comma: numbers still use
// the C rules. The locale is generated into a temporary folder when the
// system lacks it; the test is skipped when that is impossible.
bool commaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"})
        if (std::setlocale(LC_ALL, name) != nullptr) return true;
#ifdef _WIN32
    return false;
#else
    const std::string folder = tempPath("locales");
    const std::string command = "localedef -i de_DE -f UTF-8 " + folder + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(("mkdir -p " + folder).c_str()) != 0 || std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
#endif
}

TEST_F(WriterTest, ADecimalCommaLocaleChangesNothing) {
    const std::string text = samplePt3(kEverything);
    ASSERT_EQ(load(text, 1, 2.0), 0);
    const std::string writtenInC = pt3Text(model(0), {});
    const struct Restore {
        ~Restore() { std::setlocale(LC_ALL, "C"); }
    } restore;
    if (!commaLocale()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    ASSERT_EQ(load(text, 1, 2.0), 1);
    std::string difference;
    EXPECT_TRUE(sameModel(model(0), model(1), difference)) << difference;
    EXPECT_FLOAT_EQ(model(1).vertex[0].posy, -4.5f);
    EXPECT_EQ(pt3Text(model(1), {}), writtenInC);
}

}  // namespace
}  // namespace korvel::testing
