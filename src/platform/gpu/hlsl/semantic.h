// Direct3D semantics: names compare case-insensitively and a trailing number
// is the semantic index ("TEXCOORD3" is TEXCOORD index 3, "COLOR" index 0).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel::gpu::hlsl {

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

}  // namespace korvel::gpu::hlsl
