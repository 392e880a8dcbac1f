// Line patterns, value lines, line splitting and name extraction: the text
// rules every pass of the X importer relies on.
#include <gtest/gtest.h>

#include <string>

#include "model/xfile_lines.h"
#include "model/xfile_patterns.h"
#include "model/xfile_scan.h"

namespace korvel::model::xfile {
namespace {

TEST(XfilePatterns, BlankMatchesAnyWhiteSpaceAndFinalCharacterMustConvert) {
    EXPECT_TRUE(matchesPattern("   Mesh Body {\n", pattern::kMesh));
    EXPECT_TRUE(matchesPattern("Mesh Body {\n", pattern::kMesh));       // no leading blanks
    EXPECT_TRUE(matchesPattern("\t\t Mesh{\n", pattern::kMesh));        // tabs; no blank before %c
    EXPECT_TRUE(matchesPattern("    MeshMaterialList {\n", pattern::kMesh));
    EXPECT_TRUE(matchesPattern("    MeshTextureCoords {\n", pattern::kMesh));
    EXPECT_FALSE(matchesPattern("   Mesh   \n", pattern::kMesh));  // nothing after the blanks
    EXPECT_FALSE(matchesPattern("   Mesh", pattern::kMesh));
    EXPECT_FALSE(matchesPattern("   Mes Body {\n", pattern::kMesh));
    EXPECT_FALSE(matchesPattern("    XSkinMeshHeader {\n", pattern::kMesh));
    EXPECT_FALSE(matchesPattern("     Material {\n", pattern::kMaterialList));
}

TEST(XfilePatterns, AnimationSetOnlyInTheFirstColumn) {
    EXPECT_TRUE(matchesPattern("AnimationSet Walk {\n", pattern::kAnimationSet));
    EXPECT_TRUE(matchesPattern("AnimationSet{\n", pattern::kAnimationSet));
    EXPECT_FALSE(matchesPattern(" AnimationSet Walk {\n", pattern::kAnimationSet));
    EXPECT_TRUE(matchesPattern("Frame ReplacedName2 {\n", pattern::kJointRoot));
    EXPECT_FALSE(matchesPattern(" Frame ReplacedName3 {\n", pattern::kJointRoot));
}

TEST(XfileValueLines, ScanStopsAtTheFirstMismatchKeepingEarlierValues) {
    int32_t c[3] = {-1, -1, -1};
    EXPECT_EQ(scanLine("    3;4,5,6;;\n", pattern::kTriangle, {&c[0], &c[1], &c[2]}), 3);  // last face ends ";;"
    EXPECT_EQ(c[2], 6);
    int32_t q[3] = {7, 7, 7};
    EXPECT_EQ(scanLine("    4;0,1,2,3;,\n", pattern::kTriangle, {&q[0], &q[1], &q[2]}), 0);  // not a triangle
    EXPECT_EQ(q[0], 7);
    EXPECT_EQ(scanLine("    3;4,x,6;,\n", pattern::kTriangle, {&q[0], &q[1], &q[2]}), 1);
    EXPECT_EQ(q[0], 4);
    EXPECT_EQ(q[1], 7);
    float p[3] = {};
    EXPECT_EQ(scanLine("  1.5;-2e1;  .25;,\n", pattern::kPosition, {&p[0], &p[1], &p[2]}), 3);
    EXPECT_FLOAT_EQ(p[1], -20.0f);
    EXPECT_FLOAT_EQ(p[2], 0.25f);
    float key[4] = {};
    int32_t time = 0, count = 0;
    EXPECT_EQ(scanLine("   20;4;0.5,-0.5,0,1;;;\n", pattern::kRotationKey, {&time, &count, &key[0], &key[1], &key[2], &key[3]}), 6);
    EXPECT_EQ(time, 20);
    EXPECT_FLOAT_EQ(key[1], -0.5f);
}

TEST(XfileLines, FgetsSplittingCarriageReturnsAndTheEnd) {
    const std::string longLine(600, 'a');
    const std::string text = "one\r\ntwo\n" + longLine + "\nlast";
    XLines lines(text);
    ASSERT_TRUE(lines.next());
    EXPECT_STREQ(lines.line(), "one\n");
    const size_t second = lines.position();
    ASSERT_TRUE(lines.next());
    EXPECT_STREQ(lines.line(), "two\n");
    ASSERT_TRUE(lines.next());
    EXPECT_EQ(std::string(lines.line()), std::string(511, 'a'));  // split as a 512-byte fgets does
    ASSERT_TRUE(lines.next());
    EXPECT_EQ(std::string(lines.line()), std::string(89, 'a') + "\n");
    ASSERT_TRUE(lines.next());
    EXPECT_STREQ(lines.line(), "last");
    EXPECT_FALSE(lines.next());
    EXPECT_STREQ(lines.line(), "");  // past the end every line is empty
    EXPECT_EQ(lines.count(), 0);
    lines.seek(second);
    EXPECT_EQ(lines.until("t%c"), true);
    EXPECT_STREQ(lines.line(), "two\n");
    EXPECT_FALSE(lines.until("zzz%c"));
}

TEST(XfileNames, TextBeforeTheEndCharacterWithoutItsLastCharacter) {
    EXPECT_EQ(nameBefore("   Mesh Body {\n", 8, '{'), "Body");
    EXPECT_EQ(nameBefore("   Mesh {\n", 8, '{'), "");
    EXPECT_EQ(nameBefore("   Mesh Body\n", 8, '{'), "");  // no brace
    EXPECT_EQ(nameBefore("  { Hip_Joint }\n", 4, '}'), "Hip_Joint");
    EXPECT_EQ(nameBefore("x", 5, '}'), "");
    const std::string longName = "Frame " + std::string(80, 'n') + " {";
    EXPECT_EQ(nameBefore(longName.c_str(), 6, '{').size(), kNameMax);
    EXPECT_EQ(quoted("     \"Hip_Joint\";\n", kNameMax), "Hip_Joint");
    EXPECT_EQ(quoted("     \"open;\n", kNameMax), "");
    EXPECT_EQ(quoted("none", kNameMax), "");
}

}  // namespace
}  // namespace korvel::model::xfile
