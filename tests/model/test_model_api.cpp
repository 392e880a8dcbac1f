// The model module's C exports: argument checking and wide-character paths
// without a device; on a headless device the buffer builders (their buffers,
// bindings and failure codes, through the recording and fault-injecting
// backend) and the release of every model at CleanupDevice.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Korvelv0.h"
#include "model/model_buffers.h"
#include "model/store.h"
#include "support/device.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

using gpu::Call;
using namespace model;

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void clearAll() {
    for (int m = 0; m < kModelSlots; ++m) ClearObj3d(m, 0);
}

TEST(ModelApiTest, BadModelNumbersAndNullArraysDoNothing) {
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
    clearAll();
}

TEST(ModelApiTest, WithoutADeviceModelsLoadAndAnswerButBuildersRefuse) {
    clearAll();
    const std::string path = tempPath("mod\xc3\xa8le.pt3");  // UTF-8 of "modèle"
    writeFile(path, samplePt3({.skin = true, .motions = true, .shapekeys = true}));
    const std::wstring widePath = wide(tempPath("")) + L"mod\u00e8le.pt3";
    ASSERT_EQ(ReadPT3file(widePath.c_str(), 0, 2.0), 0);
    int info[12];
    Obj3dInfoGet(0, info);
    EXPECT_EQ(std::vector<int>(info, info + 12), std::vector<int>({0, 4, 2, 2, 2, 2, 2, 5, 2, 2, 7, 0}));
    double point[3];
    Obj3dPointInfoGet0(0, 3, point);
    EXPECT_EQ(point[0], -8.0);
    EXPECT_EQ(std::vector<int>({Obj3dGetMotionnum(0), Obj3dGetMotionkindframe(0, 1), Obj3dGetMotionkindframe(0, 2),
                                Obj3dGetShapekeynum(0), Obj3dGetShapekeykindframe(0, 1)}),
              std::vector<int>({2, 10, -1, 2, 30}));
    EXPECT_EQ(occupiedModel(0)->material[0].texsrvno, -1);
    for (int (*build)() : {MakeVertexIndexBuffer0, MakeVertexIndexBuffer0ba, MakeParticleHairIndexBuffer})
        EXPECT_EQ(build(), -2);
    EXPECT_EQ(occupiedModel(0)->drawrange.present(), false);
    EXPECT_EQ(ReadPT3file(std::wstring(600, L'a').c_str(), 0, 1.0), -2);  // 511 bytes of UTF-8 at most
    clearAll();
}

class ModelDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (InitDevice(nullptr) < 0) {
            CleanupDevice();
            GTEST_SKIP() << "no headless device";
        }
        backend.reset();
    }
    void TearDown() override { CleanupDevice(); }
    int loadFile(const std::string& text, int normalmode) {
        writeFile(tempPath("model.pt3"), text);
        return ReadPT3file(wide(tempPath("model.pt3")).c_str(), normalmode, 1.0);
    }

    korvel::testing::InjectedBackend backend;
};

TEST_F(ModelDeviceTest, BuildersMakeImmutableBuffersAndBindTheGroupSlot) {
    const std::string skinned = samplePt3({.normals = true, .skin = true, .motions = true});
    ASSERT_EQ(loadFile(skinned, 0), 0);  // group 0ba
    ASSERT_EQ(loadFile(skinned, 1), 1);  // group 1ba
    backend.reset();
    EXPECT_EQ(MakeVertexIndexBuffer1ba(), 1);
    const auto created = backend.log->all(Call::CreateBuffer);
    ASSERT_EQ(created.size(), 2u);
    const gpu::Record& vertices = *created[0];
    EXPECT_EQ(vertices.object, groupVertexBuffer(LayoutGroup::NormalSkinned));
    EXPECT_EQ(std::vector<int64_t>(vertices.args.begin(), vertices.args.begin() + 3),
              std::vector<int64_t>({4 * 52, int64_t(gpu::Usage::Immutable), gpu::BindVertexBuffer}));
    Obj3dModel* models[1] = {occupiedModel(1)};
    EXPECT_EQ(vertices.bytes, packVertices(models, LayoutGroup::NormalSkinned));
    const gpu::Record& indices = *created[1];
    EXPECT_EQ(indices.object, groupIndexBuffer(LayoutGroup::NormalSkinned));
    EXPECT_EQ(std::vector<int64_t>(indices.args.begin(), indices.args.begin() + 3),
              std::vector<int64_t>({6 * 4, int64_t(gpu::Usage::Immutable), gpu::BindIndexBuffer}));
    const uint32_t expected[6] = {0, 1, 2, 3, 2, 1};
    EXPECT_EQ(indices.bytes, std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(expected),
                                                  reinterpret_cast<const uint8_t*>(expected + 6)));
    const gpu::Record* bound = backend.log->last(Call::SetVertexBuffer);
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(std::vector<int64_t>({bound->slot, bound->args[0]}), std::vector<int64_t>({3, 52}));
    EXPECT_EQ(bound->object, vertices.object);
    EXPECT_TRUE(occupiedModel(1)->drawrange.present());
    EXPECT_FALSE(occupiedModel(0)->drawrange.present());  // another group: untouched

    EXPECT_EQ(MakeVertexIndexBuffer0ba(), 1);
    EXPECT_EQ(backend.log->last(Call::SetVertexBuffer)->slot, 2u);
    EXPECT_EQ(MakeVertexIndexBuffer0(), -1);  // no model of the group
}

TEST_F(ModelDeviceTest, FailedBuildsLeaveTheDocumentedBuffers) {
    ASSERT_EQ(loadFile(samplePt3({.hair = true}), 0), 0);
    backend.failNext(gpu::FaultKind::Buffer, 1);
    EXPECT_EQ(MakeVertexIndexBuffer0(), -2);
    EXPECT_EQ(groupVertexBuffer(LayoutGroup::Plain), nullptr);
    EXPECT_EQ(groupIndexBuffer(LayoutGroup::Plain), nullptr);
    backend.failNext(gpu::FaultKind::Buffer, 2);
    EXPECT_EQ(MakeVertexIndexBuffer0(), -4);
    EXPECT_NE(groupVertexBuffer(LayoutGroup::Plain), nullptr);
    EXPECT_EQ(groupIndexBuffer(LayoutGroup::Plain), nullptr);
    backend.failNext(gpu::FaultKind::Buffer, 1);
    EXPECT_EQ(MakeParticleHairIndexBuffer(), -2);
    EXPECT_EQ(particlehairIndexBuffer(), nullptr);
    backend.reset();
    EXPECT_EQ(MakeParticleHairIndexBuffer(), 1);  // built, not bound
    EXPECT_EQ(backend.log->all(Call::CreateBuffer)[0]->args[0], 6 * 4);
    EXPECT_EQ(backend.log->count(Call::SetIndexBuffer), 0u);

    // Group 1: a failed load (skipped) and a tool model without faces.
    ASSERT_EQ(loadFile(samplePt3({}), 1), -5);
    ASSERT_EQ(ToolMakeObj3d(3, 1, 0, 0, 1, 0, 0, 0), 2);
    backend.reset();
    EXPECT_EQ(MakeVertexIndexBuffer1(), -3);
    EXPECT_EQ(backend.log->all(Call::CreateBuffer)[0]->args[0], 3 * 36);
    EXPECT_EQ(backend.log->last(Call::SetVertexBuffer)->object, groupVertexBuffer(LayoutGroup::Normal));
    EXPECT_EQ(groupIndexBuffer(LayoutGroup::Normal), nullptr);
    // CleanupDevice releases every model.
    CleanupDevice();
    for (const int m : {0, 1, 2}) EXPECT_EQ(occupiedModel(m), nullptr);
}

}  // namespace
}  // namespace korvel::testing
