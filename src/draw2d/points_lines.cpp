#include "draw2d/points_lines.h"

#include "device/lifecycle.h"
#include "device/pipeline.h"
#include "math/vector.h"

namespace korvel::draw2d {
namespace {

using gpu::ShaderStage;

void setColor(const ColorEnd& c, float out[4]) {
    out[0] = static_cast<float>(c.red / 255.0);
    out[1] = static_cast<float>(c.green / 255.0);
    out[2] = static_cast<float>(c.blue / 255.0);
    out[3] = static_cast<float>(c.opacity);
}

void clipPoint(const double p[3], const math::Matrix& view, const math::Matrix& projection, float out[4]) {
    const math::Float4 world{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]), 1.0f};
    const math::Float4 clip = math::transform(math::transform(world, view), projection);
    out[0] = clip.x;
    out[1] = clip.y;
    out[2] = clip.z;
    out[3] = clip.w;
}

// Binds the shaders and states shared by points and lines and uploads the
// constants into their register; false without a device.
bool bindColorPrimitive(device::ConstantBufferRegister reg, const void* constants, size_t bytes,
                        device::VertexShaderId shader, gpu::Topology topology, gpu::RasterizerState* raster) {
    gpu::Context* context = device::currentContext();
    const device::Pipeline& objects = device::pipeline();
    gpu::Buffer* buffer = objects.cb(reg);
    if (!context || !buffer) return false;
    context->updateSubresource(*buffer, constants, bytes);
    context->iaSetInputLayout(nullptr);
    context->iaSetPrimitiveTopology(topology);
    context->vsSetShader(objects.vs(shader));
    context->setConstantBuffer(ShaderStage::Vertex, reg, buffer);
    context->gsSetShader(nullptr);
    context->psSetShader(objects.ps(device::PsPoint));
    context->omSetDepthStencilState(objects.depthStateLess.get(), 0);
    context->rsSetState(raster);
    return true;
}

}  // namespace

void pixelToClip(int x, int y, double screenWidth, double screenHeight, float out[4]) {
    const double halfW = screenWidth / 2.0;
    const double halfH = screenHeight / 2.0;
    out[0] = static_cast<float>((x - halfW) / halfW);
    out[1] = static_cast<float>(-(y - halfH) / halfH);
    out[2] = 0.0f;
    out[3] = 1.0f;
}

PointConstants pointConstants(int x, int y, const ColorEnd& color, double screenWidth, double screenHeight) {
    PointConstants c{};
    pixelToClip(x, y, screenWidth, screenHeight, c.position);
    setColor(color, c.color);
    return c;
}

LineConstants line2dConstants(int x0, int y0, const ColorEnd& color0, int x1, int y1, const ColorEnd& color1,
                              double screenWidth, double screenHeight) {
    LineConstants c{};
    pixelToClip(x0, y0, screenWidth, screenHeight, c.position0);
    pixelToClip(x1, y1, screenWidth, screenHeight, c.position1);
    setColor(color0, c.color0);
    setColor(color1, c.color1);
    return c;
}

LineConstants line3dConstants(const double p0[3], const ColorEnd& color0, const double p1[3], const ColorEnd& color1,
                              const math::Matrix& view, const math::Matrix& projection) {
    LineConstants c{};
    clipPoint(p0, view, projection, c.position0);
    clipPoint(p1, view, projection, c.position1);
    setColor(color0, c.color0);
    setColor(color1, c.color1);
    return c;
}

void renderPoint(const PointConstants& constants, int blendmode, double opacity) {
    if (!bindColorPrimitive(device::CbPoint, &constants, sizeof constants, device::VsPoint, gpu::Topology::PointList,
                            nullptr)) {
        return;
    }
    device::bindBlendState(blendmode, opacity, 4);
    device::currentContext()->draw(1, 0);
}

void renderLine(const LineConstants& constants, int blendmode) {
    gpu::RasterizerState* wireframe = device::pipeline().rasterWireframe.get();
    if (!bindColorPrimitive(device::CbLine, &constants, sizeof constants, device::VsLine, gpu::Topology::LineList,
                            wireframe)) {
        return;
    }
    device::bindBlendState(blendmode, 0.0, 3);
    device::currentContext()->draw(2, 0);
}

}  // namespace korvel::draw2d
