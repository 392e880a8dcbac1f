// Reading and writing PT3 under a process locale whose decimal separator is a
// comma: numbers still use the C rules. The locale is generated into a
// temporary folder when the system does not have it; the test is skipped
// when that is impossible.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "model/pt3_writer.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

bool commaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_ALL, name) != nullptr) return true;
    const std::string folder = tempDir() + "locales";
    const std::string command = "localedef -i de_DE -f UTF-8 " + folder + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(("mkdir -p " + folder).c_str()) != 0 || std::system(command.c_str()) != 0) return false;
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

class LocaleTest : public ModelStoreTest {
protected:
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        ModelStoreTest::TearDown();
    }
};

TEST_F(LocaleTest, DecimalCommaLocaleChangesNothing) {
    const Sample all{.normals = true, .skin = true, .motions = true, .shapekeys = true, .hair = true};
    const std::string text = samplePt3(all);
    ASSERT_EQ(load(text, 1, 2.0), 0);
    const std::string writtenInC = pt3Text(model(0), {});
    if (!commaLocale()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    ASSERT_EQ(load(text, 1, 2.0), 1);
    std::string difference;
    EXPECT_TRUE(sameModel(model(0), model(1), difference)) << difference;
    EXPECT_FLOAT_EQ(model(1).vertex[0].posy, -4.5f);
    EXPECT_EQ(pt3Text(model(1), {}), writtenInC);
}

}  // namespace
}  // namespace korvel::model::testing
