// Every shader, input layout, constant buffer and state object the library
// binds. InitDevice creates them once; drawing modules only select among them,
// the blend state by the blend-mode numbers shared by sprites, particles,
// points and lines: 0 off, 1 add, 2 destination minus source, 3 alpha, 4
// constant factor, 5 constant factor with the pixel shader "PSddsalpha"
// (sprites, particles).
#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "platform/gpu/gpu.h"

namespace korvel::device {

// Vertex shaders, in compilation order.
enum VertexShaderId : size_t {
    VsSprite,
    VsPoint,
    VsLine,
    VsParticle,
    VsShade0,
    VsShade0ph,
    VsShade1,
    VsShade1ph,
    VsShade0ba,
    VsShade0baph,
    VsShade1ba,
    VsShade1baph,
    VertexShaderCount
};

enum GeometryShaderId : size_t { GsParticle, GsShade0, GsParticleHair, GsToolPoint, GsToolLine, GeometryShaderCount };

// PsDefault is the entry point "PS".
enum PixelShaderId : size_t { PsDefault, PsPoint, PsDdsAlpha, PsShade0, PixelShaderCount };

// One input layout per model vertex shader, in the same order: Layout1ph
// was created against the code of "VSshade1ph", and so on.
enum InputLayoutId : size_t {
    Layout0,
    Layout0ph,
    Layout1,
    Layout1ph,
    Layout0ba,
    Layout0baph,
    Layout1ba,
    Layout1baph,
    InputLayoutCount
};

// Input slot each vertex format reads, so that all four formats stay bound.
inline constexpr uint32_t kInputSlot0 = 0;
inline constexpr uint32_t kInputSlot1 = 1;
inline constexpr uint32_t kInputSlot0ba = 2;
inline constexpr uint32_t kInputSlot1ba = 3;

// Constant buffers by register number b0 to b11.
enum ConstantBufferRegister : uint32_t {
    CbView = 0,
    CbProjection = 1,
    CbWorld = 2,
    CbSprite = 3,
    CbPoint = 4,
    CbLine = 5,
    CbParticle = 6,
    CbMaterial = 7,
    CbJointPalette = 8,
    CbShapekeyFlag = 9,
    CbShapekeyOffsets = 10,
    CbParticleHair = 11,
    ConstantBufferCount = 12
};

// Size in bytes of the buffer at each register, b0 to b11.
inline constexpr uint32_t kConstantBufferBytes[ConstantBufferCount] = {64, 64,  64,   96,  32,   64,
                                                                       48, 112, 7680, 256, 1024, 112};

struct Pipeline {
    std::array<std::unique_ptr<gpu::VertexShader>, VertexShaderCount> vertexShaders;
    std::array<std::unique_ptr<gpu::GeometryShader>, GeometryShaderCount> geometryShaders;
    std::array<std::unique_ptr<gpu::PixelShader>, PixelShaderCount> pixelShaders;
    std::array<std::unique_ptr<gpu::InputLayout>, InputLayoutCount> inputLayouts;
    std::array<std::unique_ptr<gpu::Buffer>, ConstantBufferCount> constantBuffers;
    std::unique_ptr<gpu::SamplerState> samplerLinearWrap;
    std::unique_ptr<gpu::DepthStencilState> depthStateLess;
    // Less-or-equal twin of depthStateLess (same step, same code): overlays
    // that redraw a surface's own triangles pass the depth test with it.
    std::unique_ptr<gpu::DepthStencilState> depthStateLessEqual;
    std::unique_ptr<gpu::BlendState> blendAdd;
    std::unique_ptr<gpu::BlendState> blendSubtract;
    std::unique_ptr<gpu::BlendState> blendAlpha;
    std::unique_ptr<gpu::BlendState> blendFactor;
    std::unique_ptr<gpu::RasterizerState> rasterWireframe;

    gpu::VertexShader* vs(VertexShaderId id) const { return vertexShaders[id].get(); }
    gpu::GeometryShader* gs(GeometryShaderId id) const { return geometryShaders[id].get(); }
    gpu::PixelShader* ps(PixelShaderId id) const { return pixelShaders[id].get(); }
    gpu::InputLayout* layout(InputLayoutId id) const { return inputLayouts[id].get(); }
    gpu::Buffer* cb(ConstantBufferRegister reg) const { return constantBuffers[reg].get(); }
};

// The library-wide pipeline objects (empty while no device exists).
Pipeline& pipeline();

// InitDevice step 6: compile the 21 entry points of the effect file
// "Korvelv0.fx" in the working directory, create their shaders and the 8
// input layouts. Returns 0 or the code of the first failing entry point.
int createShaders();

// InitDevice step 7: the 12 constant buffers, the sampler, the depth state
// and the four blend states. Returns 0 or the first failure's code.
int createStates();

// InitDevice step 12: the wireframe rasterizer state; 0 or -58.
int createWireframeState();

// Releases every pipeline object (CleanupDevice).
void releasePipeline();

// Binds the blend state of mode 0 to highestMode (factor feeds modes 4 and
// 5). A mode outside that range binds nothing, so the previous draw's blend
// state stays; returns whether the mode was in range. Points pass 4, lines 3.
bool bindBlendState(int mode, double factor, int highestMode);

// Sprites and particles: the blend state of modes 0 to 5 and the pixel
// shader "PS" (or "PSddsalpha" for mode 5). Out of range binds neither.
void bindSpriteBlendMode(int mode, double factor);

}  // namespace korvel::device
