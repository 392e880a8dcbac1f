// The buffer builders on a recording device: return codes, immutable buffers
// with the packed contents, the input-slot bindings, and which models count.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_gpu.h"
#include "model/buffer_packing.h"
#include "model/model_buffers.h"
#include "model/tool_input.h"
#include "model_test_support.h"

namespace korvel::model::testing {
namespace {

class BuffersTest : public ModelStoreTest {
protected:
    void TearDown() override {
        releaseModelBuffers();
        ModelStoreTest::TearDown();
    }
    const FakeBuffer* fake(gpu::Buffer* buffer) { return dynamic_cast<const FakeBuffer*>(buffer); }

    FakeDevice device;
    FakeContext context;
};

TEST_F(BuffersTest, BuildsImmutableBuffersAndBindsTheGroupSlot) {
    ASSERT_EQ(load(samplePt3({.normals = true, .skin = true, .motions = true})), 0);  // normalmode 0: group 0ba
    ASSERT_EQ(load(samplePt3({.normals = true, .skin = true, .motions = true}), 1), 1);  // group 1ba
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::NormalSkinned, &device, &context), 1);
    const FakeBuffer* vertices = fake(groupVertexBuffer(LayoutGroup::NormalSkinned));
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->desc().usage, gpu::Usage::Immutable);
    EXPECT_EQ(vertices->desc().bindFlags, uint32_t{gpu::BindVertexBuffer});
    EXPECT_EQ(vertices->desc().byteWidth, 4u * 52);
    Obj3dModel* models[1] = {modelSlot(1)};
    EXPECT_EQ(vertices->bytes, packVertices(models, LayoutGroup::NormalSkinned));
    EXPECT_EQ(context.vertexSlots[3].buffer, groupVertexBuffer(LayoutGroup::NormalSkinned));
    EXPECT_EQ(context.vertexSlots[3].stride, 52u);
    EXPECT_EQ(context.vertexSlots[2].buffer, nullptr);

    const FakeBuffer* indices = fake(groupIndexBuffer(LayoutGroup::NormalSkinned));
    ASSERT_NE(indices, nullptr);
    EXPECT_EQ(indices->desc().bindFlags, uint32_t{gpu::BindIndexBuffer});
    ASSERT_EQ(indices->desc().byteWidth, 6u * 4);
    uint32_t first[6];
    std::memcpy(first, indices->bytes.data(), sizeof first);
    EXPECT_EQ(first[3], 3u);
    EXPECT_TRUE(model(1).drawrange.present());
    EXPECT_FALSE(model(0).drawrange.present());  // other group: untouched

    EXPECT_EQ(buildGroupBuffers(LayoutGroup::PlainSkinned, &device, &context), 1);
    EXPECT_EQ(context.vertexSlots[2].stride, 40u);
    EXPECT_EQ(model(0).head()->basevertex, 0);
}

TEST_F(BuffersTest, AnEmptyGroupChangesNothing) {
    ASSERT_EQ(load(samplePt3({})), 0);
    ASSERT_EQ(buildGroupBuffers(LayoutGroup::Plain, &device, &context), 1);
    gpu::Buffer* before = groupVertexBuffer(LayoutGroup::Plain);
    clearAllModels(textures);
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::Plain, &device, &context), -1);
    EXPECT_EQ(groupVertexBuffer(LayoutGroup::Plain), before);
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::NormalSkinned, &device, &context), -1);
    EXPECT_EQ(buildParticlehairIndexBuffer(&device, &context), -1);
}

TEST_F(BuffersTest, FailureCodesLeaveTheDocumentedBuffers) {
    ASSERT_EQ(load(samplePt3({})), 0);
    device.failBufferCall = 0;
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::Plain, &device, &context), -2);
    EXPECT_EQ(groupVertexBuffer(LayoutGroup::Plain), nullptr);
    EXPECT_EQ(groupIndexBuffer(LayoutGroup::Plain), nullptr);
    EXPECT_EQ(context.vertexSlots[0].buffer, nullptr);

    device.bufferCalls = 0;
    device.failBufferCall = 1;
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::Plain, &device, &context), -4);
    EXPECT_NE(groupVertexBuffer(LayoutGroup::Plain), nullptr);
    EXPECT_EQ(groupIndexBuffer(LayoutGroup::Plain), nullptr);

    // Without a device: -2 at once, the buffers and draw ranges stay.
    gpu::Buffer* vertices = groupVertexBuffer(LayoutGroup::Plain);
    model(0).drawrange[0].count = 77;
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::Plain, nullptr, nullptr), -2);
    EXPECT_EQ(buildParticlehairIndexBuffer(nullptr, nullptr), -2);
    EXPECT_EQ(groupVertexBuffer(LayoutGroup::Plain), vertices);
    EXPECT_EQ(model(0).drawrange[0].count, 77);

    // Vertices but no faces: the vertex buffer is built and bound, no index buffer.
    clearAllModels(textures);
    device.failBufferCall = -1;
    ASSERT_GE(toolMakeObj3d({3, 0, 0, 0, 1, 0, 0, 0}), 0);
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::Plain, &device, &context), -3);
    EXPECT_NE(context.vertexSlots[0].buffer, nullptr);
    EXPECT_EQ(groupIndexBuffer(LayoutGroup::Plain), nullptr);
}

TEST_F(BuffersTest, IncompleteModelsAreSkippedUntilCleared) {
    ASSERT_EQ(load(samplePt3({.normals = false}), 1), -5);  // header only, slot 0
    ASSERT_EQ(load(samplePt3({})), 1);
    EXPECT_EQ(buildGroupBuffers(LayoutGroup::Plain, &device, &context), 1);
    EXPECT_EQ(model(1).head()->basevertex, 0);
    EXPECT_EQ(fake(groupVertexBuffer(LayoutGroup::Plain))->desc().byteWidth, 4u * 24);
}

TEST_F(BuffersTest, HairBufferHoldsEveryModelsHairAndIsNotBound) {
    ASSERT_EQ(load(samplePt3({.hair = true})), 0);
    ASSERT_EQ(load(samplePt3({.normals = true, .hair = true}), 1), 1);
    context.indexBuffer = nullptr;
    EXPECT_EQ(buildParticlehairIndexBuffer(&device, &context), 1);
    const FakeBuffer* hair = fake(particlehairIndexBuffer());
    ASSERT_NE(hair, nullptr);
    ASSERT_EQ(hair->desc().byteWidth, 12u * 4);
    EXPECT_EQ(model(1).head()->hairstartindex, 6);
    uint32_t indices[12];
    std::memcpy(indices, hair->bytes.data(), sizeof indices);
    EXPECT_EQ(indices[0], 3u);  // hair 0 grows on face 1 = (3, 2, 1)
    EXPECT_EQ(indices[3], 0u);  // hair 1 on face 0 = (0, 1, 2)
    EXPECT_EQ(indices[7], 2u);
    EXPECT_EQ(context.indexBuffer, nullptr);
    device.failBufferCall = device.bufferCalls;
    EXPECT_EQ(buildParticlehairIndexBuffer(&device, &context), -2);
    EXPECT_EQ(particlehairIndexBuffer(), nullptr);
}

}  // namespace
}  // namespace korvel::model::testing
