// The model module's C exports: wide-character paths, argument checking, and
// on a headless device the texture rule, the buffer builders and the release
// of every model at CleanupDevice.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "Korvelv0.h"
#include "draw2d/texture_table.h"
#include "model/store.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

void clearAll() {
    for (int m = 0; m < kModelSlots; ++m) ClearObj3d(m, 0);
}

// A 2 x 2 24-bit BMP.
void writeBmp(const std::string& path) {
    const uint8_t header[54] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                                0,   0,   1,  0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                0,   0,   0,  0, 0,  0};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    const uint8_t row[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // two pixels and padding
    out.write(reinterpret_cast<const char*>(row), sizeof row);
    out.write(reinterpret_cast<const char*>(row), sizeof row);
}

TEST(ModelApiTest, BadModelNumbersAndNullArraysDoNothing) {
    clearAll();
    int info[12] = {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    double point[3] = {7, 7, 7};
    const int ints[1] = {0};
    const double doubles[1] = {0};
    for (const int m : {-1, 0, 49, 50, 100000}) {
        ClearObj3d(m, 1);
        Obj3dInfoGet(m, info);
        Obj3dPointInfoGet0(m, 0, point);
        EXPECT_EQ(Obj3dGetMotionnum(m), -1);
        EXPECT_EQ(Obj3dGetMotionkindframe(m, 0), -1);
        EXPECT_EQ(Obj3dGetShapekeynum(m), -1);
        EXPECT_EQ(Obj3dGetShapekeykindframe(m, 0), -1);
        Obj3dAllocShapekeyinfo(m, 1);
        Obj3dSetShapekeyinfo(m, 0, 1, 1);
        Obj3dAllocShapekeyvertex(m, 1);
        Obj3dSetShapekeyvertex(m, ints);
        Obj3dAllocShapekeytrans(m, 1);
        Obj3dSetShapekeytrans(m, ints, ints, doubles, doubles, doubles);
        Obj3dAllocParticlehairFace(m, 1);
        Obj3dSetParticlehairFace(m, ints, ints, doubles, ints, ints, doubles, doubles, doubles, ints, ints, ints);
        Obj3dSetParticlehairFaceEach(m, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        ToolDataInputVertexData(m, ints, ints, ints, doubles, doubles, doubles, doubles, doubles);
        ToolDataInputVertexNorm(m, doubles, doubles, doubles);
        ToolDataInputVertexJointWeight(m, ints, doubles, ints, doubles);
        ToolDataInputFaceData(m, ints, ints, ints, ints, ints);
        ToolDataInputJointData(m, ints, doubles, doubles, doubles);
        ToolDataInputFrameData(m, ints);
        ToolDataInputMotionData(m, doubles, doubles, doubles, doubles, doubles, doubles, doubles, doubles, doubles,
                                doubles);
    }
    EXPECT_EQ(info[0], 7);
    EXPECT_EQ(point[0], 7.0);

    const int m = ToolMakeObj3d(2, 0, 0, 1, 1, 0, 0, 0);
    ASSERT_EQ(m, 0);
    Obj3dInfoGet(m, nullptr);
    Obj3dPointInfoGet0(m, 0, nullptr);
    Obj3dPointInfoGet0(m, 2, point);  // no vertex 2
    EXPECT_EQ(point[0], 7.0);
    ToolDataInputVertexData(m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    Obj3dSetShapekeyvertex(m, nullptr);
    EXPECT_EQ(ReadPT3file(nullptr, 0, 1.0), -2);
    clearAll();
}

TEST(ModelApiTest, ReadsWideCharacterPathsAndAnswersQueries) {
    clearAll();
    const std::string path = tempDir() + "mod\xc3\xa8le.pt3";  // UTF-8 of "modèle"
    writeFile(path, samplePt3({.skin = true, .motions = true, .shapekeys = true}));
    const std::wstring widePath = wide(tempDir()) + L"mod\u00e8le.pt3";
    const int m = ReadPT3file(widePath.c_str(), 0, 2.0);
    ASSERT_EQ(m, 0);
    int info[12];
    Obj3dInfoGet(m, info);
    const int expected[12] = {0, 4, 2, 2, 2, 2, 2, 5, 2, 2, 7, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(info[i], expected[i]) << i;
    double point[3];
    Obj3dPointInfoGet0(m, 3, point);
    EXPECT_EQ(point[0], -8.0);
    EXPECT_EQ(Obj3dGetMotionnum(m), 2);
    EXPECT_EQ(Obj3dGetMotionkindframe(m, 1), 10);
    EXPECT_EQ(Obj3dGetMotionkindframe(m, 2), -1);
    EXPECT_EQ(Obj3dGetShapekeynum(m), 2);
    EXPECT_EQ(Obj3dGetShapekeykindframe(m, 1), 30);
    // No device: the builders refuse, the model stays usable.
    for (int (*build)() : {MakeVertexIndexBuffer0, MakeVertexIndexBuffer0ba, MakeParticleHairIndexBuffer})
        EXPECT_EQ(build(), -2);
    EXPECT_EQ(ReadPT3file((wide(tempDir()) + L"absent.pt3").c_str(), 0, 1.0), -3);
    EXPECT_EQ(ReadPT3file(std::wstring(600, L'a').c_str(), 0, 1.0), -2);
    for (int i = 1; i < kModelSlots; ++i) ASSERT_EQ(ToolMakeObj3d(1, 0, 0, 1, 1, 0, 0, 0), i);
    EXPECT_EQ(ToolMakeObj3d(1, 0, 0, 1, 1, 0, 0, 0), -11);
    EXPECT_EQ(ReadPT3file(widePath.c_str(), 0, 1.0), -1);
    clearAll();
}

class ModelDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (InitDevice(nullptr) < 0) {
            CleanupDevice();
            GTEST_SKIP() << "no headless device";
        }
    }
    void TearDown() override { CleanupDevice(); }
};

TEST_F(ModelDeviceTest, TexturesBuffersAndCleanup) {
    const std::string dir = tempDir() + "device/";
    std::filesystem::create_directories(dir);
    writeBmp(dir + "skin.bmp");
    std::string text = samplePt3({.hair = true});
    text.replace(text.find("tex0.png"), 8, "C:\\art\\skin.bmp");
    writeFile(dir + "hero.pt3", text);
    const int m = ReadPT3file(wide(dir + "hero.pt3").c_str(), 0, 1.0);
    ASSERT_EQ(m, 0);
    const int slot = occupiedModel(m)->material[0].texsrvno;
    ASSERT_GE(slot, 0);
    EXPECT_NE(draw2d::textureTable().view(slot), nullptr);
    EXPECT_EQ(MakeVertexIndexBuffer0(), 1);
    EXPECT_EQ(MakeVertexIndexBuffer1(), -1);
    EXPECT_EQ(MakeVertexIndexBuffer0ba(), -1);
    EXPECT_EQ(MakeVertexIndexBuffer1ba(), -1);
    EXPECT_EQ(MakeParticleHairIndexBuffer(), 1);

    ClearObj3d(m, 0);  // keeps the texture
    EXPECT_NE(draw2d::textureTable().view(slot), nullptr);
    ASSERT_EQ(ReadPT3file(wide(dir + "hero.pt3").c_str(), 0, 1.0), 0);
    const int second = occupiedModel(0)->material[0].texsrvno;
    EXPECT_NE(second, slot);
    ClearObj3d(0, 1);
    EXPECT_EQ(draw2d::textureTable().view(second), nullptr);
    EXPECT_NE(draw2d::textureTable().view(slot), nullptr);

    // CleanupDevice releases every model.
    ASSERT_EQ(ReadPT3file(wide(dir + "hero.pt3").c_str(), 0, 1.0), 0);
    ASSERT_EQ(ToolMakeObj3d(3, 1, 0, 1, 1, 0, 0, 0), 1);
    CleanupDevice();
    EXPECT_EQ(occupiedModel(0), nullptr);
    EXPECT_EQ(occupiedModel(1), nullptr);
}

}  // namespace
}  // namespace korvel::model::testing
