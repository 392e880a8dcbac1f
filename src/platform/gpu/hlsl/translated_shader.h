// What the HLSL translator hands to a backend: GLSL 4.50 source for one
// separable program, plus what the backend needs to bind it the Direct3D way.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::gpu::hlsl {

// Resource slots per stage, as many as the translated shaders may use.
constexpr uint32_t kConstantBufferSlots = 14;
constexpr uint32_t kTextureSlots = 16;
constexpr uint32_t kSamplerSlots = 16;
constexpr uint8_t kNoSampler = 0xFF;

// Direct3D slots are per stage; GL bindings are shared by all stages, so each
// stage gets its own range: register bN of stage s is uniform-buffer binding
// s * 14 + N, texture tN of stage s is texture unit s * 16 + N.
constexpr uint32_t uniformBinding(ShaderStage stage, uint32_t slot) {
    return static_cast<uint32_t>(stage) * kConstantBufferSlots + slot;
}
constexpr uint32_t textureUnit(ShaderStage stage, uint32_t slot) {
    return static_cast<uint32_t>(stage) * kTextureSlots + slot;
}

// One vertex-shader input: its semantic (upper case, index split off) and the
// attribute location the GLSL reads it from.
struct VertexInput {
    std::string semantic;
    uint32_t semanticIndex = 0;
    uint32_t location = 0;
    ScalarKind kind = ScalarKind::Float;
    uint32_t components = 4;
};

struct TranslatedShader {
    ShaderStage stage = ShaderStage::Vertex;
    std::string glsl;
    std::vector<VertexInput> inputs;  // vertex shaders only
    ShaderInterface reflection;       // what the entry point reads and writes
    // For each texture slot the shader reads: the sampler slot it samples
    // with, or kNoSampler (not read, or only loaded without a sampler).
    std::array<uint8_t, kTextureSlots> samplerOfTexture{};
    uint32_t textureMask = 0;  // bit N: texture slot tN is read
};

}  // namespace korvel::gpu::hlsl
