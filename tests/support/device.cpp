#include "support/device.h"

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "model/model_buffers.h"
#include "platform/image/image.h"

namespace korvel::testing {

gpu::Image captureBackBuffer() {
    gpu::Image image;
    device::DeviceState& state = device::deviceState();
    if (state.bundle.context && state.backBufferRTV) state.bundle.context->readPixels(*state.backBufferRTV, image);
    return image;
}

void expectPixels(const std::vector<Probe>& probes) {
    const gpu::Image image = captureBackBuffer();
    for (const Probe& p : probes) EXPECT_PIXEL(image, p.x, p.y, p.colour);
}

int loadTexture(uint32_t width, uint32_t height, const std::function<Rgba(uint32_t, uint32_t)>& texel) {
    static int counter = 0;
    gpu::Image image{width, height, {}};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba c = texel(x, y);
            image.rgba.insert(image.rgba.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), uint8_t(c.a)});
        }
    const std::string path = tempPath("texture" + std::to_string(counter++) + ".png");
    if (!image::saveImageFile(3, path, image)) return -1;
    return readtexture(std::wstring(path.begin(), path.end()).c_str());
}

ModelBlueprint quadModel(const std::vector<Quad>& quads, int numpart, int nummaterial) {
    ModelBlueprint blueprint;
    blueprint.numpart = numpart;
    blueprint.nummaterial = nummaterial;
    for (const Quad& q : quads) {
        const int base = static_cast<int>(blueprint.vertices.size());
        blueprint.vertices.push_back({q.part, q.material, -1, q.x0, q.y0, q.z, 0.0f, 1.0f});
        blueprint.vertices.push_back({q.part, q.material, -1, q.x0, q.y1, q.z, 0.0f, 0.0f});
        blueprint.vertices.push_back({q.part, q.material, -1, q.x1, q.y1, q.z, 1.0f, 0.0f});
        blueprint.vertices.push_back({q.part, q.material, -1, q.x1, q.y0, q.z, 1.0f, 1.0f});
        blueprint.faces.push_back({q.part, {base, base + 1, base + 2}, q.material});
        blueprint.faces.push_back({q.part, {base, base + 2, base + 3}, q.material});
    }
    return blueprint;
}

void setEmissive(int model, int material, int blendmode, int r, int g, int b, double alpha, int texsrvno) {
    Obj3dSetMaterialParam(model, material, blendmode, 0, 0, 0, alpha, 1.0, 0, 0, 0, r, g, b, texsrvno);
}

int installAndBuild(const ModelBlueprint& blueprint) {
    const int slot = installModel(blueprint);
    switch (model::groupOf(*model::modelSlot(slot)->head())) {
        case model::LayoutGroup::Plain:
            MakeVertexIndexBuffer0();
            break;
        case model::LayoutGroup::Normal:
            MakeVertexIndexBuffer1();
            break;
        case model::LayoutGroup::PlainSkinned:
            MakeVertexIndexBuffer0ba();
            break;
        case model::LayoutGroup::NormalSkinned:
            MakeVertexIndexBuffer1ba();
            break;
    }
    return slot;
}

void SceneTest::SetUp() {
    DeviceTest::SetUp();
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.785, 800.0 / 600.0, 1.0, 50.0);
    SetPointLightPos(0, 0, -5);
    SceneAmbientColorSet(0, 0, 0);
    SetktexkdifkemikspcMparam(1, 1, 1, 1, 0, 0);
    clearFrame();
}

void SceneTest::toScreen(double x, double y, double z, int& px, int& py) {
    const double world[3] = {x, y, z};
    int screen[2] = {0, 0};
    double depth = 0;
    PosFromWorldToScreen(world, screen, &depth);
    px = screen[0], py = screen[1];
}

Rgba SceneTest::at(const gpu::Image& image, double x, double y, double z) {
    int px = 0, py = 0;
    toScreen(x, y, z, px, py);
    return pixelAt(image, static_cast<uint32_t>(px), static_cast<uint32_t>(py));
}

}  // namespace korvel::testing
