// Buffer, texture and view creation of the GL device. Descriptions that
// Direct3D rejects are rejected here too (null), so the backend behaves the
// same on bad input.
#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/gl_device_impl.h"

namespace korvel::gpu::gl {

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
            std::memcpy(packed.data() + size_t(row) * tightPitch, static_cast<const uint8_t*>(data.data) + size_t(row) * pitch,
                        tightPitch);
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
    if (desc.usage == Usage::Dynamic && (!desc.cpuWrite || actual.mipLevels != 1 || (desc.bindFlags & ~BindShaderResource)))
        return nullptr;
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
    if (desc.usage == Usage::Dynamic)
        storage->staging.assign(size_t(tightRowPitch(*format, desc.width)) * rowCount(*format, desc.height), 0);
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

}  // namespace korvel::gpu::gl
