// Buffers, textures and views of the GL backend.
#pragma once

#include <memory>
#include <vector>

#include "platform/gpu/gl/gl_core.h"
#include "platform/gpu/gl/gl_formats.h"
#include "platform/gpu/gpu.h"

namespace korvel::gpu::gl {

class GlBuffer final : public Buffer {
public:
    GlBuffer(std::shared_ptr<GlCore> core, const BufferDesc& desc);
    ~GlBuffer() override;
    const BufferDesc& desc() const override { return desc_; }

    bool isConstant() const { return desc_.bindFlags & BindConstantBuffer; }
    // Copies the constant-buffer contents into a fresh ring range.
    void pushToRing() { ring = core_->ring().push(shadow.data(), shadow.size()); }

    GLuint name = 0;              // vertex and index buffers
    std::vector<uint8_t> shadow;  // constant buffers: the current contents
    UniformRing::Range ring;      // constant buffers: where they were last pushed
    void* mapped = nullptr;       // vertex and index buffers between mapDiscard and unmap

private:
    std::shared_ptr<GlCore> core_;
    BufferDesc desc_;
};

// The GL texture itself; views share it, as Direct3D views hold a reference
// to their resource.
struct GlTextureStorage {
    GlTextureStorage(std::shared_ptr<GlCore> core, const Texture2DDesc& desc, const TextureFormat& format);
    ~GlTextureStorage();
    GlTextureStorage(const GlTextureStorage&) = delete;
    GlTextureStorage& operator=(const GlTextureStorage&) = delete;

    std::shared_ptr<GlCore> core;
    Texture2DDesc desc;
    const TextureFormat& format;
    GLuint name = 0;
    std::vector<uint8_t> staging;  // dynamic textures: the mapped level 0
};

class GlTexture final : public Texture2D {
public:
    explicit GlTexture(std::shared_ptr<GlTextureStorage> storage) : storage(std::move(storage)) {}
    const Texture2DDesc& desc() const override { return storage->desc; }
    std::shared_ptr<GlTextureStorage> storage;
};

template <class Base>
class GlView final : public Base {
public:
    GlView(Texture2D& texture, std::shared_ptr<GlTextureStorage> storage)
        : storage(std::move(storage)), texture_(texture) {}
    ~GlView() override { storage->core->forget(this); }
    Texture2D& texture() const override { return texture_; }
    std::shared_ptr<GlTextureStorage> storage;

private:
    Texture2D& texture_;
};

using GlShaderResourceView = GlView<ShaderResourceView>;
using GlRenderTargetView = GlView<RenderTargetView>;
using GlDepthStencilView = GlView<DepthStencilView>;

}  // namespace korvel::gpu::gl
