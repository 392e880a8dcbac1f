// Shader, input-layout and state creation of the GL device.
#include <cstring>

#include "platform/gpu/gl/gl_context.h"
#include "platform/gpu/gl/gl_device_impl.h"
#include "platform/gpu/gl/gl_formats.h"
#include "platform/gpu/gl/gl_pipeline_objects.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"
#include "platform/gpu/hlsl/semantic.h"

namespace korvel::gpu::gl {

namespace {

GLenum shaderType(ShaderStage stage) {
    switch (stage) {
        case ShaderStage::Vertex: return GL_VERTEX_SHADER;
        case ShaderStage::Geometry: return GL_GEOMETRY_SHADER;
        case ShaderStage::Pixel: return GL_FRAGMENT_SHADER;
    }
    return GL_VERTEX_SHADER;
}

// Links the translated GLSL into a separable program; on failure appends the
// driver's log to errors and returns 0.
GLuint linkProgram(const hlsl::TranslatedShader& shader, std::string& errors) {
    const char* source = shader.glsl.c_str();
    GLuint program = glCreateShaderProgramv(shaderType(shader.stage), 1, &source);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked) return program;
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    errors += "the translated shader does not link: ";
    errors += log.c_str();
    errors += '\n';
    glDeleteProgram(program);
    return 0;
}

template <class Shader>
std::unique_ptr<Shader> createShader(const ShaderCode& code, ShaderStage stage) {
    const auto* gl = dynamic_cast<const GlShaderCode*>(&code);
    if (!gl || gl->stage() != stage) return nullptr;
    return std::make_unique<Shader>(*gl);
}

}  // namespace

std::unique_ptr<ShaderCode> GlDevice::compileShader(std::string_view source, std::string_view sourceName,
                                                    const char* entryPoint, const char* profile,
                                                    std::string& errors) {
    auto shader = hlsl::compile(source, sourceName, entryPoint, profile, errors);
    if (!shader) return nullptr;
    core_->makeCurrent();
    GLuint program = linkProgram(*shader, errors);
    if (!program) return nullptr;
    return std::make_unique<GlShaderCode>(std::move(shader), std::make_shared<GlProgram>(core_, program));
}

std::unique_ptr<VertexShader> GlDevice::createVertexShader(const ShaderCode& code) {
    return createShader<GlVertexShader>(code, ShaderStage::Vertex);
}

std::unique_ptr<GeometryShader> GlDevice::createGeometryShader(const ShaderCode& code) {
    return createShader<GlGeometryShader>(code, ShaderStage::Geometry);
}

std::unique_ptr<PixelShader> GlDevice::createPixelShader(const ShaderCode& code) {
    return createShader<GlPixelShader>(code, ShaderStage::Pixel);
}

std::unique_ptr<InputLayout> GlDevice::createInputLayout(const InputElement* elements, size_t count,
                                                         const ShaderCode& vertexShaderCode) {
    const auto* code = dynamic_cast<const GlShaderCode*>(&vertexShaderCode);
    if (!code || code->stage() != ShaderStage::Vertex) return nullptr;

    // Every input the shader reads must come from an element with its
    // semantic and index; elements the shader does not read are ignored.
    struct Attribute {
        const InputElement* element;
        const hlsl::VertexInput* input;
        AttributeFormat format;
    };
    std::vector<Attribute> attributes;
    for (const hlsl::VertexInput& input : code->shader->inputs) {
        const InputElement* match = nullptr;
        for (size_t i = 0; i < count && !match; ++i) {
            const InputElement& element = elements[i];
            if (element.semantic && element.semanticIndex == input.semanticIndex &&
                hlsl::upperSemanticName(element.semantic) == input.semantic)
                match = &element;
        }
        AttributeFormat format;
        if (!match || !attributeFormat(match->format, format) || match->inputSlot >= kVertexBufferSlots) return nullptr;
        attributes.push_back({match, &input, format});
    }

    core_->makeCurrent();
    GLuint vao = 0;
    glCreateVertexArrays(1, &vao);
    uint32_t slotMask = 0;
    for (const Attribute& attribute : attributes) {
        const GLuint location = attribute.input->location;
        glEnableVertexArrayAttrib(vao, location);
        if (attribute.format.integer)
            glVertexArrayAttribIFormat(vao, location, attribute.format.components, attribute.format.type,
                                       attribute.element->byteOffset);
        else
            glVertexArrayAttribFormat(vao, location, attribute.format.components, attribute.format.type, GL_FALSE,
                                      attribute.element->byteOffset);
        glVertexArrayAttribBinding(vao, location, attribute.element->inputSlot);
        slotMask |= 1u << attribute.element->inputSlot;
    }
    auto layout = std::make_unique<GlInputLayout>(core_, vao, slotMask);
    if (core_->context) core_->context->track(*layout);
    return layout;
}

std::unique_ptr<SamplerState> GlDevice::createSamplerState(const SamplerDesc& desc) {
    core_->makeCurrent();
    return std::make_unique<GlSamplerState>(core_, createSampler(desc));
}

std::unique_ptr<DepthStencilState> GlDevice::createDepthStencilState(const DepthStencilDesc& desc) {
    return std::make_unique<GlDepthStencilState>(core_, desc);
}

std::unique_ptr<BlendState> GlDevice::createBlendState(const BlendDesc& desc) {
    return std::make_unique<GlBlendState>(core_, desc);
}

std::unique_ptr<RasterizerState> GlDevice::createRasterizerState(const RasterizerDesc& desc) {
    return std::make_unique<GlRasterizerState>(core_, desc);
}

}  // namespace korvel::gpu::gl
