// The instanced twin of "VSsprite": the same arithmetic on the same corner
// rows, read from sprite number SV_InstanceID of an array instead of from
// b3, so that consecutive sprites of one texture and blend mode go out as
// one draw with the pixels they would have drawn one by one.
//
// The twin is compiled from the effect source itself with its text appended,
// so it sees the host's World, View, Projection and SpriteVertex exactly as
// "VSsprite" does. It is used only while "VSsprite" and its b3 declaration
// are the library's own text: a host that edits either keeps its own sprite
// shader, drawn one sprite at a time.
#include <algorithm>
#include <string>
#include <string_view>

#include "device/effect_file.h"
#include "device/pipeline.h"

namespace korvel::device {
namespace {

constexpr std::string_view kLibrarySpriteCorners = R"(cbuffer cbSprite : register(b3)
{
    float4 SpriteX;         //  0: x of corners 0..3
    float4 SpriteY;         // 16: y of corners 0..3
    float4 SpriteZ;         // 32: z of corners 0..3
    float4 SpriteU;         // 48: u of corners 0..3
    float4 SpriteV;         // 64: v of corners 0..3
    int    SpriteSpace;     // 80: 0 = corners in clip space, 1 = in world space
};)";

constexpr std::string_view kLibrarySpriteShader = R"(SpriteVertex VSsprite(uint id : SV_VertexID)
{
    float4 pick = float4(id == uint4(0, 1, 2, 3));  // dot(row, pick) = entry id of a row
    SpriteVertex o;
    o.Pos = float4(dot(SpriteX, pick), dot(SpriteY, pick), dot(SpriteZ, pick), 1.0);
    if (SpriteSpace == 1)
        o.Pos = mul(mul(mul(o.Pos, World), View), Projection);
    o.Tex = float2(dot(SpriteU, pick), dot(SpriteV, pick));
    return o;
})";

constexpr const char* kTwinEntryPoint = "VSspriteBatch";

// Six rows per sprite, in the order of b3's fields; the space flag is the
// first 32 bits of the sixth row. The array's length is
// kSpriteBatchCapacity * 6 (checked below).
constexpr std::string_view kTwinSource = R"(
cbuffer cbSpriteBatch : register(b12)
{
    float4 SpriteBatchRows[1536];
};

SpriteVertex VSspriteBatch(uint id : SV_VertexID, uint sprite : SV_InstanceID)
{
    const uint row = sprite * 6;
    float4 pick = float4(id == uint4(0, 1, 2, 3));
    SpriteVertex o;
    o.Pos = float4(dot(SpriteBatchRows[row], pick), dot(SpriteBatchRows[row + 1], pick),
                   dot(SpriteBatchRows[row + 2], pick), 1.0);
    if (asint(SpriteBatchRows[row + 5].x) == 1)
        o.Pos = mul(mul(mul(o.Pos, World), View), Projection);
    o.Tex = float2(dot(SpriteBatchRows[row + 3], pick), dot(SpriteBatchRows[row + 4], pick));
    return o;
}
)";
static_assert(kSpriteBatchCapacity * 6 == 1536 && kSpriteBatchRegister == 12);

bool holdsLibrarySpriteShader(const std::string& effectSource) {
    std::string text = effectSource;
    std::erase(text, '\r');
    return text.find(kLibrarySpriteCorners) != std::string::npos &&
           text.find(kLibrarySpriteShader) != std::string::npos;
}

}  // namespace

void createSpriteBatchShader(gpu::Device& device, const std::string& effectSource) {
    if (!holdsLibrarySpriteShader(effectSource)) return;
    const std::string source = effectSource + std::string(kTwinSource);
    std::string errors;
    const std::unique_ptr<gpu::ShaderCode> code =
        device.compileShader(source, kEffectFileName, kTwinEntryPoint, "vs_4_0", errors);
    if (code) pipeline().vertexShaders[VsSpriteBatch] = device.createVertexShader(*code);
}

void createSpriteBatchBuffer(gpu::Device& device) {
    if (!pipeline().vs(VsSpriteBatch)) return;
    gpu::BufferDesc desc;
    desc.byteWidth = kSpriteBatchBytes;
    desc.usage = gpu::Usage::Default;
    desc.bindFlags = gpu::BindConstantBuffer;
    pipeline().spriteBatchCorners = device.createBuffer(desc, nullptr);
}

bool spriteBatchingAvailable() {
    const Pipeline& objects = pipeline();
    return objects.vs(VsSpriteBatch) && objects.spriteBatchCorners && objects.cb(CbSprite);
}

}  // namespace korvel::device
