// Shared set-up for the GPU backend tests: a headless device with a small
// render target, HLSL compile helpers and pixel access.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gpu/gpu.h"

namespace korvel::gpu::test {

struct Rgba {
    uint8_t r, g, b, a;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgba& color);

// True when every channel is within tolerance.
bool near(Rgba a, Rgba b, int tolerance = 2);

Rgba pixel(const Image& image, uint32_t x, uint32_t y);

// A colour target with depth, bound together with a full-target viewport.
struct Target {
    std::unique_ptr<Texture2D> color;
    std::unique_ptr<RenderTargetView> rtv;
    std::unique_ptr<Texture2D> depth;
    std::unique_ptr<DepthStencilView> dsv;
};

class GpuTest : public ::testing::Test {
protected:
    static constexpr uint32_t kSize = 64;

    void SetUp() override;

    std::unique_ptr<ShaderCode> compile(const std::string& source, const char* entry, const char* profile);
    std::unique_ptr<VertexShader> vertexShader(const std::string& source, const char* entry);
    std::unique_ptr<GeometryShader> geometryShader(const std::string& source, const char* entry);
    std::unique_ptr<PixelShader> pixelShader(const std::string& source, const char* entry);
    std::unique_ptr<Buffer> constantBuffer(uint32_t bytes, const void* data = nullptr);
    std::unique_ptr<Texture2D> rgbaTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels);
    Target makeTarget(uint32_t width, uint32_t height);
    void bindTarget(Target& target);
    void clear(const std::array<float, 4>& color, float depth = 1.0f);
    Image read();

    DeviceBundle bundle;
    Device* device = nullptr;
    Context* context = nullptr;
    Target target;
};

// A fixed HLSL library for the tests: a vertex-less quad placed by a
// constant buffer, a vertex-buffer triangle transformed by a matrix, solid
// and textured pixel shaders.
extern const char* const kShaders;

struct QuadConstants {
    float rect[4];   // left, top, right, bottom in clip space
    float color[4];
    float depth;
    float pad[3];
};

}  // namespace korvel::gpu::test
