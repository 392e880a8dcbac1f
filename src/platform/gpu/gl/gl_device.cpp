// The GL device: resource, shader and state creation, and the objects'
// construction and destruction.
#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/gl_context.h"
#include "platform/gpu/gl/gl_objects.h"
#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::gpu::gl {

// ---------------------------------------------------------------- resources

// Buffer, texture and view creation of the GL device. Descriptions that
// Direct3D rejects are rejected here too (null), so the backend behaves the
// same on bad input.
namespace {

uint32_t fullMipCount(uint32_t width, uint32_t height) {
    uint32_t levels = 1;
    for (uint32_t size = std::max(width, height); size > 1; size /= 2) ++levels;
    return levels;
}

bool validBufferDesc(const BufferDesc& desc, const void* initialData) {
    if (desc.byteWidth == 0 || desc.bindFlags == 0) return false;
    if (desc.usage == Usage::Immutable && !initialData) return false;
    if (desc.usage == Usage::Dynamic && !desc.cpuWrite) return false;
    if (desc.bindFlags & BindConstantBuffer) {
        // Constant buffers take no other binding and hold whole 16-byte registers.
        if (desc.bindFlags != BindConstantBuffer) return false;
        if (desc.byteWidth % 16 != 0 || desc.byteWidth > UniformRing::kMaxRange) return false;
    }
    return true;
}

// Uploads one mip level, repacking rows when the caller's pitch differs from
// what GL can take directly.
void uploadLevel(const GlTextureStorage& storage, uint32_t level, const SubresourceData& data) {
    const TextureFormat& format = storage.format;
    const uint32_t width = std::max(1u, storage.desc.width >> level);
    const uint32_t height = std::max(1u, storage.desc.height >> level);
    const uint32_t tightPitch = tightRowPitch(format, width);
    const uint32_t rows = rowCount(format, height);
    const uint32_t pitch = data.rowPitch ? data.rowPitch : tightPitch;
    std::vector<uint8_t> packed;
    const void* pixels = data.data;
    if (pitch != tightPitch) {
        packed.resize(size_t(tightPitch) * rows);
        for (uint32_t row = 0; row < rows; ++row)
            std::memcpy(packed.data() + size_t(row) * tightPitch,
                        static_cast<const uint8_t*>(data.data) + size_t(row) * pitch, tightPitch);
        pixels = packed.data();
    }
    if (format.compressed) {
        glCompressedTextureSubImage2D(storage.name, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(width),
                                      static_cast<GLsizei>(height), format.internalFormat,
                                      static_cast<GLsizei>(size_t(tightPitch) * rows), pixels);
    } else {
        glTextureSubImage2D(storage.name, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(width),
                            static_cast<GLsizei>(height), format.uploadFormat, format.uploadType, pixels);
    }
}

GlTextureStorage* storageOf(Texture2D& texture) { return static_cast<GlTexture&>(texture).storage.get(); }

}  // namespace

std::unique_ptr<Buffer> GlDevice::createBuffer(const BufferDesc& desc, const void* initialData) {
    if (!validBufferDesc(desc, initialData)) return nullptr;
    core_->makeCurrent();
    auto buffer = std::make_unique<GlBuffer>(core_, desc);
    if (buffer->isConstant()) {
        // Constant buffers live in the context's ring; this copy is what the
        // next draw pushes there.
        buffer->shadow.assign(desc.byteWidth, 0);
        if (initialData) std::memcpy(buffer->shadow.data(), initialData, desc.byteWidth);
        return buffer;
    }
    glCreateBuffers(1, &buffer->name);
    if (desc.usage == Usage::Dynamic) {
        // Mutable storage, so that a write-discard map can orphan it.
        glNamedBufferData(buffer->name, desc.byteWidth, initialData, GL_STREAM_DRAW);
    } else {
        GLbitfield flags = desc.usage == Usage::Default ? GL_DYNAMIC_STORAGE_BIT : 0;
        glNamedBufferStorage(buffer->name, desc.byteWidth, initialData, flags);
    }
    return buffer;
}

std::unique_ptr<Texture2D> GlDevice::createTexture2D(const Texture2DDesc& desc, const SubresourceData* initial) {
    const TextureFormat* format = textureFormat(desc.format);
    if (!format || desc.width == 0 || desc.height == 0) return nullptr;
    if (desc.width > core_->maxTextureSize() || desc.height > core_->maxTextureSize()) return nullptr;
    if (format->compressed && !core_->supportsS3tc()) return nullptr;
    const uint32_t maxLevels = fullMipCount(desc.width, desc.height);
    Texture2DDesc actual = desc;
    if (actual.mipLevels == 0) actual.mipLevels = maxLevels;  // 0 asks for the full chain
    if (actual.mipLevels > maxLevels) return nullptr;
    if (format->depth && (initial || (desc.bindFlags & (BindRenderTarget | BindShaderResource)))) return nullptr;
    if (!format->depth && (desc.bindFlags & BindDepthStencil)) return nullptr;
    if (format->compressed && (desc.bindFlags & BindRenderTarget)) return nullptr;
    if (desc.usage == Usage::Immutable && !initial) return nullptr;
    if (desc.usage == Usage::Dynamic) return nullptr;  // textures are written with updateTexture, never mapped
    if (initial)
        for (uint32_t level = 0; level < actual.mipLevels; ++level)
            if (!initial[level].data) return nullptr;

    core_->makeCurrent();
    auto storage = std::make_shared<GlTextureStorage>(core_, actual, *format);
    glCreateTextures(GL_TEXTURE_2D, 1, &storage->name);
    glTextureStorage2D(storage->name, static_cast<GLsizei>(actual.mipLevels), format->internalFormat,
                       static_cast<GLsizei>(desc.width), static_cast<GLsizei>(desc.height));
    if (initial) {
        // Row 0 of every level is its top row, as the caller gave it.
        for (uint32_t level = 0; level < actual.mipLevels; ++level) uploadLevel(*storage, level, initial[level]);
    }
    return std::make_unique<GlTexture>(std::move(storage));
}

std::unique_ptr<ShaderResourceView> GlDevice::createShaderResourceView(Texture2D& texture) {
    GlTextureStorage* storage = storageOf(texture);
    if (!(storage->desc.bindFlags & BindShaderResource)) return nullptr;
    return std::make_unique<GlShaderResourceView>(texture, static_cast<GlTexture&>(texture).storage);
}

std::unique_ptr<RenderTargetView> GlDevice::createRenderTargetView(Texture2D& texture) {
    GlTextureStorage* storage = storageOf(texture);
    if (!(storage->desc.bindFlags & BindRenderTarget)) return nullptr;
    return std::make_unique<GlRenderTargetView>(texture, static_cast<GlTexture&>(texture).storage);
}

std::unique_ptr<DepthStencilView> GlDevice::createDepthStencilView(Texture2D& texture) {
    GlTextureStorage* storage = storageOf(texture);
    if (!(storage->desc.bindFlags & BindDepthStencil)) return nullptr;
    return std::make_unique<GlDepthStencilView>(texture, static_cast<GlTexture&>(texture).storage);
}

// ---------------------------------------------------------------- shaders, input layouts and states

namespace {

GLenum shaderType(ShaderStage stage) {
    switch (stage) {
        case ShaderStage::Vertex:
            return GL_VERTEX_SHADER;
        case ShaderStage::Geometry:
            return GL_GEOMETRY_SHADER;
        case ShaderStage::Pixel:
            return GL_FRAGMENT_SHADER;
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
                                                    const char* entryPoint, const char* profile, std::string& errors) {
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

// ---------------------------------------------------------------- objects

GlBuffer::GlBuffer(std::shared_ptr<GlCore> core, const BufferDesc& desc) : core_(std::move(core)), desc_(desc) {}

GlBuffer::~GlBuffer() {
    core_->forgetBuffer(this, name);
    if (name) {
        if (mapped) glUnmapNamedBuffer(name);
        glDeleteBuffers(1, &name);
    }
}

GlTextureStorage::GlTextureStorage(std::shared_ptr<GlCore> core, const Texture2DDesc& desc, const TextureFormat& format)
    : core(std::move(core)), desc(desc), format(format) {}

GlTextureStorage::~GlTextureStorage() {
    core->makeCurrent();
    glDeleteTextures(1, &name);
}

GLuint createSampler(const SamplerDesc& desc) {
    GLuint sampler = 0;
    glCreateSamplers(1, &sampler);
    const bool linear = desc.filter == Filter::MinMagMipLinear;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(addressMode(desc.addressU)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(addressMode(desc.addressV)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(addressMode(desc.addressW)));
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, desc.mipLodBias);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, desc.minLod);
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, desc.maxLod);
    return sampler;
}

// ---------------------------------------------------------------- status

DeviceStatus GlDevice::status() {
    if (core_->lostStatus != DeviceStatus::Ok) return core_->lostStatus;
    core_->makeCurrent();
    switch (glGetGraphicsResetStatus()) {
        case GL_NO_ERROR:
            return DeviceStatus::Ok;
        case GL_GUILTY_CONTEXT_RESET:
            core_->lostStatus = DeviceStatus::Hung;
            break;
        case GL_INNOCENT_CONTEXT_RESET:
        case GL_UNKNOWN_CONTEXT_RESET:
            core_->lostStatus = DeviceStatus::Reset;
            break;
        default:
            core_->lostStatus = DeviceStatus::Removed;
            break;
    }
    return core_->lostStatus;
}

}  // namespace korvel::gpu::gl
