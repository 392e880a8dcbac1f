#include "draw2d/sprite.h"

#include "device/blend.h"
#include "device/current.h"
#include "device/pipeline.h"
#include "device/screen.h"
#include "draw2d/texture_numbers.h"
#include "math/matrix.h"

namespace korvel::draw2d {
namespace {

using device::Pipeline;
using gpu::ShaderStage;

// Uploads the corners into b3; false when there is no b3 to draw with.
bool uploadCorners(gpu::Context& context, const SpriteConstants& constants) {
    gpu::Buffer* corners = device::pipeline().cb(device::CbSprite);
    if (!corners) return false;
    context.updateSubresource(*corners, &constants, sizeof constants);
    return true;
}

// Binds the sprite pipeline with the texture and blend mode and draws the
// four-vertex strip.
void drawQuad(gpu::Context& context, gpu::ShaderResourceView* view, int blendmode, double factor) {
    const Pipeline& objects = device::pipeline();
    gpu::Buffer* corners = objects.cb(device::CbSprite);

    context.iaSetInputLayout(nullptr);
    context.iaSetPrimitiveTopology(gpu::Topology::TriangleStrip);
    context.vsSetShader(objects.vs(device::VsSprite));
    context.setConstantBuffer(ShaderStage::Vertex, device::CbSprite, corners);
    context.gsSetShader(nullptr);
    context.rsSetState(nullptr);
    context.setShaderResource(ShaderStage::Pixel, 0, view);
    context.setSampler(ShaderStage::Pixel, 0, objects.samplerLinearWrap.get());
    context.omSetDepthStencilState(objects.depthStateLess.get(), 0);
    device::bindSpriteBlendMode(blendmode, factor);
    context.draw(4, 0);
}

}  // namespace

void renderSprite(int texno, const ScreenSprite& sprite, int blendmode, double factor) {
    gpu::Context* context = device::currentContext();
    TextureBinding texture;
    if (!context || !resolveTexture(texno, texture)) return;
    const device::ScreenSize& screen = device::screenSize();
    const SpriteConstants constants = screenSpriteConstants(sprite, texture.width, texture.height, screen.width,
                                                            screen.height);
    if (uploadCorners(*context, constants)) drawQuad(*context, texture.view, blendmode, factor);
}

void renderSprite3d(int texno, int blendmode, double factor, const double X[4], const double Y[4],
                    const double Z[4], const double U[4], const double V[4]) {
    gpu::Context* context = device::currentContext();
    TextureBinding texture;
    if (!context || !resolveTexture(texno, texture)) return;
    if (!X || !Y || !Z || !U || !V) return;
    const SpriteConstants constants = worldSpriteConstants(X, Y, Z, U, V);
    if (!uploadCorners(*context, constants)) return;
    resetWorldTransform();
    drawQuad(*context, texture.view, blendmode, factor);
}

void resetWorldTransform() {
    gpu::Context* context = device::currentContext();
    gpu::Buffer* world = device::pipeline().cb(device::CbWorld);
    if (!context || !world) return;
    static const math::Matrix kIdentity = math::identity();
    context->updateSubresource(*world, &kIdentity, sizeof kIdentity);
    context->setConstantBuffer(ShaderStage::Vertex, device::CbWorld, world);
}

}  // namespace korvel::draw2d
