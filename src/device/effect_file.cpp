#include "device/effect_file.h"

#include <cctype>
#include <cstdio>

#include "device/pipeline.h"
#include "platform/files.h"

namespace korvel::device {

namespace {
constexpr const char* kCaption = "Error";
constexpr const char* kMessage =
    "The FX file cannot be compiled.  Please run this executable from the directory that contains the FX file.";
}  // namespace

std::optional<std::string> readEffectFile(std::string& text) {
    switch (platform::readFileText(kEffectFileName, kMaxEffectFileBytes, text)) {
        case platform::FileRead::ok:
            return std::nullopt;
        case platform::FileRead::missing:
            return "cannot open the file";
        case platform::FileRead::notRegular:
            return "not a regular file";
        case platform::FileRead::tooLarge:
            return "larger than the " + std::to_string(kMaxEffectFileBytes) + " bytes an effect file may hold";
        case platform::FileRead::failed:
            break;
    }
    return "cannot read the file";
}

void reportCompileFailure(const std::string& compilerText) {
    if (!compilerText.empty()) {
        std::fputs(compilerText.c_str(), stderr);
        if (compilerText.back() != '\n') std::fputc('\n', stderr);
    }
    std::fprintf(stderr, "%s: %s\n", kCaption, kMessage);
    std::fflush(stderr);
}

// The check of a compiled entry point against its contract.
namespace {

using gpu::ScalarKind;
using gpu::ShaderInterface;

std::string registers(uint32_t mask) {
    std::string text;
    for (uint32_t slot = 0; slot < 32; ++slot)
        if (mask & (1u << slot)) text += (text.empty() ? "b" : ", b") + std::to_string(slot);
    return text.empty() ? "none" : text;
}

std::string variableName(const ShaderInterface::Variable& variable) {
    return variable.semantic + std::to_string(variable.semanticIndex);
}

const char* kindName(ScalarKind kind) {
    switch (kind) {
        case ScalarKind::Float:
            return "float";
        case ScalarKind::Int:
            return "int";
        case ScalarKind::UInt:
            return "uint";
    }
    return "?";
}

bool integerFormat(gpu::Format format) { return format == gpu::Format::R32_SInt || format == gpu::Format::R32_UInt; }

bool sameSemantic(const char* elementName, const std::string& upperName) {
    size_t i = 0;
    for (; elementName[i] != '\0'; ++i)
        if (i >= upperName.size() || std::toupper(static_cast<unsigned char>(elementName[i])) != upperName[i])
            return false;
    return i == upperName.size();
}

std::optional<std::string> constantBufferMismatch(const EntryContract& contract, const ShaderInterface& reflection) {
    uint32_t seen = 0;
    for (const ShaderInterface::ConstantBuffer& buffer : reflection.constantBuffers) {
        // The compiler gathers globals outside a cbuffer into one of its own.
        if (buffer.name == "$Global")
            return std::string("reads global variables outside a cbuffer (make them static or put them in one)");
        const std::string which = "constant buffer " + buffer.name + " at b" + std::to_string(buffer.slot);
        if (buffer.slot >= ConstantBufferCount || !(contract.constantBuffers & (1u << buffer.slot)))
            return which + " is not bound for this entry point (bound: " + registers(contract.constantBuffers) + ")";
        if (buffer.bytes > kConstantBufferBytes[buffer.slot])
            return which + " declares " + std::to_string(buffer.bytes) + " bytes; the library's b" +
                   std::to_string(buffer.slot) + " holds " + std::to_string(kConstantBufferBytes[buffer.slot]);
        if (seen & (1u << buffer.slot)) return "two constant buffers share b" + std::to_string(buffer.slot);
        seen |= 1u << buffer.slot;
    }
    return std::nullopt;
}

std::optional<std::string> resourceMismatch(const EntryContract& contract, const ShaderInterface& reflection) {
    if (reflection.storageResources > 0) return "uses a buffer or read-write resource; the library binds none";
    const uint32_t bound = contract.textured ? 1u : 0u;
    if (reflection.textureMask & ~bound)
        return contract.textured ? "reads a texture other than t0, the only one bound"
                                 : "reads a texture, but none is bound for this entry point";
    if (reflection.samplerMask & ~bound)
        return contract.textured ? "uses a sampler other than s0, the only one bound"
                                 : "uses a sampler, but none is bound for this entry point";
    return std::nullopt;
}

std::optional<std::string> outputMismatch(const ShaderInterface& reflection) {
    const auto& outputs = reflection.outputs;
    if (outputs.size() == 1 && outputs[0].semanticIndex == 0 && outputs[0].kind == ScalarKind::Float &&
        outputs[0].components == 4)
        return std::nullopt;
    std::string writes;
    for (const ShaderInterface::Variable& output : outputs)
        writes += (writes.empty() ? "" : ", ") + std::string(kindName(output.kind)) +
                  (output.components > 1 ? std::to_string(output.components) : "") + " to " + variableName(output);
    return "must write one float4 to SV_TARGET0 (writes " + (writes.empty() ? "nothing" : writes) + ")";
}

std::optional<ContractMismatch> inputMismatch(const EntryContract& contract, const ShaderInterface& reflection) {
    for (const ShaderInterface::Variable& input : reflection.inputs) {
        if (contract.elementCount == 0)
            return ContractMismatch{
                false, "reads vertex input " + variableName(input) + ", but its draws bind no vertex buffer"};
        const gpu::InputElement* match = nullptr;
        for (size_t i = 0; i < contract.elementCount && !match; ++i) {
            const gpu::InputElement& element = contract.elements[i];
            if (element.semanticIndex == input.semanticIndex && sameSemantic(element.semantic, input.semantic))
                match = &element;
        }
        if (!match) return ContractMismatch{true, "reads input " + variableName(input) + ", which its layout lacks"};
        if (integerFormat(match->format) != (input.kind != ScalarKind::Float))
            return ContractMismatch{true, "reads input " + variableName(input) + " as " + kindName(input.kind) +
                                              ", but its layout gives " +
                                              (integerFormat(match->format) ? "int" : "float")};
    }
    return std::nullopt;
}

}  // namespace

std::optional<ContractMismatch> checkEntryContract(const EntryContract& contract,
                                                   const gpu::ShaderInterface& reflection) {
    std::optional<std::string> message = constantBufferMismatch(contract, reflection);
    if (!message) message = resourceMismatch(contract, reflection);
    if (!message && contract.stage == gpu::ShaderStage::Pixel) message = outputMismatch(reflection);
    std::optional<ContractMismatch> mismatch;
    if (message)
        mismatch = ContractMismatch{false, *message};
    else if (contract.stage == gpu::ShaderStage::Vertex)
        mismatch = inputMismatch(contract, reflection);
    if (mismatch) mismatch->message = std::string(contract.name) + ": " + mismatch->message;
    return mismatch;
}

}  // namespace korvel::device
