// The model module's C exports: argument checking and wide-character paths
// without a device; on the headless device the buffer builders' codes, with
// each buffer creation failed in turn, and the release of every model at
// CleanupDevice.
#include <gtest/gtest.h>

#include <string>

#include "Korvelv0.h"
#include "model/model_buffers.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using namespace model;

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void clearAll() {
    for (int m = 0; m < kModelSlots; ++m) ClearObj3d(m, 0);
}

TEST(ModelApiTest, WithoutADeviceBadNumbersAndNullArraysDoNothingAndBuildersRefuse) {
    clearAll();
    int info[12] = {7};
    double point[3] = {7, 7, 7};
    const int ints[1] = {0};
    const double reals[1] = {0};
    ASSERT_EQ(ToolMakeObj3d(2, 0, 0, 1, 1, 0, 0, 0), 0);
    for (const int m : {-1, 1, 50, 100000}) {
        ClearObj3d(m, 1);
        Obj3dInfoGet(m, info);
        Obj3dPointInfoGet0(m, 0, point);
        EXPECT_EQ(Obj3dGetMotionnum(m) + Obj3dGetMotionkindframe(m, 0) + Obj3dGetShapekeynum(m) +
                      Obj3dGetShapekeykindframe(m, 0),
                  -4);
        Obj3dAllocShapekeyvertex(m, 1);
        Obj3dSetShapekeytrans(m, ints, ints, reals, reals, reals);
        Obj3dSetParticlehairFaceEach(m, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        ToolDataInputFaceData(m, ints, ints, ints, ints, ints);
    }
    Obj3dInfoGet(0, nullptr);
    Obj3dPointInfoGet0(0, 0, nullptr);
    Obj3dPointInfoGet0(0, 2, point);  // no vertex 2
    ToolDataInputVertexData(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    Obj3dSetShapekeyvertex(0, nullptr);
    EXPECT_EQ(info[0], 7);
    EXPECT_EQ(point[0], 7.0);
    EXPECT_EQ(occupiedModel(1), nullptr);
    EXPECT_EQ(ReadPT3file(nullptr, 0, 1.0), -2);
    ClearObj3d(0, 0);

    // A model loaded without a device answers; the builders refuse.
    const std::string path = tempPath("mod\xc3\xa8le.pt3");  // UTF-8 of "modèle"
    writeFile(path, samplePt3({.skin = true, .motions = true, .shapekeys = true}));
    const std::wstring widePath = wide(tempPath("")) + L"mod\u00e8le.pt3";
    ASSERT_EQ(ReadPT3file(widePath.c_str(), 0, 2.0), 0);
    Obj3dInfoGet(0, info);
    EXPECT_EQ(std::vector<int>(info, info + 12), std::vector<int>({0, 4, 2, 2, 2, 2, 2, 5, 2, 2, 7, 0}));
    Obj3dPointInfoGet0(0, 3, point);
    EXPECT_EQ(point[0], -8.0);
    EXPECT_EQ(std::vector<int>({Obj3dGetMotionnum(0), Obj3dGetMotionkindframe(0, 1), Obj3dGetMotionkindframe(0, 2),
                                Obj3dGetShapekeynum(0), Obj3dGetShapekeykindframe(0, 1)}),
              std::vector<int>({2, 10, -1, 2, 30}));
    for (int (*build)() : {MakeVertexIndexBuffer0, MakeVertexIndexBuffer0ba, MakeParticleHairIndexBuffer})
        EXPECT_EQ(build(), -2);
    EXPECT_EQ(occupiedModel(0)->drawrange.present(), false);
    EXPECT_EQ(ReadPT3file(std::wstring(600, L'a').c_str(), 0, 1.0), -2);  // 511 bytes of UTF-8 at most
    clearAll();
}

using ModelDeviceTest = DeviceTest;

// Whether the group's vertex and index buffers exist.
std::pair<bool, bool> madeBuffers(LayoutGroup group) {
    return {groupVertexBuffer(group) != nullptr, groupIndexBuffer(group) != nullptr};
}

int loadFile(const std::string& text, int normalmode) {
    writeFile(tempPath("model.pt3"), text);
    return ReadPT3file(wide(tempPath("model.pt3")).c_str(), normalmode, 1.0);
}

TEST_F(ModelDeviceTest, BuildersReportEachFailedCreationAndCleanupReleasesModels) {
    const std::string skinned = samplePt3({.normals = true, .skin = true, .motions = true, .hair = true});
    ASSERT_EQ(loadFile(skinned, 0), 0);  // group 0ba
    ASSERT_EQ(loadFile(skinned, 1), 1);  // group 1ba
    EXPECT_EQ(MakeVertexIndexBuffer1ba(), 1);
    EXPECT_TRUE(occupiedModel(1)->drawrange.present());
    EXPECT_FALSE(occupiedModel(0)->drawrange.present());  // another group: untouched
    EXPECT_EQ(MakeVertexIndexBuffer0(), -1);              // no model of the group
    backend.failNext(gpu::FaultKind::Buffer, 1);
    EXPECT_EQ(MakeVertexIndexBuffer0ba(), -2);
    EXPECT_EQ(madeBuffers(LayoutGroup::PlainSkinned), std::pair(false, false));
    backend.failNext(gpu::FaultKind::Buffer, 2);
    EXPECT_EQ(MakeVertexIndexBuffer0ba(), -4);
    EXPECT_EQ(madeBuffers(LayoutGroup::PlainSkinned), std::pair(true, false));
    backend.failNext(gpu::FaultKind::Buffer, 1);
    EXPECT_EQ(MakeParticleHairIndexBuffer(), -2);
    EXPECT_EQ(particlehairIndexBuffer(), nullptr);
    backend.reset();
    EXPECT_EQ(MakeVertexIndexBuffer0ba(), 1);
    EXPECT_EQ(MakeParticleHairIndexBuffer(), 1);

    // Group 1: a failed load (skipped) and a tool model without faces.
    ASSERT_EQ(loadFile(samplePt3({}), 1), -5);
    ASSERT_EQ(ToolMakeObj3d(3, 1, 0, 0, 1, 0, 0, 0), 3);
    EXPECT_EQ(MakeVertexIndexBuffer1(), -3);
    EXPECT_EQ(madeBuffers(LayoutGroup::Normal), std::pair(true, false));
    CleanupDevice();
    for (const int m : {0, 1, 2, 3}) EXPECT_EQ(occupiedModel(m), nullptr);
}

}  // namespace
}  // namespace korvel::testing
