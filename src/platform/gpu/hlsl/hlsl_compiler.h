// Run-time HLSL compilation: HLSL source -> SPIR-V (shaderc) -> GLSL 4.50
// (SPIRV-Cross), with Direct3D register numbers mapped to GL bindings and
// inter-stage variables matched by semantic.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::gpu::hlsl {

// What the HLSL translator hands to a backend: GLSL 4.50 source for one
// separable program, plus what the backend needs to bind it the Direct3D way.

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
    // A geometry shader's output primitive is a triangle strip (false: it
    // emits points or lines).
    bool emitsTriangles = true;
};

// Direct3D semantics: names compare case-insensitively and a trailing number
// is the semantic index ("TEXCOORD3" is TEXCOORD index 3, "COLOR" index 0).
struct Semantic {
    std::string name;  // upper case, without the index
    uint32_t index = 0;
};

Semantic parseSemantic(std::string_view text);

// Upper-case copy of a semantic name (for matching input-layout elements).
std::string upperSemanticName(std::string_view name);

// Attribute-style location of an inter-stage variable: the same semantic gets
// the same location in every shader of the process, so separately compiled
// stages link by semantic as in Direct3D. count is the number of locations
// the variable spans. Returns false when the locations run out.
bool varyingLocation(const Semantic& semantic, uint32_t count, uint32_t& location);

// Compiles one entry point. profile is "vs_*", "gs_*" or "ps_*". On failure
// returns null and puts the compiler's text into errors. Successful results
// are kept in memory for the life of the process, keyed by source content,
// entry point and profile, so that a second device compiles nothing.
std::shared_ptr<const TranslatedShader> compile(std::string_view source, std::string_view sourceName,
                                                const char* entryPoint, const char* profile, std::string& errors);

// Forgets every cached result (benchmarks measure cold compiles with it).
void clearCompileCache();

// The same translation without the cache.
std::shared_ptr<const TranslatedShader> translate(std::string_view source, std::string_view sourceName,
                                                  const char* entryPoint, const char* profile, std::string& errors);

}  // namespace korvel::gpu::hlsl
