// Shared set-up for the GPU backend tests: a headless device with a 64 x 64
// target bound, a quad pipeline placed by a constant buffer, and pixel access.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"
#include "support/pixels.h"

namespace korvel::gpu::test {

using korvel::testing::Rgba;
using korvel::testing::kRed, korvel::testing::kGreen, korvel::testing::kBlue, korvel::testing::kBlack;
using korvel::testing::pixelAt;

// A colour target with depth.
struct Target {
    std::unique_ptr<Texture2D> color;
    std::unique_ptr<RenderTargetView> rtv;
    std::unique_ptr<Texture2D> depth;
    std::unique_ptr<DepthStencilView> dsv;
};

// HLSL for the tests: "VSQuad" places a quad from b3 (clip-space rectangle
// left, top, right, bottom; colour; depth) with no vertex buffer; "PSColor"
// and "PSTexture" (t0 with s0) colour it.
extern const char* const kShaders;

class GpuTest : public ::testing::Test {
protected:
    static constexpr uint32_t kSize = 64;

    // Binds the target and the quad pipeline: VSQuad, PSColor, b3, strips.
    void SetUp() override;

    std::unique_ptr<ShaderCode> compile(const std::string& source, const char* entry, const char* profile);
    std::unique_ptr<VertexShader> vertexShader(const std::string& source, const char* entry);
    std::unique_ptr<PixelShader> pixelShader(const std::string& source, const char* entry);
    std::unique_ptr<Buffer> constantBuffer(uint32_t bytes, const void* data = nullptr);
    std::unique_ptr<Texture2D> rgbaTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels);
    Target makeTarget(uint32_t width, uint32_t height);
    void bindTarget(Target& target);
    void clear(const std::array<float, 4>& color, float depth = 1.0f);
    // Writes the quad's constants into b3 and draws it.
    void quad(const std::array<float, 4>& rect, const std::array<float, 4>& color, float depth = 0.5f);
    Image read();

    DeviceBundle bundle;
    Device* device = nullptr;
    Context* context = nullptr;
    Target target;
    std::unique_ptr<VertexShader> quadVs;
    std::unique_ptr<PixelShader> colorPs;
    std::unique_ptr<Buffer> quadCb;
};

}  // namespace korvel::gpu::test
