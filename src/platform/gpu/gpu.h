// The library's GPU interface: a small subset of a Direct3D 11 style device,
// immediate context and swap chain. Every drawing module talks to the GPU only
// through these classes, so a backend (OpenGL today, others later) is one
// implementation of them, and tests can put their own wrapper in between.
//
// Conventions kept by every backend:
//  - clip space x, y in [-1, 1], depth in [0, 1]; row 0 of every texture,
//    render target and read-back image is the top row;
//  - front faces are clockwise; the default rasterizer state culls back faces;
//  - constant-buffer register bN, texture tN and sampler sN of a stage are
//    slot N of that stage; each stage has its own slots, as in Direct3D
//    (slots per stage: 14 constant buffers, 16 textures, 16 samplers; 16
//    vertex-buffer slots);
//  - all bindings are context state; redundant changes are filtered and no
//    call allocates per draw.
// Objects are owned by whoever created them (std::unique_ptr); the context
// only borrows raw pointers. Objects may be destroyed in any order, also after
// the device and context: destroying a bound object unbinds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::gpu {

// ---------------------------------------------------------------- objects

class Object {
public:
    virtual ~Object() = default;
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
};

enum class Format : uint8_t {
    Unknown,
    R8G8B8A8_UNorm,
    B8G8R8A8_UNorm,
    D24_UNorm_S8_UInt,
    BC1_UNorm,
    BC2_UNorm,
    BC3_UNorm,
    R32_UInt,  // index buffers
    R16_UInt,  // index buffers
    R32_Float,
    R32_SInt,
    R32G32_Float,
    R32G32B32_Float,
    R32G32B32A32_Float,
};

enum class Usage : uint8_t { Default, Immutable, Dynamic };

enum BindFlags : uint32_t {
    BindVertexBuffer = 1u << 0,
    BindIndexBuffer = 1u << 1,
    BindConstantBuffer = 1u << 2,
    BindShaderResource = 1u << 3,
    BindRenderTarget = 1u << 5,
    BindDepthStencil = 1u << 6,
};

struct BufferDesc {
    uint32_t byteWidth = 0;
    Usage usage = Usage::Default;
    uint32_t bindFlags = 0;
    bool cpuWrite = false;  // Dynamic buffers are written with map(WriteDiscard)
};

class Buffer : public Object {
public:
    virtual const BufferDesc& desc() const = 0;
};

struct Texture2DDesc {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t mipLevels = 1;
    Format format = Format::R8G8B8A8_UNorm;
    Usage usage = Usage::Default;
    uint32_t bindFlags = 0;
    bool cpuWrite = false;
};

// Initial contents of one mip level; rowPitch is the byte distance between
// rows (for block-compressed formats: between rows of 4x4 blocks).
struct SubresourceData {
    const void* data = nullptr;
    uint32_t rowPitch = 0;
};

class Texture2D : public Object {
public:
    virtual const Texture2DDesc& desc() const = 0;
};

// Views keep their texture's GPU storage alive, but texture() may be called
// only while the Texture2D object exists.
class ShaderResourceView : public Object {
public:
    virtual Texture2D& texture() const = 0;
};
class RenderTargetView : public Object {
public:
    virtual Texture2D& texture() const = 0;
};
class DepthStencilView : public Object {
public:
    virtual Texture2D& texture() const = 0;
};

enum class ShaderStage : uint8_t { Vertex, Geometry, Pixel };

enum class ScalarKind : uint8_t { Float, Int, UInt };

// What one compiled entry point reads and writes, as reflection finds it:
// only what the entry point uses, not everything its source declares.
struct ShaderInterface {
    struct ConstantBuffer {
        std::string name;
        uint32_t slot = 0;   // register bN
        uint32_t bytes = 0;  // declared size
    };
    // A vertex input or a pixel output; semantic in upper case, its
    // trailing number split off as the index.
    struct Variable {
        std::string semantic;
        uint32_t semanticIndex = 0;
        ScalarKind kind = ScalarKind::Float;
        uint32_t components = 4;
    };
    std::vector<ConstantBuffer> constantBuffers;
    uint32_t textureMask = 0;       // bit N: texture tN is read
    uint32_t samplerMask = 0;       // bit N: sampler sN is used
    uint32_t storageResources = 0;  // structured, byte-address and read-write resources used
    std::vector<Variable> inputs;   // vertex shaders: inputs from vertex buffers (no system values)
    std::vector<Variable> outputs;  // pixel shaders: render-target outputs
};

// Compiled shader code as the backend understands it (the output of
// Device::compileShader).
class ShaderCode : public Object {
public:
    virtual ShaderStage stage() const = 0;
    // Null when the backend cannot reflect its code.
    virtual const ShaderInterface* reflection() const { return nullptr; }
};

class VertexShader : public Object {};
class GeometryShader : public Object {};
class PixelShader : public Object {};

struct InputElement {
    const char* semantic = nullptr;
    uint32_t semanticIndex = 0;
    Format format = Format::Unknown;
    uint32_t inputSlot = 0;
    uint32_t byteOffset = 0;
};
class InputLayout : public Object {};

enum class Filter : uint8_t { MinMagMipLinear, MinMagMipPoint };
enum class AddressMode : uint8_t { Wrap, Clamp };
enum class Comparison : uint8_t { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };

struct SamplerDesc {
    Filter filter = Filter::MinMagMipLinear;
    AddressMode addressU = AddressMode::Wrap;
    AddressMode addressV = AddressMode::Wrap;
    AddressMode addressW = AddressMode::Wrap;
    float mipLodBias = 0.0f;
    float minLod = 0.0f;
    float maxLod = 3.402823466e+38f;
};
class SamplerState : public Object {};

struct DepthStencilDesc {
    bool depthEnable = true;
    bool depthWrite = true;
    Comparison depthFunc = Comparison::Less;
    bool stencilEnable = false;
};
class DepthStencilState : public Object {};

enum class Blend : uint8_t { Zero, One, SrcAlpha, InvSrcAlpha, BlendFactor, InvBlendFactor };
enum class BlendOp : uint8_t { Add, Subtract, RevSubtract, Min, Max };

struct BlendDesc {
    bool blendEnable = true;
    Blend srcBlend = Blend::One;
    Blend destBlend = Blend::Zero;
    BlendOp blendOp = BlendOp::Add;
    Blend srcBlendAlpha = Blend::One;
    Blend destBlendAlpha = Blend::Zero;
    BlendOp blendOpAlpha = BlendOp::Add;
    uint8_t writeMask = 0x0F;
};
class BlendState : public Object {};

enum class FillMode : uint8_t { Solid, Wireframe };
enum class CullMode : uint8_t { None, Front, Back };

struct RasterizerDesc {
    FillMode fillMode = FillMode::Solid;
    CullMode cullMode = CullMode::Back;
    bool frontCounterClockwise = false;
    bool depthClipEnable = true;
    bool antialiasedLineEnable = false;
};
class RasterizerState : public Object {};

// ---------------------------------------------------------------- context

enum class Topology : uint8_t { Undefined, PointList, LineList, LineStrip, TriangleList, TriangleStrip };

struct Viewport {
    float topLeftX = 0, topLeftY = 0, width = 0, height = 0, minDepth = 0, maxDepth = 1;
    bool operator==(const Viewport&) const = default;
};

struct MappedSubresource {
    void* data = nullptr;
    uint32_t rowPitch = 0;
};

// Pixels read back from a render target: tightly packed RGBA8, top row first.
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

class Context {
public:
    virtual ~Context() = default;

    // input assembler
    virtual void iaSetInputLayout(InputLayout* layout) = 0;
    virtual void iaSetVertexBuffer(uint32_t slot, Buffer* buffer, uint32_t stride, uint32_t offset) = 0;
    virtual void iaSetIndexBuffer(Buffer* buffer, Format format, uint32_t offset) = 0;
    virtual void iaSetPrimitiveTopology(Topology topology) = 0;

    // shader stages
    virtual void vsSetShader(VertexShader* shader) = 0;
    virtual void gsSetShader(GeometryShader* shader) = 0;
    virtual void psSetShader(PixelShader* shader) = 0;
    virtual void setConstantBuffer(ShaderStage stage, uint32_t slot, Buffer* buffer) = 0;
    virtual void setShaderResource(ShaderStage stage, uint32_t slot, ShaderResourceView* view) = 0;
    virtual void setSampler(ShaderStage stage, uint32_t slot, SamplerState* sampler) = 0;

    // rasterizer and output merger; a null state means the default state
    virtual void rsSetState(RasterizerState* state) = 0;
    virtual void rsSetViewport(const Viewport& viewport) = 0;
    virtual void omSetBlendState(BlendState* state, const float factor[4], uint32_t sampleMask) = 0;
    virtual void omSetDepthStencilState(DepthStencilState* state, uint32_t stencilRef) = 0;
    virtual void omSetRenderTargets(RenderTargetView* target, DepthStencilView* depth) = 0;

    // resources
    virtual void updateSubresource(Buffer& buffer, const void* data, size_t bytes) = 0;
    // Default-usage textures: replace a rectangle of mip 0 (RGBA8 / BGRA8 rows).
    virtual void updateTexture(Texture2D& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                               const void* data, uint32_t rowPitch) = 0;
    // Dynamic buffers only, write-discard: the whole previous content is lost.
    virtual bool mapDiscard(Buffer& buffer, MappedSubresource& out) = 0;
    virtual void unmap(Buffer& buffer) = 0;

    // draws
    virtual void draw(uint32_t vertexCount, uint32_t startVertex) = 0;
    virtual void drawInstanced(uint32_t vertexCountPerInstance, uint32_t instanceCount, uint32_t startVertex,
                               uint32_t startInstance) = 0;
    virtual void drawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) = 0;
    virtual void drawIndexedInstanced(uint32_t indexCountPerInstance, uint32_t instanceCount, uint32_t startIndex,
                                      int32_t baseVertex, uint32_t startInstance) = 0;

    virtual void clearRenderTargetView(RenderTargetView& target, const float rgba[4]) = 0;
    // Sets every depth value; the stencil, which no state reads or writes
    // (the stencil test always passes and keeps), need not be kept.
    virtual void clearDepthStencilView(DepthStencilView& depth, float value) = 0;
    // Unbind everything and return every state to its default.
    virtual void clearState() = 0;

    // Read mip 0 of a render target's texture (for captures).
    virtual bool readPixels(RenderTargetView& target, Image& out) = 0;
};

// ---------------------------------------------------------------- device

enum class DeviceStatus : uint8_t { Ok, Hung, Reset, Removed };

class Device {
public:
    virtual ~Device() = default;

    virtual std::unique_ptr<Buffer> createBuffer(const BufferDesc& desc, const void* initialData) = 0;
    // initial: one entry per mip level, or null for uninitialised contents.
    virtual std::unique_ptr<Texture2D> createTexture2D(const Texture2DDesc& desc, const SubresourceData* initial) = 0;
    virtual std::unique_ptr<ShaderResourceView> createShaderResourceView(Texture2D& texture) = 0;
    virtual std::unique_ptr<RenderTargetView> createRenderTargetView(Texture2D& texture) = 0;
    virtual std::unique_ptr<DepthStencilView> createDepthStencilView(Texture2D& texture) = 0;

    // Compiles one entry point of an HLSL source; profile is "vs_4_0",
    // "gs_4_0" or "ps_4_0". On failure returns null and fills errors.
    virtual std::unique_ptr<ShaderCode> compileShader(std::string_view source, std::string_view sourceName,
                                                      const char* entryPoint, const char* profile,
                                                      std::string& errors) = 0;
    virtual std::unique_ptr<VertexShader> createVertexShader(const ShaderCode& code) = 0;
    virtual std::unique_ptr<GeometryShader> createGeometryShader(const ShaderCode& code) = 0;
    virtual std::unique_ptr<PixelShader> createPixelShader(const ShaderCode& code) = 0;
    // Fails (null) when the vertex shader reads a semantic the elements lack.
    virtual std::unique_ptr<InputLayout> createInputLayout(const InputElement* elements, size_t count,
                                                           const ShaderCode& vertexShaderCode) = 0;

    virtual std::unique_ptr<SamplerState> createSamplerState(const SamplerDesc& desc) = 0;
    virtual std::unique_ptr<DepthStencilState> createDepthStencilState(const DepthStencilDesc& desc) = 0;
    virtual std::unique_ptr<BlendState> createBlendState(const BlendDesc& desc) = 0;
    virtual std::unique_ptr<RasterizerState> createRasterizerState(const RasterizerDesc& desc) = 0;

    virtual DeviceStatus status() = 0;

    // The largest width and height of a 2D texture; 16384 unless the
    // backend knows its own limit.
    virtual uint32_t maxTextureSize() const { return 16384; }
};

class SwapChain {
public:
    virtual ~SwapChain() = default;
    // The back buffer (owned by the swap chain): RGBA8, the swap chain's size.
    virtual Texture2D* backBuffer() = 0;
    virtual void present() = 0;
};

enum class DriverType : uint8_t { Hardware, Software };

struct SwapChainDesc {
    uint32_t width = 800;
    uint32_t height = 600;
    // Platform window: on Linux an X11 Window id; null for a headless device.
    void* window = nullptr;
};

// What a backend's creation function hands back.
struct DeviceBundle {
    std::unique_ptr<Device> device;
    std::unique_ptr<Context> context;
    std::unique_ptr<SwapChain> swapChain;
    uint32_t featureLevel = 0;  // 0xB000 for a Direct3D 11.0 class device
};

}  // namespace korvel::gpu
