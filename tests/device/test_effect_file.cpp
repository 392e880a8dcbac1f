// The effect file at InitDevice: files that cannot be read, sources the
// compiler must not see, and entry points that break the library's contract
// each fail with their entry's code and one message naming the fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "Korvelv0.h"
#include "support/device.h"
#include "device/effect_file.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMessage =
    "Error: The FX file cannot be compiled.  Please run this executable from the directory that contains the FX "
    "file.";

std::string shippedEffect() {
    std::ifstream file("Korvelv0.fx");
    return {std::istreambuf_iterator<char>(file), {}};
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// makeFile makes (or not) the file at its path; said is part of the text
// before the standard message.
struct Case {
    const char* name;
    std::function<void(const fs::path&)> makeFile;
    int code;
    const char* said;
};

std::function<void(const fs::path&)> withText(std::string text) {
    return [text = std::move(text)](const fs::path& file) { std::ofstream(file, std::ios::binary) << text; };
}

// Each case runs InitDevice in a folder of its own; CleanupDevice after.
TEST(EffectFile, EachFaultFailsItsEntryWithOneMessageNamingIt) {
    const std::string shipped = shippedEffect();
    ASSERT_FALSE(shipped.empty());
    const Case cases[] = {
        {"missing", [](const fs::path&) {}, -6, "cannot open"},
        {"directory", [](const fs::path& file) { fs::create_directory(file); }, -6, "not a regular file"},
        {"too large", withText(shipped + std::string(256 * 1024, ' ')), -6, "larger than"},
        {"view moved to b9", withText(replaced(shipped, "register(b0)", "register(b9)")), -6,
         "VSsprite: constant buffer cbView at b9 is not bound for this entry point (bound: b0, b1, b2, b3)"},
        {"int3 colour", withText(replaced(shipped, "float4 PS(SpriteVertex", "int3 PS(SpriteVertex")), -15,
         "PS: must write one float4 to SV_TARGET0 (writes int3 to SV_TARGET0)"},
        {"entry renamed", withText(replaced(shipped, " PSshade0(", " PSshade0_renamed(")), -19,
         "entry point PSshade0 (ps_4_0) does not compile"},
    };
    const fs::path previous = fs::current_path();
    for (const Case& c : cases) {
        const fs::path folder = tempPath(std::string("effect-") + c.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        c.makeFile(folder / "Korvelv0.fx");
        fs::current_path(folder);
        ::testing::internal::CaptureStderr();
        const int code = InitDevice(nullptr);
        const std::string said = ::testing::internal::GetCapturedStderr();
        fs::current_path(previous);
        CleanupDevice();
        EXPECT_EQ(code, c.code) << c.name;
        const size_t message = said.find(kMessage);
        EXPECT_NE(message, std::string::npos) << c.name << ": " << said;
        EXPECT_EQ(said.find(kMessage, message + 1), std::string::npos) << c.name << ": one message";
        EXPECT_LT(said.find(c.said), message) << c.name << ": " << said;
    }
}

// The check itself, on small shaders against contracts written here.
TEST(EffectContract, EachMismatchIsNamed) {
    using gpu::ShaderStage;
    const gpu::InputElement layout[] = {{"POSITION", 0, gpu::Format::R32G32B32_Float, 0, 0},
                                        {"SHAPEKEYI", 0, gpu::Format::R32_SInt, 0, 12}};
    const device::EntryContract sprite{"VSsprite", ShaderStage::Vertex, 0b1111, false, nullptr, 0};
    const device::EntryContract model{"VSshade0", ShaderStage::Vertex, 0b11, false, layout, 2};
    const device::EntryContract textured{"PS", ShaderStage::Pixel, 0, true, nullptr, 0};
    const device::EntryContract plain{"PSpoint", ShaderStage::Pixel, 0, false, nullptr, 0};
    const std::string texture = "Texture2D T : register(t0); SamplerState S : register(s0);\n";
    const std::string pixel = "float4 main(float4 p : SV_POSITION) : SV_Target { return ";
    struct Case {
        const device::EntryContract& contract;
        std::string source;
        const char* said;
        bool inLayout;
    };
    const Case cases[] = {
        {sprite, "cbuffer C : register(b3) { float4 a[8]; }; float4 main() : SV_POSITION { return a[7]; }",
         "VSsprite: constant buffer C at b3 declares 128 bytes; the library's b3 holds 96", false},
        {sprite,
         "cbuffer A : register(b3) { float4 a; }; cbuffer B : register(b3) { float4 b; }; "
         "float4 main() : SV_POSITION { return a + b; }",
         "two constant buffers share b3", false},
        {sprite, "float4 main(float4 p : POSITION) : SV_POSITION { return p; }",
         "reads vertex input POSITION0, but its draws bind no vertex buffer", false},
        {model, "float4 main(float4 p : POSITION, float3 n : NORMAL) : SV_POSITION { return p + n.x; }",
         "VSshade0: reads input NORMAL0, which its layout lacks", true},
        {model, "float4 main(float4 p : POSITION, float k : SHAPEKEYI) : SV_POSITION { return p * k; }",
         "reads input SHAPEKEYI0 as float, but its layout gives int", true},
        {textured, "Texture2D T : register(t1); SamplerState S : register(s0);" + pixel + "T.Sample(S, p.xy); }",
         "PS: reads a texture other than t0", false},
        {textured, "Texture2D T : register(t0); SamplerState S : register(s1);" + pixel + "T.Sample(S, p.xy); }",
         "uses a sampler other than s0", false},
        {plain, texture + pixel + "T.Sample(S, p.xy); }", "PSpoint: reads a texture, but none is bound", false},
        {plain, "float4 G; " + pixel + "G; }", "reads global variables outside a cbuffer", false},
        {plain, "StructuredBuffer<float4> B : register(t0); " + pixel + "B[0]; }", "uses a buffer", false},
        {plain,
         "struct O { float4 a : SV_Target0; float4 b : SV_Target1; }; O main() { O o; o.a = 1; o.b = 0; "
         "return o; }",
         "(writes float4 to SV_TARGET0, float4 to SV_TARGET1)", false},
    };
    for (const Case& c : cases) {
        std::string errors;
        const char* profile = c.contract.stage == ShaderStage::Vertex ? "vs_4_0" : "ps_4_0";
        const auto shader = gpu::hlsl::compile(c.source, "contract.hlsl", "main", profile, errors);
        ASSERT_TRUE(shader) << c.source << "\n" << errors;
        const std::optional<device::ContractMismatch> mismatch =
            device::checkEntryContract(c.contract, shader->reflection);
        ASSERT_TRUE(mismatch) << c.source;
        EXPECT_NE(mismatch->message.find(c.said), std::string::npos) << mismatch->message;
        EXPECT_EQ(mismatch->inLayout, c.inLayout) << mismatch->message;
    }
}

}  // namespace
}  // namespace korvel::testing
