#include "draw2d/sprite.h"

#include <cmath>

#include "device/camera.h"
#include "device/lifecycle.h"
#include "device/pipeline.h"
#include "draw2d/texture_table.h"
#include "math/matrix.h"

namespace korvel::draw2d {

SpriteConstants screenSpriteConstants(const ScreenSprite& sprite, double textureWidth, double textureHeight,
                                      double screenWidth, double screenHeight) {
    const double left = sprite.x;
    const double top = sprite.y;
    const double right = left + (sprite.tu1 - sprite.tu0) * textureWidth * sprite.scalex;
    const double bottom = top + (sprite.tv1 - sprite.tv0) * textureHeight * sprite.scaley;
    double cx[4] = {left, right, left, right};
    double cy[4] = {top, top, bottom, bottom};

    if (sprite.angle != 0.0) {
        const double px = left + sprite.pivotx;
        const double py = top + sprite.pivoty;
        const double c = std::cos(sprite.angle);
        const double s = std::sin(sprite.angle);
        for (int i = 0; i < 4; ++i) {
            const double dx = cx[i] - px;
            const double dy = cy[i] - py;
            cx[i] = px + dx * c - dy * s;
            cy[i] = py + dy * c + dx * s;
        }
    }

    const double halfW = screenWidth / 2.0;
    const double halfH = screenHeight / 2.0;
    SpriteConstants out{};
    for (int i = 0; i < 4; ++i) {
        out.x[i] = static_cast<float>((cx[i] - halfW) / halfW);
        out.y[i] = static_cast<float>(-(cy[i] - halfH) / halfH);
        out.z[i] = static_cast<float>(sprite.z);
    }
    const float u0 = static_cast<float>(sprite.tu0);
    const float u1 = static_cast<float>(sprite.tu1);
    const float v0 = static_cast<float>(sprite.tv0);
    const float v1 = static_cast<float>(sprite.tv1);
    out.u[0] = u0, out.u[1] = u1, out.u[2] = u0, out.u[3] = u1;
    out.v[0] = v0, out.v[1] = v0, out.v[2] = v1, out.v[3] = v1;
    out.spaceFlag = kClipSpace;
    return out;
}

SpriteConstants worldSpriteConstants(const double X[4], const double Y[4], const double Z[4], const double U[4],
                                     const double V[4]) {
    SpriteConstants out{};
    for (int i = 0; i < 4; ++i) {
        out.x[i] = static_cast<float>(X[i]);
        out.y[i] = static_cast<float>(Y[i]);
        out.z[i] = static_cast<float>(Z[i]);
        out.u[i] = static_cast<float>(U[i]);
        out.v[i] = static_cast<float>(V[i]);
    }
    out.spaceFlag = kWorldSpace;
    return out;
}

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
    const SpriteConstants constants =
        screenSpriteConstants(sprite, texture.width, texture.height, screen.width, screen.height);
    if (uploadCorners(*context, constants)) drawQuad(*context, texture.view, blendmode, factor);
}

void renderSprite3d(int texno, int blendmode, double factor, const double X[4], const double Y[4], const double Z[4],
                    const double U[4], const double V[4]) {
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
