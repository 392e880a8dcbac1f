// HLSL translation: the bounds on what reaches the compiler, reflection,
// errors, the compile cache, and stages linking by semantic.
#include <gtest/gtest.h>

#include "gpu_test_support.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::gpu::test {
namespace {

std::shared_ptr<const hlsl::TranslatedShader> translate(const std::string& source, const char* entry,
                                                        const char* profile, std::string* errorsOut = nullptr) {
    std::string errors;
    auto shader = hlsl::compile(source, "test.hlsl", entry, profile, errors);
    if (errorsOut) *errorsOut = errors;
    return shader;
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::string nested(int depth) { return std::string(depth, '(') + "1" + std::string(depth, ')'); }

// A pixel shader returning expression, after the given declarations.
std::string pixelSource(const std::string& declarations, const std::string& expression) {
    return declarations + "\nfloat4 PSMain() : SV_Target { float x = 1; return " + expression + "; }\n";
}

// Macros M0..M<n>, each one expanding to `times` copies of the one before.
std::string macroChain(int n, int times) {
    std::string text = "#define M0 x\n";
    for (int i = 1; i <= n; ++i)
        text += "#define M" + std::to_string(i) + repeat(" M" + std::to_string(i - 1), times) + "\n";
    return text;
}

TEST(HlslLimits, SourcesBeyondEachBoundAreRefusedBeforeTheCompiler) {
    struct Case {
        const char* name;
        std::string source;
        const char* said;  // nullptr: compiles
    };
    // 255 control statements nested as deep as they go, and 257 in a row.
    const std::string elseIfs = "if (x > 0) x = 1; " + repeat("else if (x > 1) x = 2; ", 127);
    const std::string ifs = repeat("if (x > 0) x = 1; ", 257);
    const Case cases[] = {
        // The function's braces count: 63 parentheses inside them are 64 levels.
        {"nesting at the limit", pixelSource("", nested(63)), nullptr},
        {"nesting above it", pixelSource("", nested(64)), "nest deeper than 64"},
        {"5000 parentheses", pixelSource("", nested(5000)), "nest deeper than 64"},
        {"operators at the limit", pixelSource("", repeat("- ", 255) + "x"), nullptr},
        {"operators above it", pixelSource("", "x" + repeat(" + x", 257)), "more than 256 operators"},
        {"index chain", pixelSource("static float a[1] = { 1 };", "a" + repeat("[0]", 257)), "operators"},
        {"control at the limit", "float4 PSMain() : SV_Target { float x = 0; " + elseIfs + " return x; }", nullptr},
        {"control above it", "float4 PSMain() : SV_Target { float x = 0; " + ifs + " return x; }",
         "more than 256 if"},
        {"brackets in comments", pixelSource("// " + std::string(100, '(') + "\n/* " + std::string(100, '[') + " */",
                                              "1"),
         nullptr},
        {"token pasting", pixelSource("#define P(a, b) a##b", "P(x, )"), "pastes tokens with ##"},
        {"parameter twice", pixelSource("#define SQ(v) v * v", "SQ(x)"), "parameter v more than once"},
        {"parameter once", pixelSource("#define TWICE(v) (2 * (v))", "TWICE(x)"), nullptr},
        {"macro naming itself", pixelSource("#define x x", "x"), nullptr},
        {"macros reaching each other", pixelSource("#define A B\n#define B A", "A"), "expands to itself"},
        {"chain at the limit", pixelSource(macroChain(15, 1), "M15"), nullptr},
        {"chain above it", pixelSource(macroChain(16, 1), "M16"), "more than 16 deep"},
        {"expansion", pixelSource(macroChain(13, 3), "M13"), "expansion could exceed"},
        {"preprocessed size", pixelSource("#define ROW " + repeat("1;", 100), repeat("ROW ", 800) + "x"),
         "preprocessed source holds"},
        {"source size", pixelSource(std::string(256 * 1024, ' '), "x"), "at most 262144"},
    };
    for (const Case& c : cases) {
        std::string errors;
        const bool compiled = translate(c.source, "PSMain", "ps_4_0", &errors) != nullptr;
        EXPECT_EQ(compiled, c.said == nullptr) << c.name << ": " << errors;
        if (c.said) {
            EXPECT_NE(errors.find(c.said), std::string::npos) << c.name << ": " << errors;
        }
    }
}

TEST(HlslReflection, OnlyWhatTheEntryPointUses) {
    const char* source = R"(
cbuffer Unused : register(b1) { float4 Never; };
cbuffer Material : register(b5) { float4 Diffuse; float Power; };
Texture2D Base : register(t2);
Texture2D Lookup : register(t3);
SamplerState Wrap : register(s1);
struct Out { float4 color : SV_Target0; int2 id : SV_TARGET1; };
Out PSMain(float4 pos : SV_POSITION) {
    Out o;
    o.color = Base.Sample(Wrap, pos.xy) * Diffuse * Power + Lookup.Load(int3(0, 0, 0));
    o.id = int2(1, 2);
    return o;
}
)";
    const auto pixel = translate(source, "PSMain", "ps_4_0");
    ASSERT_TRUE(pixel);
    const ShaderInterface& p = pixel->reflection;
    ASSERT_EQ(p.constantBuffers.size(), 1u);
    EXPECT_EQ(p.constantBuffers[0].name, "Material");
    EXPECT_EQ(p.constantBuffers[0].slot, 5u);
    EXPECT_EQ(p.constantBuffers[0].bytes, 20u);
    EXPECT_EQ(p.textureMask, 0b1100u);
    EXPECT_EQ(p.samplerMask, 0b10u);
    ASSERT_EQ(p.outputs.size(), 2u);
    for (const ShaderInterface::Variable& output : p.outputs) {
        EXPECT_EQ(output.semantic, "SV_TARGET");
        EXPECT_EQ(output.kind, output.semanticIndex == 0 ? ScalarKind::Float : ScalarKind::Int);
        EXPECT_EQ(output.components, output.semanticIndex == 0 ? 4u : 2u);
    }

}

TEST(HlslTranslation, FailuresReturnTheCompilersTextAndSuccessesAreCached) {
    std::string errors;
    EXPECT_FALSE(translate("float4 PSMain() : SV_Target { return undefinedName; }", "PSMain", "ps_4_0", &errors));
    EXPECT_NE(errors.find("test.hlsl"), std::string::npos) << errors;
    EXPECT_NE(errors.find("undefinedName"), std::string::npos) << errors;
    EXPECT_FALSE(translate(kShaders, "VSQuad", "cs_5_0", &errors));
    EXPECT_NE(errors.find("cs_5_0"), std::string::npos);
    EXPECT_FALSE(translate(pixelSource("cbuffer Big : register(b14) { float4 y; };", "y"), "PSMain", "ps_4_0", &errors));
    EXPECT_NE(errors.find("b14"), std::string::npos) << errors;

    hlsl::clearCompileCache();
    auto first = translate(kShaders, "PSColor", "ps_4_0");
    EXPECT_EQ(first, translate(kShaders, "PSColor", "ps_4_0"));
    EXPECT_NE(first, translate(kShaders, "PSTexture", "ps_4_0"));
    EXPECT_NE(first, translate(std::string(kShaders) + "\n// edited\n", "PSColor", "ps_4_0"));
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
    EXPECT_EQ(pixelAt(read(), 32, 32), (Rgba{255, 0, 255, 255}));
}

}  // namespace
}  // namespace korvel::gpu::test
