// HLSL translation: the bounds on what reaches the compiler, errors and the
// compile cache. (The effect-file contract tests cover reflection.)
#include <gtest/gtest.h>

#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::gpu {
namespace {

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
        {"operators above it", pixelSource("", repeat("x + ", 257) + "x"), "more than 256 operators"},
        {"index chain", pixelSource("static float a[1] = { 1 };", std::string("a").append(repeat("[0]", 257))),
         "operators"},
        {"control at the limit", "float4 PSMain() : SV_Target { float x = 0; " + elseIfs + " return x; }", nullptr},
        {"control above it", "float4 PSMain() : SV_Target { float x = 0; " + ifs + " return x; }", "more than 256 if"},
        {"brackets in comments",
         pixelSource("// " + std::string(100, '(') + "\n/* " + std::string(100, '[') + " */", "1"), nullptr},
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
        // The compiler's own refusals come back with its text.
        {"undefined name", "float4 PSMain() : SV_Target { return undefinedName; }", "test.hlsl"},
        {"undefined name", "float4 PSMain() : SV_Target { return undefinedName; }", "undefinedName"},
        {"register beyond the slots", pixelSource("cbuffer Big : register(b14) { float4 y; };", "y"), "b14"},
    };
    for (const Case& c : cases) {
        std::string errors;
        const bool compiled = hlsl::compile(c.source, "test.hlsl", "PSMain", "ps_4_0", errors) != nullptr;
        EXPECT_EQ(compiled, c.said == nullptr) << c.name << ": " << errors;
        EXPECT_TRUE(!c.said || errors.find(c.said) != std::string::npos) << c.name << ": " << errors;
    }
}

TEST(HlslTranslation, FailuresReturnTheCompilersTextAndSuccessesAreCached) {
    const std::string twoEntries =
        "float4 PSRed() : SV_Target { return float4(1, 0, 0, 1); }\n"
        "float4 PSBlue() : SV_Target { return float4(0, 0, 1, 1); }\n";
    std::string errors;
    EXPECT_FALSE(hlsl::compile(twoEntries, "test.hlsl", "PSRed", "cs_5_0", errors));
    EXPECT_NE(errors.find("cs_5_0"), std::string::npos);

    hlsl::clearCompileCache();
    const auto first = hlsl::compile(twoEntries, "test.hlsl", "PSRed", "ps_4_0", errors);
    EXPECT_EQ(first, hlsl::compile(twoEntries, "test.hlsl", "PSRed", "ps_4_0", errors));
    EXPECT_NE(first, hlsl::compile(twoEntries, "test.hlsl", "PSBlue", "ps_4_0", errors));
    EXPECT_NE(first, hlsl::compile(twoEntries + "\n// edited\n", "test.hlsl", "PSRed", "ps_4_0", errors));
}

}  // namespace
}  // namespace korvel::gpu
