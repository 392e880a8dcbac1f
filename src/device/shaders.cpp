// InitDevice step 6: the 21 entry points of the effect file, compiled one by
// one in a fixed order, each with its own failure codes.
#include <string>

#include "device/current.h"
#include "device/effect_file.h"
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

struct LayoutElements {
    const InputElement* elements;
    size_t count;
};

template <size_t N>
constexpr LayoutElements elementsOf(const InputElement (&elements)[N]) {
    return {elements, N};
}

// One entry point: its stage, the object it fills, its failure codes and,
// for model vertex shaders, the input layout made against its code.
struct Entry {
    const char* name;
    ShaderStage stage;
    size_t index;  // into the pipeline array of that stage
    int compileCode;
    int createCode;
    int layoutCode;  // 0: no input layout
    LayoutElements elements;
};

constexpr LayoutElements kNone{nullptr, 0};

constexpr Entry kEntries[] = {
    {"VSsprite", ShaderStage::Vertex, VsSprite, -6, -7, 0, kNone},
    {"VSpoint", ShaderStage::Vertex, VsPoint, -8, -9, 0, kNone},
    {"VSline", ShaderStage::Vertex, VsLine, -10, -11, 0, kNone},
    {"VSparticle", ShaderStage::Vertex, VsParticle, -38, -39, 0, kNone},
    {"VSshade0", ShaderStage::Vertex, VsShade0, -12, -13, -14, elementsOf(kElements0)},
    {"VSshade0ph", ShaderStage::Vertex, VsShade0ph, -59, -60, -61, elementsOf(kElements0)},
    {"VSshade1", ShaderStage::Vertex, VsShade1, -46, -47, -48, elementsOf(kElements1)},
    {"VSshade1ph", ShaderStage::Vertex, VsShade1ph, -62, -63, -64, elementsOf(kElements1)},
    {"VSshade0ba", ShaderStage::Vertex, VsShade0ba, -50, -51, -52, elementsOf(kElements0ba)},
    {"VSshade0baph", ShaderStage::Vertex, VsShade0baph, -65, -66, -67, elementsOf(kElements0ba)},
    {"VSshade1ba", ShaderStage::Vertex, VsShade1ba, -53, -54, -55, elementsOf(kElements1ba)},
    {"VSshade1baph", ShaderStage::Vertex, VsShade1baph, -68, -69, -70, elementsOf(kElements1ba)},
    {"GS_PARTICLE", ShaderStage::Geometry, GsParticle, -40, -41, 0, kNone},
    {"GSshade0", ShaderStage::Geometry, GsShade0, -42, -43, 0, kNone},
    {"GSparticlehair", ShaderStage::Geometry, GsParticleHair, -72, -73, 0, kNone},
    {"GStoolpoint", ShaderStage::Geometry, GsToolPoint, -74, -75, 0, kNone},
    {"GStoolline", ShaderStage::Geometry, GsToolLine, -76, -77, 0, kNone},
    {"PS", ShaderStage::Pixel, PsDefault, -15, -16, 0, kNone},
    {"PSpoint", ShaderStage::Pixel, PsPoint, -17, -18, 0, kNone},
    {"PSddsalpha", ShaderStage::Pixel, PsDdsAlpha, -19, -20, 0, kNone},
    {"PSshade0", ShaderStage::Pixel, PsShade0, -19, -45, 0, kNone},  // shares -19 with "PSddsalpha"
};

const char* profileOf(ShaderStage stage) {
    switch (stage) {
        case ShaderStage::Vertex: return "vs_4_0";
        case ShaderStage::Geometry: return "gs_4_0";
        case ShaderStage::Pixel: return "ps_4_0";
    }
    return "";
}

// Creates the shader object (and layout) of one compiled entry point;
// returns 0 or the entry's code.
int createFromCode(gpu::Device& device, Pipeline& pipeline, const Entry& entry, const gpu::ShaderCode& code) {
    switch (entry.stage) {
        case ShaderStage::Vertex:
            pipeline.vertexShaders[entry.index] = device.createVertexShader(code);
            if (!pipeline.vertexShaders[entry.index]) return entry.createCode;
            if (entry.layoutCode != 0) {
                // Model vertex shaders start at VsShade0; layouts follow them one to one.
                const size_t layout = entry.index - VsShade0;
                pipeline.inputLayouts[layout] =
                    device.createInputLayout(entry.elements.elements, entry.elements.count, code);
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

    const std::optional<std::string> source = readEffectFile();
    if (!source) {
        reportCompileFailure(std::string(kEffectFileName) + ": cannot open the file");
        return kEntries[0].compileCode;
    }

    std::string errors;
    for (const Entry& entry : kEntries) {
        errors.clear();
        std::unique_ptr<gpu::ShaderCode> code =
            device->compileShader(*source, kEffectFileName, entry.name, profileOf(entry.stage), errors);
        if (!code) {
            reportCompileFailure(errors);
            return entry.compileCode;
        }
        // The compiled code is released when it goes out of scope, also on failure.
        if (const int result = createFromCode(*device, target, entry, *code); result != 0) return result;
    }
    return 0;
}

}  // namespace korvel::device
