#include "platform/gpu/hlsl/hlsl_compiler.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <process.h>
#include <windows.h>
#else
#include <pthread.h>
#endif
#include <shaderc/shaderc.h>
#include <spirv_cross_c.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <span>

#include "platform/gpu/hlsl/source_limits.h"

namespace korvel::gpu::hlsl {

namespace {

struct ShadercOptionsDeleter {
    void operator()(shaderc_compile_options* o) const { shaderc_compile_options_release(o); }
};
struct ShadercResultDeleter {
    void operator()(shaderc_compilation_result* r) const { shaderc_result_release(r); }
};
struct SpvcContextDeleter {
    void operator()(spvc_context_s* c) const { spvc_context_destroy(c); }
};

bool stageOfProfile(const char* profile, ShaderStage& stage, shaderc_shader_kind& kind) {
    if (std::strncmp(profile, "vs_", 3) == 0) {
        stage = ShaderStage::Vertex;
        kind = shaderc_vertex_shader;
    } else if (std::strncmp(profile, "gs_", 3) == 0) {
        stage = ShaderStage::Geometry;
        kind = shaderc_geometry_shader;
    } else if (std::strncmp(profile, "ps_", 3) == 0) {
        stage = ShaderStage::Pixel;
        kind = shaderc_fragment_shader;
    } else {
        return false;
    }
    return true;
}

shaderc_compiler_t sharedCompiler() {
    static shaderc_compiler_t compiler = shaderc_compiler_initialize();
    return compiler;
}

std::unique_ptr<shaderc_compile_options, ShadercOptionsDeleter> hlslOptions() {
    std::unique_ptr<shaderc_compile_options, ShadercOptionsDeleter> options(shaderc_compile_options_initialize());
    shaderc_compile_options_set_source_language(options.get(), shaderc_source_language_hlsl);
    shaderc_compile_options_set_target_env(options.get(), shaderc_target_env_opengl, shaderc_env_version_opengl_4_5);
    // Register numbers (bN, tN, sN) become binding numbers; cbuffer members
    // keep HLSL packing offsets; semantics are kept as decorations.
    shaderc_compile_options_set_hlsl_io_mapping(options.get(), true);
    shaderc_compile_options_set_hlsl_offsets(options.get(), true);
    shaderc_compile_options_set_auto_bind_uniforms(options.get(), true);
    shaderc_compile_options_set_auto_map_locations(options.get(), true);
    shaderc_compile_options_set_hlsl_functionality1(options.get(), true);
    return options;
}

// Number of locations a stage variable spans; a geometry-shader input's
// outermost array is its vertices, not its size.
uint32_t locationCount(spvc_compiler compiler, spvc_type_id typeId, bool perVertexArray) {
    spvc_type type = spvc_compiler_get_type_handle(compiler, typeId);
    uint32_t count = std::max(1u, spvc_type_get_columns(type));
    unsigned dimensions = spvc_type_get_num_array_dimensions(type);
    if (perVertexArray && dimensions > 0) --dimensions;  // the outermost dimension is listed last
    for (unsigned d = 0; d < dimensions; ++d) {
        if (spvc_type_array_dimension_is_literal(type, d)) count *= spvc_type_get_array_dimension(type, d);
    }
    return count;
}

class Translator {
public:
    Translator(spvc_compiler compiler, ShaderStage stage, TranslatedShader& out, std::string& errors)
        : compiler_(compiler), stage_(stage), out_(out), errors_(errors) {}

    bool run() {
        spvc_resources resources = nullptr;
        spvc_resources active = nullptr;
        spvc_set activeSet = nullptr;
        if (spvc_compiler_create_shader_resources(compiler_, &resources) != SPVC_SUCCESS ||
            spvc_compiler_get_active_interface_variables(compiler_, &activeSet) != SPVC_SUCCESS ||
            spvc_compiler_create_shader_resources_for_active_variables(compiler_, &active, activeSet) != SPVC_SUCCESS)
            return fail("reflection failed");
        // What the entry point uses, read before the register numbers are remapped.
        reflectResources(active);
        return mapConstantBuffers(resources) && mapTextures(resources) && mapInputs(resources) && mapOutputs(resources);
    }

private:
    std::span<const spvc_reflected_resource> list(spvc_resources resources, spvc_resource_type type) {
        const spvc_reflected_resource* items = nullptr;
        size_t count = 0;
        spvc_resources_get_resource_list_for_type(resources, type, &items, &count);
        return {items, count};
    }

    bool fail(const std::string& message) {
        errors_ += message;
        errors_ += '\n';
        return false;
    }

    unsigned binding(SpvId id) { return spvc_compiler_get_decoration(compiler_, id, SpvDecorationBinding); }

    static uint32_t bit(unsigned slot) { return slot < 32 ? 1u << slot : 0u; }

    void reflectResources(spvc_resources active) {
        ShaderInterface& reflection = out_.reflection;
        for (const spvc_reflected_resource& buffer : list(active, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
            size_t bytes = 0;
            spvc_compiler_get_declared_struct_size(
                compiler_, spvc_compiler_get_type_handle(compiler_, buffer.base_type_id), &bytes);
            reflection.constantBuffers.push_back({buffer.name, binding(buffer.id), static_cast<uint32_t>(bytes)});
        }
        for (const spvc_reflected_resource& image : list(active, SPVC_RESOURCE_TYPE_SEPARATE_IMAGE))
            reflection.textureMask |= bit(binding(image.id));
        for (const spvc_reflected_resource& sampler : list(active, SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS))
            reflection.samplerMask |= bit(binding(sampler.id));
        reflection.storageResources = static_cast<uint32_t>(list(active, SPVC_RESOURCE_TYPE_STORAGE_BUFFER).size() +
                                                            list(active, SPVC_RESOURCE_TYPE_STORAGE_IMAGE).size());
    }

    bool scalarKind(spvc_type type, ScalarKind& kind) {
        switch (spvc_type_get_basetype(type)) {
            case SPVC_BASETYPE_INT32:
                kind = ScalarKind::Int;
                return true;
            case SPVC_BASETYPE_UINT32:
                kind = ScalarKind::UInt;
                return true;
            case SPVC_BASETYPE_FP32:
                kind = ScalarKind::Float;
                return true;
            default:
                return false;
        }
    }

    bool mapConstantBuffers(spvc_resources resources) {
        for (const spvc_reflected_resource& buffer : list(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER)) {
            unsigned slot = binding(buffer.id);
            if (slot >= kConstantBufferSlots)
                return fail("constant buffer " + std::string(buffer.name) + " uses register b" + std::to_string(slot) +
                            "; at most b" + std::to_string(kConstantBufferSlots - 1) + " is supported");
            spvc_compiler_set_decoration(compiler_, buffer.id, SpvDecorationBinding, uniformBinding(stage_, slot));
        }
        return true;
    }

    bool mapTextures(spvc_resources resources) {
        std::map<SpvId, unsigned> textureSlot, samplerSlot;
        for (const spvc_reflected_resource& image : list(resources, SPVC_RESOURCE_TYPE_SEPARATE_IMAGE))
            textureSlot[image.id] = binding(image.id);
        for (const spvc_reflected_resource& sampler : list(resources, SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS))
            samplerSlot[sampler.id] = binding(sampler.id);
        out_.samplerOfTexture.fill(kNoSampler);
        if (textureSlot.empty()) return true;

        spvc_variable_id dummySampler = 0;
        spvc_compiler_build_dummy_sampler_for_combined_images(compiler_, &dummySampler);
        if (spvc_compiler_build_combined_image_samplers(compiler_) != SPVC_SUCCESS)
            return fail("cannot combine textures and samplers");
        const spvc_combined_image_sampler* combined = nullptr;
        size_t count = 0;
        spvc_compiler_get_combined_image_samplers(compiler_, &combined, &count);
        for (size_t i = 0; i < count; ++i) {
            unsigned texture = textureSlot[combined[i].image_id];
            if (texture >= kTextureSlots)
                return fail("texture register t" + std::to_string(texture) + " is out of range");
            if (combined[i].sampler_id != dummySampler) {
                unsigned sampler = samplerSlot[combined[i].sampler_id];
                if (sampler >= kSamplerSlots)
                    return fail("sampler register s" + std::to_string(sampler) + " is out of range");
                uint8_t& paired = out_.samplerOfTexture[texture];
                if (paired != kNoSampler && paired != sampler)
                    return fail("texture t" + std::to_string(texture) + " is sampled with two samplers");
                paired = static_cast<uint8_t>(sampler);
            }
            out_.textureMask |= 1u << texture;
            spvc_compiler_set_decoration(compiler_, combined[i].combined_id, SpvDecorationBinding,
                                         textureUnit(stage_, texture));
        }
        return true;
    }

    bool semanticOf(const spvc_reflected_resource& variable, Semantic& semantic) {
        const char* text = spvc_compiler_get_decoration_string(compiler_, variable.id, SpvDecorationUserSemantic);
        if (!text || !*text) return fail("stage variable " + std::string(variable.name) + " has no semantic");
        semantic = parseSemantic(text);
        return true;
    }

    bool assignVaryingLocation(const spvc_reflected_resource& variable, bool perVertexArray) {
        Semantic semantic;
        if (!semanticOf(variable, semantic)) return false;
        uint32_t location = 0;
        if (!varyingLocation(semantic, locationCount(compiler_, variable.type_id, perVertexArray), location))
            return fail("too many distinct semantics between shader stages");
        spvc_compiler_set_decoration(compiler_, variable.id, SpvDecorationLocation, location);
        return true;
    }

    bool mapInputs(spvc_resources resources) {
        for (const spvc_reflected_resource& input : list(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
            if (stage_ != ShaderStage::Vertex) {
                if (!assignVaryingLocation(input, stage_ == ShaderStage::Geometry)) return false;
                continue;
            }
            Semantic semantic;
            if (!semanticOf(input, semantic)) return false;
            spvc_type type = spvc_compiler_get_type_handle(compiler_, input.type_id);
            VertexInput vertexInput;
            vertexInput.semantic = semantic.name;
            vertexInput.semanticIndex = semantic.index;
            vertexInput.location = spvc_compiler_get_decoration(compiler_, input.id, SpvDecorationLocation);
            vertexInput.components = spvc_type_get_vector_size(type);
            if (!scalarKind(type, vertexInput.kind))
                return fail("vertex input " + std::string(input.name) + " has an unsupported type");
            if (spvc_type_get_columns(type) > 1 || spvc_type_get_num_array_dimensions(type) > 0)
                return fail("vertex input " + std::string(input.name) + " must be a scalar or vector");
            out_.reflection.inputs.push_back(
                {vertexInput.semantic, vertexInput.semanticIndex, vertexInput.kind, vertexInput.components});
            out_.inputs.push_back(std::move(vertexInput));
        }
        return true;
    }

    bool mapOutputs(spvc_resources resources) {
        for (const spvc_reflected_resource& output : list(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
            if (stage_ != ShaderStage::Pixel) {
                if (!assignVaryingLocation(output, false)) return false;
                continue;
            }
            Semantic semantic;
            if (!semanticOf(output, semantic)) return false;
            if (semantic.name != "SV_TARGET")
                return fail("pixel shader output " + std::string(output.name) + " must be SV_Target");
            spvc_type type = spvc_compiler_get_type_handle(compiler_, output.type_id);
            ShaderInterface::Variable variable{semantic.name, semantic.index, ScalarKind::Float,
                                               spvc_type_get_vector_size(type)};
            if (!scalarKind(type, variable.kind))
                return fail("pixel shader output " + std::string(output.name) + " has an unsupported type");
            out_.reflection.outputs.push_back(std::move(variable));
            spvc_compiler_set_decoration(compiler_, output.id, SpvDecorationLocation, semantic.index);
        }
        return true;
    }

    spvc_compiler compiler_;
    ShaderStage stage_;
    TranslatedShader& out_;
    std::string& errors_;
};

bool toGlsl(const uint32_t* words, size_t wordCount, TranslatedShader& out, std::string& errors) {
    spvc_context raw = nullptr;
    if (spvc_context_create(&raw) != SPVC_SUCCESS) {
        errors += "cannot create the SPIR-V translator\n";
        return false;
    }
    std::unique_ptr<spvc_context_s, SpvcContextDeleter> context(raw);
    spvc_parsed_ir ir = nullptr;
    spvc_compiler compiler = nullptr;
    spvc_compiler_options options = nullptr;
    if (spvc_context_parse_spirv(raw, words, wordCount, &ir) != SPVC_SUCCESS ||
        spvc_context_create_compiler(raw, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler) !=
            SPVC_SUCCESS ||
        spvc_compiler_create_compiler_options(compiler, &options) != SPVC_SUCCESS) {
        errors += spvc_context_get_last_error_string(raw);
        errors += '\n';
        return false;
    }
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 450);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
    // Separable programs need gl_PerVertex redeclared.
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SEPARATE_SHADER_OBJECTS, SPVC_TRUE);
    // SV_InstanceID counts from 0 whatever the start instance, as gl_InstanceID does.
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_SUPPORT_NONZERO_BASE_INSTANCE, SPVC_FALSE);
    // Clip space stays Direct3D's: the context sets an upper-left origin and a 0..1 depth range.
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FLIP_VERTEX_Y, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION, SPVC_FALSE);
    spvc_compiler_install_compiler_options(compiler, options);

    if (!Translator(compiler, out.stage, out, errors).run()) return false;
    const char* glsl = nullptr;
    if (spvc_compiler_compile(compiler, &glsl) != SPVC_SUCCESS) {
        errors += spvc_context_get_last_error_string(raw);
        errors += '\n';
        return false;
    }
    out.glsl = glsl;
    if (out.stage == ShaderStage::Geometry) {
        const SpvExecutionMode* modes = nullptr;
        size_t count = 0;
        if (spvc_compiler_get_execution_modes(compiler, &modes, &count) == SPVC_SUCCESS)
            out.emitsTriangles = std::find(modes, modes + count, SpvExecutionModeOutputTriangleStrip) != modes + count;
    }
    return true;
}

using ShadercResult = std::unique_ptr<shaderc_compilation_result, ShadercResultDeleter>;

using ShadercCall = decltype(&shaderc_compile_into_spv);

// One call of the process's one shaderc compiler: shaderc_compile_into_spv
// or shaderc_compile_into_preprocessed_text.
ShadercResult runShaderc(ShadercCall call, std::string_view source, std::string_view sourceName,
                         shaderc_shader_kind kind, const char* entryPoint) {
    static std::mutex compilerMutex;
    std::lock_guard lock(compilerMutex);
    auto options = hlslOptions();
    const std::string name(sourceName);
    return ShadercResult(
        call(sharedCompiler(), source.data(), source.size(), kind, name.c_str(), entryPoint, options.get()));
}

bool succeeded(const ShadercResult& result, std::string& errors) {
    if (result && shaderc_result_get_compilation_status(result.get()) == shaderc_compilation_status_success)
        return true;
    errors += result ? shaderc_result_get_error_message(result.get()) : "shader compiler unavailable\n";
    return false;
}

bool translateHere(std::string_view source, std::string_view sourceName, const char* entryPoint,
                   shaderc_shader_kind kind, TranslatedShader& out, std::string& errors) {
    if (!checkSource(source, sourceName, errors)) return false;
    const ShadercResult preprocessed =
        runShaderc(shaderc_compile_into_preprocessed_text, source, sourceName, kind, entryPoint);
    if (!succeeded(preprocessed, errors)) return false;
    const std::string_view text(shaderc_result_get_bytes(preprocessed.get()),
                                shaderc_result_get_length(preprocessed.get()));
    if (!checkPreprocessed(text, sourceName, errors)) return false;
    const ShadercResult spirv = runShaderc(shaderc_compile_into_spv, source, sourceName, kind, entryPoint);
    if (!succeeded(spirv, errors)) return false;
    const auto* words = reinterpret_cast<const uint32_t*>(shaderc_result_get_bytes(spirv.get()));
    return toGlsl(words, shaderc_result_get_length(spirv.get()) / 4, out, errors);
}

// The compiler's own thread stack. The source limits keep its recursion far
// below this: a source at every limit at once needs less than 1 MiB, and
// sanitizer builds use a few times more.
constexpr size_t kCompilerStackBytes = 16u << 20;

// Runs work on a thread with a stack of kCompilerStackBytes, whatever the
// caller's thread has; false when no such thread can start.
#ifdef _WIN32
unsigned __stdcall runWork(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}

bool runOnCompilerStack(const std::function<void()>& work) {
    const uintptr_t thread =
        _beginthreadex(nullptr, static_cast<unsigned>(kCompilerStackBytes), runWork,
                       const_cast<std::function<void()>*>(&work), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == 0) return false;
    WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE);
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
#else
bool runOnCompilerStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_t thread;
    const auto body = [](void* w) -> void* {
        (*static_cast<const std::function<void()>*>(w))();
        return nullptr;
    };
    const bool started = pthread_attr_setstacksize(&attributes, kCompilerStackBytes) == 0 &&
                         pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&work)) == 0;
    pthread_attr_destroy(&attributes);
    if (started) pthread_join(thread, nullptr);
    return started;
}
#endif

}  // namespace

std::shared_ptr<const TranslatedShader> translate(std::string_view source, std::string_view sourceName,
                                                  const char* entryPoint, const char* profile, std::string& errors) {
    auto out = std::make_shared<TranslatedShader>();
    shaderc_shader_kind kind{};
    if (!entryPoint) {
        errors += "no entry point given\n";
        return nullptr;
    }
    if (!profile || !stageOfProfile(profile, out->stage, kind)) {
        errors += "unsupported shader profile " + std::string(profile ? profile : "(null)") + "\n";
        return nullptr;
    }
    bool translated = false;
    const bool ran = runOnCompilerStack([&] {
        try {
            translated = translateHere(source, sourceName, entryPoint, kind, *out, errors);
        } catch (const std::exception&) {
            errors += "out of memory while compiling\n";
        }
    });
    if (!ran) errors += "cannot start the shader compiler's thread\n";
    return translated ? out : nullptr;
}

}  // namespace korvel::gpu::hlsl
