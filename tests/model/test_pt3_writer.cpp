// The PT3 writer: read -> write -> read keeps every value for each vertex
// variant with every section, also under a locale with a decimal comma. The
// X importer's tests pin the written layout byte for byte.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "model/pt3.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using WriterTest = StoreTest;
using namespace model;

// Texture slots differ between two loads of one file; everything else must not.
void sameExceptTextureSlots(Obj3dModel& a, Obj3dModel& b) {
    ASSERT_EQ(a.material.size(), b.material.size());
    for (size_t i = 0; i < a.material.size(); ++i) {
        EXPECT_EQ(a.material[i].texsrvno < 0, b.material[i].texsrvno < 0) << "material " << i;
        b.material[i].texsrvno = a.material[i].texsrvno;
    }
    std::string difference;
    EXPECT_TRUE(sameModel(a, b, difference)) << difference;
}

TEST_F(WriterTest, RoundTripKeepsEveryValueForEachVariant) {
    const Pt3Names names{{"tex0.png"}, {"body", "head"}, {"root", "arm"}};
    const Sample variants[] = {
        {.normals = false, .skin = false, .shapekeys = true, .hair = true},
        {.normals = false, .skin = true, .motions = true, .shapekeys = true, .hair = true},
        {.normals = true, .skin = false, .shapekeys = true, .hair = true},
        {.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true},
        {.normals = true, .skin = true},
    };
    textures.existing = {"tex0.png"};
    for (const Sample& sample : variants) {
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(::testing::Message() << "normals " << sample.normals << " skin " << sample.skin << " scale "
                                              << scale);
            clearAllModels(textures);
            const int normalmode = sample.normals ? 1 : 0;
            ASSERT_EQ(load(samplePt3(sample), normalmode, scale), 0);
            const std::string path = tempPath("written.pt3");
            ASSERT_TRUE(writePt3File(path, model(0), names));
            ASSERT_EQ(readPt3File(path, normalmode, 1.0, textures), 1);
            sameExceptTextureSlots(model(0), model(1));
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
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_ALL, name) != nullptr) return true;
    const std::string folder = tempPath("locales");
    const std::string command = "localedef -i de_DE -f UTF-8 " + folder + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(("mkdir -p " + folder).c_str()) != 0 || std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST_F(WriterTest, ADecimalCommaLocaleChangesNothing) {
    const Sample all{.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true};
    const std::string text = samplePt3(all);
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
