// The bindings and constants of sprite draws, from the recorded calls.
#include <gtest/gtest.h>

#include <cstring>

#include "Korvelv0.h"
#include "device/device_fixture.h"
#include "device/injected_backend.h"
#include "device/pipeline.h"
#include "draw2d/sprite_constants.h"
#include "draw2d/texture_numbers.h"
#include "draw2d/texture_table.h"
#include "math/matrix.h"

namespace korvel::testing {
namespace {

using device::pipeline;
using gpu::Call;
using gpu::ShaderStage;

class SpriteBindings : public ::testing::Test {
protected:
    void SetUp() override {
        ScreenSizeSet(1);
        ASSERT_EQ(InitDevice(nullptr), 0xB000);
        texture = loadSolidTexture(256, 128, Rgba{0, 0, 255});
        ASSERT_EQ(texture, 0);
    }
    void TearDown() override { CleanupDevice(); }

    // Records from the last draw's first binding call to the draw itself.
    std::vector<const gpu::Record*> lastDraw() const {
        std::vector<const gpu::Record*> calls;
        for (const gpu::Record& r : backend.log->records) {
            calls.push_back(&r);
            if (r.call == Call::Draw) break;
        }
        return calls;
    }

    const gpu::Record* find(Call call, ShaderStage stage = ShaderStage::Vertex, uint32_t slot = 0) const {
        for (const gpu::Record* r : lastDraw())
            if (r->call == call && r->stage == stage && r->slot == slot) return r;
        return nullptr;
    }

    draw2d::SpriteConstants cornersAtDraw() const {
        draw2d::SpriteConstants c{};
        const std::vector<uint8_t> bytes =
            backend.log->bufferContentsAt(pipeline().cb(device::CbSprite), backend.log->indexOf(Call::Draw, 0));
        if (bytes.size() == sizeof c) std::memcpy(&c, bytes.data(), sizeof c);
        return c;
    }

    InjectedBackend backend;
    int texture = -1;
};

TEST_F(SpriteBindings, ScreenSpriteBindsTheSpritePipeline) {
    backend.log->clear();
    RenderSprite(texture, 0, 0, 1, 1, 0, 0, 1, 1, 3, 0, 0, 0, 0.25, 1);
    const device::Pipeline& p = pipeline();
    ASSERT_EQ(backend.log->count(Call::Draw), 1u);
    EXPECT_EQ(backend.log->last(Call::Draw)->args[0], 4);
    EXPECT_EQ(backend.log->last(Call::Draw)->args[1], 0);
    EXPECT_EQ(backend.log->last(Call::SetInputLayout)->object, nullptr);
    EXPECT_EQ(backend.log->last(Call::SetTopology)->args[0], static_cast<int64_t>(gpu::Topology::TriangleStrip));
    EXPECT_EQ(backend.log->last(Call::SetVertexShader)->object, p.vs(device::VsSprite));
    EXPECT_EQ(backend.log->last(Call::SetGeometryShader)->object, nullptr);
    EXPECT_EQ(backend.log->last(Call::SetRasterizerState)->object, nullptr);
    EXPECT_EQ(backend.log->last(Call::SetPixelShader)->object, p.ps(device::PsDefault));
    EXPECT_EQ(backend.log->last(Call::SetBlendState)->object, p.blendAlpha.get());
    EXPECT_EQ(backend.log->last(Call::SetBlendState)->args[0], 0xFFFFFFFF);
    EXPECT_EQ(backend.log->last(Call::SetDepthStencilState)->object, p.depthStateLess.get());
    EXPECT_EQ(backend.log->last(Call::SetDepthStencilState)->args[0], 0);
    ASSERT_NE(find(Call::SetConstantBuffer, ShaderStage::Vertex, 3), nullptr);
    EXPECT_EQ(find(Call::SetConstantBuffer, ShaderStage::Vertex, 3)->object, p.cb(device::CbSprite));
    ASSERT_NE(find(Call::SetShaderResource, ShaderStage::Pixel, 0), nullptr);
    EXPECT_EQ(find(Call::SetShaderResource, ShaderStage::Pixel, 0)->object, draw2d::textureTable().view(texture));
    EXPECT_EQ(find(Call::SetSampler, ShaderStage::Pixel, 0)->object, p.samplerLinearWrap.get());
    EXPECT_EQ(cornersAtDraw().z[2], 0.25f);
}

TEST_F(SpriteBindings, TextTextureIsNumber100At1024Texels) {
    draw2d::TextureBinding text;
    ASSERT_TRUE(draw2d::resolveTexture(100, text));
    ASSERT_NE(text.view, nullptr);
    backend.log->clear();
    RenderSprite(100, 0, 0, 1, 1, 0, 0, 0.25, 0.25, 3, 0, 0, 0, 0, 1);
    EXPECT_EQ(find(Call::SetShaderResource, ShaderStage::Pixel, 0)->object, text.view);
    const draw2d::SpriteConstants c = cornersAtDraw();
    EXPECT_FLOAT_EQ(c.x[1], (256.0f - 400.0f) / 400.0f);
    EXPECT_FLOAT_EQ(c.y[2], -(256.0f - 300.0f) / 300.0f);
}

TEST_F(SpriteBindings, BlendModesFactorAndPixelShaders) {
    const device::Pipeline& p = pipeline();
    struct Case {
        int mode;
        const gpu::BlendState* state;
        float factor;
        const gpu::PixelShader* shader;
    };
    for (const Case c : {Case{0, nullptr, 0.0f, p.ps(device::PsDefault)},
                         Case{1, p.blendAdd.get(), 0.0f, p.ps(device::PsDefault)},
                         Case{2, p.blendSubtract.get(), 0.0f, p.ps(device::PsDefault)},
                         Case{4, p.blendFactor.get(), 0.25f, p.ps(device::PsDefault)},
                         Case{5, p.blendFactor.get(), 0.25f, p.ps(device::PsDdsAlpha)}}) {
        backend.log->clear();
        RenderSprite(texture, 0, 0, 1, 1, 0, 0, 1, 1, c.mode, 0, 0, 0, 0, 0.25);
        const gpu::Record* blend = backend.log->last(Call::SetBlendState);
        ASSERT_NE(blend, nullptr) << c.mode;
        EXPECT_EQ(blend->object, c.state) << c.mode;
        if (c.mode == 0 || c.mode >= 4) {
            for (int i = 0; i < 4; ++i) EXPECT_EQ(blend->values[i], c.factor) << c.mode;
        }
        EXPECT_EQ(backend.log->last(Call::SetPixelShader)->object, c.shader) << c.mode;
    }
    // Out-of-range modes bind neither a blend state nor a pixel shader, and
    // still draw.
    for (const int mode : {6, -1}) {
        backend.log->clear();
        RenderSprite(texture, 0, 0, 1, 1, 0, 0, 1, 1, mode, 0, 0, 0, 0, 0.25);
        EXPECT_EQ(backend.log->count(Call::SetBlendState), 0u) << mode;
        EXPECT_EQ(backend.log->count(Call::SetPixelShader), 0u) << mode;
        EXPECT_EQ(backend.log->count(Call::Draw), 1u) << mode;
    }
}

TEST_F(SpriteBindings, WorldSpriteResetsTheWorldMatrixAndSetsTheWorldFlag) {
    const double X[4] = {-1, 1, -1, 1}, Y[4] = {1, 1, -1, -1}, Z[4] = {0, 0, 0, 0};
    const double U[4] = {0, 1, 0, 1}, V[4] = {0, 0, 1, 1};
    backend.log->clear();
    RenderSprite3d(101, 3, 1.0, X, Y, Z, U, V);
    const device::Pipeline& p = pipeline();
    const size_t draw = backend.log->indexOf(Call::Draw, 0);
    ASSERT_LT(draw, backend.log->records.size());
    EXPECT_EQ(backend.log->constantBufferAt(ShaderStage::Vertex, 2, draw), p.cb(device::CbWorld));
    const std::vector<uint8_t> world = backend.log->bufferContentsAt(p.cb(device::CbWorld), draw);
    const math::Matrix identity = math::identity();
    ASSERT_EQ(world.size(), sizeof identity);
    EXPECT_EQ(std::memcmp(world.data(), &identity, sizeof identity), 0);
    // b3 is written before b2.
    EXPECT_EQ(backend.log->records[0].call, Call::UpdateSubresource);
    EXPECT_EQ(backend.log->records[0].object, p.cb(device::CbSprite));
    const draw2d::SpriteConstants c = cornersAtDraw();
    EXPECT_EQ(c.spaceFlag, 1);
    EXPECT_EQ(c.x[1], 1.0f);
    EXPECT_EQ(c.v[2], 1.0f);
    // Texture 101 before any target exists: nothing bound to sample.
    EXPECT_EQ(find(Call::SetShaderResource, ShaderStage::Pixel, 0)->object, nullptr);
}

}  // namespace
}  // namespace korvel::testing
