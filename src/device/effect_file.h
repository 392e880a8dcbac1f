// The effect source file "Korvelv0.fx", read from the working directory, and
// what the library binds for the draws of each of its entry points, with the
// check of a compiled entry point against it, so that an effect file that
// reads constants from another register, textures from another slot or
// writes another colour type fails InitDevice instead of drawing wrongly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/gpu/gpu.h"

namespace korvel::device {

inline constexpr const char* kEffectFileName = "Korvelv0.fx";

// The largest effect file read (the shader compiler takes no more).
inline constexpr uint64_t kMaxEffectFileBytes = 256 * 1024;

// Reads the file into text; returns why it cannot be read, or nothing. Only
// a regular file of at most kMaxEffectFileBytes is read, without blocking.
std::optional<std::string> readEffectFile(std::string& text);

// A library must never block on a dialog: the compiler's text (if any) and
// then the message "Error: The FX file cannot be compiled. ..." go to stderr.
void reportCompileFailure(const std::string& compilerText);

struct EntryContract {
    const char* name;
    gpu::ShaderStage stage;
    uint32_t constantBuffers;  // bit N: register bN holds the library's buffer at this entry point's draws
    bool textured;             // texture t0 and sampler s0 are bound at its draws
    // Model vertex shaders: the input layout their inputs must come from.
    const gpu::InputElement* elements;
    size_t elementCount;
};

struct ContractMismatch {
    bool inLayout;  // the vertex inputs disagree with the input layout
    std::string message;
};

// Nothing when the entry point keeps to its contract: it reads only
// constant buffers bound at its draws, none larger than the library's
// buffer and one per register, and no globals outside them; no buffer or
// read-write resource; textures and samplers only at slot 0 and
// only where its draws bind them; a pixel shader writes one float4 to
// SV_Target0; a vertex shader reads inputs only from its input layout,
// integer inputs from integer elements and float inputs from float ones.
std::optional<ContractMismatch> checkEntryContract(const EntryContract& contract,
                                                   const gpu::ShaderInterface& reflection);

}  // namespace korvel::device
