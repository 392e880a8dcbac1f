// InitDevice step 6: the 21 entry points of the effect file, compiled one by
// one in a fixed order, each with its own failure codes.
#include <initializer_list>
#include <string>

#include "device/effect_file.h"
#include "device/lifecycle.h"
#include "device/pipeline.h"

namespace korvel::device {
namespace {

using gpu::Format;
using gpu::InputElement;
using gpu::ShaderStage;

constexpr InputElement kElements0[] = {
    {"POSITION", 0, Format::R32G32B32_Float, kInputSlot0, 0},
    {"TEXCOORD", 0, Format::R32G32_Float, kInputSlot0, 12},
    {"SHAPEKEYI", 0, Format::R32_SInt, kInputSlot0, 20},
};
constexpr InputElement kElements1[] = {
    {"POSITION", 0, Format::R32G32B32_Float, kInputSlot1, 0},
    {"TEXCOORD", 0, Format::R32G32_Float, kInputSlot1, 12},
    {"NORMAL", 0, Format::R32G32B32_Float, kInputSlot1, 20},
    {"SHAPEKEYI", 0, Format::R32_SInt, kInputSlot1, 32},
};
constexpr InputElement kElements0ba[] = {
    {"POSITION", 0, Format::R32G32B32_Float, kInputSlot0ba, 0},
    {"TEXCOORD", 0, Format::R32G32_Float, kInputSlot0ba, 12},
    {"SHAPEKEYI", 0, Format::R32_SInt, kInputSlot0ba, 20},
    {"JOINTNO", 0, Format::R32_SInt, kInputSlot0ba, 24},
    {"WEIGHT", 0, Format::R32_Float, kInputSlot0ba, 28},
    {"JOINTNO", 1, Format::R32_SInt, kInputSlot0ba, 32},
    {"WEIGHT", 1, Format::R32_Float, kInputSlot0ba, 36},
};
constexpr InputElement kElements1ba[] = {
    {"POSITION", 0, Format::R32G32B32_Float, kInputSlot1ba, 0},
    {"TEXCOORD", 0, Format::R32G32_Float, kInputSlot1ba, 12},
    {"NORMAL", 0, Format::R32G32B32_Float, kInputSlot1ba, 20},
    {"SHAPEKEYI", 0, Format::R32_SInt, kInputSlot1ba, 32},
    {"JOINTNO", 0, Format::R32_SInt, kInputSlot1ba, 36},
    {"WEIGHT", 0, Format::R32_Float, kInputSlot1ba, 40},
    {"JOINTNO", 1, Format::R32_SInt, kInputSlot1ba, 44},
    {"WEIGHT", 1, Format::R32_Float, kInputSlot1ba, 48},
};

constexpr uint32_t registers(std::initializer_list<ConstantBufferRegister> list) {
    uint32_t mask = 0;
    for (ConstantBufferRegister reg : list) mask |= 1u << reg;
    return mask;
}

// What each entry point's draws bind: the camera keeps b0 and b1 bound in
// the vertex and geometry stages; each draw binds its own buffers.
constexpr uint32_t kCamera = registers({CbView, CbProjection});
constexpr uint32_t kSpriteVs = kCamera | registers({CbWorld, CbSprite});
constexpr uint32_t kParticleVs = kCamera | registers({CbWorld, CbParticle});
constexpr uint32_t kModelVs = kCamera | registers({CbWorld, CbJointPalette, CbShapekeyFlag, CbShapekeyOffsets});
constexpr uint32_t kMaterialGs = kCamera | registers({CbMaterial});
constexpr uint32_t kHairGs = kMaterialGs | registers({CbParticleHair});

// One entry point: its contract, the object it fills, its failure codes and,
// for model vertex shaders, the input layout made against its code.
struct Entry {
    EntryContract contract;
    size_t index;  // into the pipeline array of that stage
    int compileCode;
    int createCode;
    int layoutCode;  // 0: no input layout
};

constexpr Entry vertex(const char* name, size_t index, uint32_t buffers, int compileCode, int createCode) {
    return {{name, ShaderStage::Vertex, buffers, false, nullptr, 0}, index, compileCode, createCode, 0};
}
template <size_t N>
constexpr Entry model(const char* name, size_t index, const InputElement (&elements)[N], int compileCode,
                      int createCode, int layoutCode) {
    return {{name, ShaderStage::Vertex, kModelVs, false, elements, N}, index, compileCode, createCode, layoutCode};
}
constexpr Entry geometry(const char* name, size_t index, uint32_t buffers, bool textured, int compileCode,
                         int createCode) {
    return {{name, ShaderStage::Geometry, buffers, textured, nullptr, 0}, index, compileCode, createCode, 0};
}
constexpr Entry pixel(const char* name, size_t index, uint32_t buffers, bool textured, int compileCode,
                      int createCode) {
    return {{name, ShaderStage::Pixel, buffers, textured, nullptr, 0}, index, compileCode, createCode, 0};
}

constexpr Entry kEntries[] = {
    vertex("VSsprite", VsSprite, kSpriteVs, -6, -7),
    vertex("VSpoint", VsPoint, kCamera | registers({CbPoint}), -8, -9),
    vertex("VSline", VsLine, kCamera | registers({CbLine}), -10, -11),
    vertex("VSparticle", VsParticle, kParticleVs, -38, -39),
    model("VSshade0", VsShade0, kElements0, -12, -13, -14),
    model("VSshade0ph", VsShade0ph, kElements0, -59, -60, -61),
    model("VSshade1", VsShade1, kElements1, -46, -47, -48),
    model("VSshade1ph", VsShade1ph, kElements1, -62, -63, -64),
    model("VSshade0ba", VsShade0ba, kElements0ba, -50, -51, -52),
    model("VSshade0baph", VsShade0baph, kElements0ba, -65, -66, -67),
    model("VSshade1ba", VsShade1ba, kElements1ba, -53, -54, -55),
    model("VSshade1baph", VsShade1baph, kElements1ba, -68, -69, -70),
    geometry("GS_PARTICLE", GsParticle, kCamera | registers({CbParticle}), false, -40, -41),
    geometry("GSshade0", GsShade0, kCamera, false, -42, -43),
    geometry("GSparticlehair", GsParticleHair, kHairGs, true, -72, -73),
    geometry("GStoolpoint", GsToolPoint, kMaterialGs, false, -74, -75),
    geometry("GStoolline", GsToolLine, kMaterialGs, false, -76, -77),
    pixel("PS", PsDefault, 0, true, -15, -16),
    pixel("PSpoint", PsPoint, 0, false, -17, -18),
    pixel("PSddsalpha", PsDdsAlpha, 0, true, -19, -20),
    pixel("PSshade0", PsShade0, registers({CbMaterial}), true, -19, -45),  // shares -19 with "PSddsalpha"
};

const char* profileOf(ShaderStage stage) {
    switch (stage) {
        case ShaderStage::Vertex:
            return "vs_4_0";
        case ShaderStage::Geometry:
            return "gs_4_0";
        case ShaderStage::Pixel:
            return "ps_4_0";
    }
    return "";
}

// Creates the shader object (and layout) of one compiled entry point;
// returns 0 or the entry's code.
int createFromCode(gpu::Device& device, Pipeline& pipeline, const Entry& entry, const gpu::ShaderCode& code) {
    switch (entry.contract.stage) {
        case ShaderStage::Vertex:
            pipeline.vertexShaders[entry.index] = device.createVertexShader(code);
            if (!pipeline.vertexShaders[entry.index]) return entry.createCode;
            if (entry.layoutCode != 0) {
                // Model vertex shaders start at VsShade0; layouts follow them one to one.
                const size_t layout = entry.index - VsShade0;
                pipeline.inputLayouts[layout] =
                    device.createInputLayout(entry.contract.elements, entry.contract.elementCount, code);
                if (!pipeline.inputLayouts[layout]) return entry.layoutCode;
            }
            return 0;
        case ShaderStage::Geometry:
            pipeline.geometryShaders[entry.index] = device.createGeometryShader(code);
            return pipeline.geometryShaders[entry.index] ? 0 : entry.createCode;
        case ShaderStage::Pixel:
            pipeline.pixelShaders[entry.index] = device.createPixelShader(code);
            return pipeline.pixelShaders[entry.index] ? 0 : entry.createCode;
    }
    return entry.createCode;
}

}  // namespace

int createShaders() {
    gpu::Device* device = currentDevice();
    if (!device) return kEntries[0].compileCode;
    Pipeline& target = pipeline();

    std::string source;
    if (const std::optional<std::string> problem = readEffectFile(source)) {
        reportCompileFailure(std::string(kEffectFileName) + ": " + *problem);
        return kEntries[0].compileCode;
    }

    std::string errors;
    for (const Entry& entry : kEntries) {
        errors.clear();
        const EntryContract& contract = entry.contract;
        std::unique_ptr<gpu::ShaderCode> code =
            device->compileShader(source, kEffectFileName, contract.name, profileOf(contract.stage), errors);
        if (!code) {
            reportCompileFailure(std::string(kEffectFileName) + ": entry point " + contract.name + " (" +
                                 profileOf(contract.stage) + ") does not compile:\n" + errors);
            return entry.compileCode;
        }
        if (const gpu::ShaderInterface* reflection = code->reflection()) {
            if (const std::optional<ContractMismatch> mismatch = checkEntryContract(contract, *reflection)) {
                reportCompileFailure(std::string(kEffectFileName) + ": " + mismatch->message);
                return mismatch->inLayout ? entry.layoutCode : entry.compileCode;
            }
        }
        // The compiled code is released when it goes out of scope, also on failure.
        if (const int result = createFromCode(*device, target, entry, *code); result != 0) return result;
    }
    return 0;
}

}  // namespace korvel::device
