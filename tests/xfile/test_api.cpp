// The C export: ReadXfile through the public header, the PT3 file it writes
// loaded by ReadPT3file, and its argument failures. No device is needed:
// textures then simply do not load.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "Korvelv0.h"
#include "xfile_test_support.h"

namespace {

using korvel::model::xfile::testing::sampleScene;
using korvel::model::xfile::testing::tempDir;

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(XfileApi, ImportWritesPt3ThatReadPt3fileLoadsAlike) {
    const std::string dir = tempDir();
    std::ofstream(dir + "api.x", std::ios::binary) << korvel::model::xfile::writeXText(sampleScene());
    const std::wstring path = wide(dir + "api.x");
    const int m = ReadXfile(path.c_str(), 1, 2.0, 2, 1);
    ASSERT_GE(m, 0);
    const int p = ReadPT3file(wide(dir + "api.pt3").c_str(), 1, 1.0);
    ASSERT_GE(p, 0);
    int a[12], b[12];
    Obj3dInfoGet(m, a);
    Obj3dInfoGet(p, b);
    EXPECT_EQ(std::vector<int>(a, a + 12), std::vector<int>(b, b + 12));
    double pa[3], pb[3];
    Obj3dPointInfoGet0(m, 8, pa);
    Obj3dPointInfoGet0(p, 8, pb);
    EXPECT_EQ(pa[1], 4.0);  // scaled by 2
    EXPECT_EQ(pb[1], 4.0);
    ClearObj3d(m, 1);
    ClearObj3d(p, 1);

    EXPECT_EQ(ReadXfile(path.c_str(), 0, 1.0, 0, 2), -1);  // written, then released
    EXPECT_EQ(ReadXfile(nullptr, 0, 1.0, 0, 0), -2);
    EXPECT_EQ(ReadXfile(std::wstring(600, L'x').c_str(), 0, 1.0, 0, 0), -2);
    EXPECT_EQ(ReadXfile(wide(dir + "absent.x").c_str(), 0, 1.0, 0, 0), -3);
}

}  // namespace
