// HLSL translation: register mapping, reflection, errors, the compile cache,
// and stages linking by semantic.
#include <gtest/gtest.h>

#include "gpu_test_support.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"
#include "platform/gpu/hlsl/semantic.h"

namespace korvel::gpu::test {
namespace {

using hlsl::TranslatedShader;

std::shared_ptr<const TranslatedShader> translate(const char* source, const char* entry, const char* profile,
                                                  std::string* errorsOut = nullptr) {
    std::string errors;
    auto shader = hlsl::compile(source, "test.hlsl", entry, profile, errors);
    if (errorsOut) *errorsOut = errors;
    return shader;
}

TEST(HlslSemantics, IndexIsTheTrailingNumberAndNamesAreUpperCase) {
    hlsl::Semantic s = hlsl::parseSemantic("TexCoord12");
    EXPECT_EQ(s.name, "TEXCOORD");
    EXPECT_EQ(s.index, 12u);
    s = hlsl::parseSemantic("COLOR");
    EXPECT_EQ(s.name, "COLOR");
    EXPECT_EQ(s.index, 0u);
}

TEST(HlslTranslation, VertexInputsAreReflectedBySemantic) {
    auto shader = translate(kShaders, "VSMesh", "vs_4_0");
    ASSERT_TRUE(shader);
    EXPECT_EQ(shader->stage, ShaderStage::Vertex);
    ASSERT_EQ(shader->inputs.size(), 2u);
    const hlsl::VertexInput* position = nullptr;
    const hlsl::VertexInput* texcoord = nullptr;
    for (const auto& input : shader->inputs) {
        if (input.semantic == "POSITION") position = &input;
        if (input.semantic == "TEXCOORD") texcoord = &input;
    }
    ASSERT_TRUE(position && texcoord);
    EXPECT_EQ(position->components, 3u);
    EXPECT_EQ(texcoord->components, 2u);
    EXPECT_EQ(texcoord->semanticIndex, 0u);
    EXPECT_NE(position->location, texcoord->location);
    // System values are no vertex inputs.
    auto quad = translate(kShaders, "VSQuad", "vs_4_0");
    ASSERT_TRUE(quad);
    EXPECT_TRUE(quad->inputs.empty());
}

TEST(HlslTranslation, RegistersMapToPerStageBindings) {
    const char* source = R"(
cbuffer Material : register(b5) { float4 Diffuse; };
Texture2D Base : register(t2);
Texture2D Lookup : register(t3);
SamplerState Wrap : register(s1);
float4 PSMain(float4 pos : SV_POSITION) : SV_Target {
    return Base.Sample(Wrap, pos.xy) * Diffuse + Lookup.Load(int3(0, 0, 0));
}
)";
    auto shader = translate(source, "PSMain", "ps_4_0");
    ASSERT_TRUE(shader);
    EXPECT_EQ(shader->textureMask, (1u << 2) | (1u << 3));
    EXPECT_EQ(shader->samplerOfTexture[2], 1);
    EXPECT_EQ(shader->samplerOfTexture[3], hlsl::kNoSampler) << "loaded without a sampler";
    const std::string binding = "binding = " + std::to_string(hlsl::uniformBinding(ShaderStage::Pixel, 5));
    const std::string unit = "binding = " + std::to_string(hlsl::textureUnit(ShaderStage::Pixel, 2));
    EXPECT_NE(shader->glsl.find(binding), std::string::npos) << shader->glsl;
    EXPECT_NE(shader->glsl.find(unit), std::string::npos) << shader->glsl;
}

TEST(HlslTranslation, FailuresReturnTheCompilersText) {
    std::string errors;
    EXPECT_FALSE(translate("float4 PSMain() : SV_Target { return undefinedName; }", "PSMain", "ps_4_0", &errors));
    EXPECT_NE(errors.find("test.hlsl"), std::string::npos) << errors;
    EXPECT_NE(errors.find("undefinedName"), std::string::npos) << errors;
    EXPECT_FALSE(translate(kShaders, "NoSuchEntry", "vs_4_0", &errors));
    EXPECT_FALSE(errors.empty());
    EXPECT_FALSE(translate(kShaders, "VSQuad", "cs_5_0", &errors));
    EXPECT_NE(errors.find("cs_5_0"), std::string::npos);
    EXPECT_FALSE(translate("cbuffer Big : register(b14) { float4 x; }; float4 PSMain() : SV_Target { return x; }",
                           "PSMain", "ps_4_0", &errors));
    EXPECT_NE(errors.find("b14"), std::string::npos) << errors;
    EXPECT_FALSE(translate(R"(
Texture2D T : register(t0); SamplerState A : register(s0); SamplerState B : register(s1);
float4 PSMain() : SV_Target { return T.Sample(A, 0.5) + T.Sample(B, 0.5); })",
                           "PSMain", "ps_4_0", &errors));
    EXPECT_NE(errors.find("two samplers"), std::string::npos) << errors;
}

TEST(HlslTranslation, ResultsAreCachedBySourceEntryAndProfile) {
    hlsl::clearCompileCache();
    auto first = translate(kShaders, "PSColor", "ps_4_0");
    auto again = translate(kShaders, "PSColor", "ps_4_0");
    EXPECT_EQ(first, again);
    EXPECT_NE(first, translate(kShaders, "PSTexture", "ps_4_0"));
    std::string edited = std::string(kShaders) + "\n// edited\n";
    EXPECT_NE(first, translate(edited.c_str(), "PSColor", "ps_4_0"));
    hlsl::clearCompileCache();
    auto fresh = translate(kShaders, "PSColor", "ps_4_0");
    EXPECT_NE(first, fresh);
    EXPECT_EQ(first->glsl, fresh->glsl);
}

// The vertex shader writes its outputs in one order, the pixel shader reads
// them in another and skips one: Direct3D links them by semantic.
const char* const kLinkShaders = R"(
struct VSOut { float4 pos : SV_POSITION; float4 unused : TEXCOORD5; float4 tint : COLOR3; float4 base : TEXCOORD4; };
VSOut VSLink(uint id : SV_VertexID) {
    VSOut o;
    float2 t = float2(id & 1, id >> 1);
    o.pos = float4(t.x * 2 - 1, 1 - t.y * 2, 0.5, 1);
    o.unused = float4(1, 1, 1, 1);
    o.tint = float4(0, 0, 1, 1);
    o.base = float4(1, 0, 0, 1);
    return o;
}
struct PSIn { float4 pos : SV_POSITION; float4 base : TEXCOORD4; float4 tint : COLOR3; };
float4 PSLink(PSIn i) : SV_Target { return float4(i.base.r, 0, i.tint.b, 1); }
)";

TEST_F(GpuTest, StagesLinkBySemanticNotDeclarationOrder) {
    auto vs = vertexShader(kLinkShaders, "VSLink");
    auto ps = pixelShader(kLinkShaders, "PSLink");
    ASSERT_TRUE(vs && ps);
    clear({0, 0, 0, 1});
    context->vsSetShader(vs.get());
    context->psSetShader(ps.get());
    context->iaSetPrimitiveTopology(Topology::TriangleStrip);
    context->draw(4, 0);
    EXPECT_EQ(pixel(read(), 32, 32), (Rgba{255, 0, 255, 255}));
}

}  // namespace
}  // namespace korvel::gpu::test
