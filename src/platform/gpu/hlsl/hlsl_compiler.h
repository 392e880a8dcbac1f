// Run-time HLSL compilation: HLSL source -> SPIR-V (shaderc) -> GLSL 4.50
// (SPIRV-Cross), with Direct3D register numbers mapped to the GL bindings of
// translated_shader.h and inter-stage variables matched by semantic.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/gpu/hlsl/translated_shader.h"

namespace korvel::gpu::hlsl {

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
