// What RenderImage puts on screen: the pass filter, textures, lighting,
// material blend modes, culling and particle hair, probed on captures.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "render/render_fixture.h"

namespace korvel::testing {
namespace {

constexpr Rgba kBlack{1, 0, 0};

class RenderPixels : public RenderTest {
protected:
    Rgba at(const gpu::Image& image, double x, double y, double z = 0.0) const {
        int px = 0, py = 0;
        toScreen(x, y, z, px, py);
        return pixelAt(image, static_cast<uint32_t>(px), static_cast<uint32_t>(py));
    }
};

// Left quad: material 0, opaque red. Right quad: material 1, green at alpha
// 0.5 (alpha blending).
TEST_F(RenderPixels, PassFilterSelectsMaterialsByEffectiveAlpha) {
    const int model = installAndBuild(quadModel({{0, 0, -2, -1, -0.2f, 1}, {0, 1, 0.2f, -1, 2, 1}}, 1, 2));
    setEmissive(model, 0, 3, 255, 0, 0, 1.0);
    setEmissive(model, 1, 3, 0, 255, 0, 0.5);
    const int image = CreateImage3d(model);

    struct Case {
        int pass;
        double instanceAlpha;
        Rgba left, right;
    };
    for (const Case& c : {Case{1, 1.0, {255, 0, 0}, kBlack}, Case{0, 1.0, kBlack, {0, 128, 0}},
                          Case{2, 1.0, {255, 0, 0}, {0, 128, 0}}, Case{1, 0.5, kBlack, kBlack},
                          Case{0, 0.5, {128, 0, 0}, {0, 64, 0}}}) {
        SCOPED_TRACE(::testing::Message() << "pass " << c.pass << ", instance alpha " << c.instanceAlpha);
        ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 0, 0, 0, c.instanceAlpha);
        clearFrame();
        RenderImage(image, c.pass, -1, 0, -1, 0);
        const gpu::Image shot = capture();
        EXPECT_PRED3(closeTo, at(shot, -1.1, 0), c.left, 3);
        EXPECT_PRED3(closeTo, at(shot, 1.1, 0), c.right, 3);
    }
}

TEST_F(RenderPixels, TexturedQuadShowsItsTexture) {
    const Rgba quadrant[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    const int texture = loadTexture(64, 64, [&](uint32_t x, uint32_t y) { return quadrant[(y / 32) * 2 + x / 32]; });
    ASSERT_GE(texture, 0);
    const int model = installAndBuild(quadModel({{0, 0, -1.5f, -1.5f, 1.5f, 1.5f}}, 1, 1));
    setEmissive(model, 0, 0, 255, 255, 255, 1.0, texture);
    RenderImage(CreateImage3d(model), 2, -1, 0, -1, 0);
    const gpu::Image shot = capture();
    EXPECT_PRED3(closeTo, at(shot, -0.75, 0.75), quadrant[0], 3);
    EXPECT_PRED3(closeTo, at(shot, 0.75, 0.75), quadrant[1], 3);
    EXPECT_PRED3(closeTo, at(shot, -0.75, -0.75), quadrant[2], 3);
    EXPECT_PRED3(closeTo, at(shot, 0.75, -0.75), quadrant[3], 3);
}

// Diffuse light only, the light at the camera: the quad facing it is
// brighter than the same quad turned away by one radian.
TEST_F(RenderPixels, FaceTurnedToTheLightIsBrighter) {
    const int model = installAndBuild(quadModel({{0, 0, -0.5f, -0.5f, 0.5f, 0.5f}}, 1, 1));
    Obj3dSetMaterialParam(model, 0, 0, 255, 255, 255, 1.0, 1.0, 0, 0, 0, 0, 0, 0, -1);
    const int facing = CreateImage3d(model);
    const int turned = CreateImage3d(model);
    ImageSetScaleRotTransAlpha(facing, 1, 1, 1, 0, 0, 0, -1.2, 0, 0, 1.0);
    ImageSetScaleRotTransAlpha(turned, 1, 1, 1, 0, 1.0, 0, 1.2, 0, 0, 1.0);
    RenderImage(facing, 2, -1, 0, -1, 0);
    RenderImage(turned, 2, -1, 0, -1, 0);
    const gpu::Image shot = capture();
    const Rgba bright = at(shot, -1.2, 0);
    const Rgba dim = at(shot, 1.2, 0);
    EXPECT_GT(bright.r, 200);
    EXPECT_GT(dim.r, 20) << "the turned quad is still lit";
    EXPECT_GT(bright.r, dim.r + 40);
}

// A grey opaque quad behind, then a red-tinted quad in front with each
// material blend mode.
TEST_F(RenderPixels, MaterialBlendModes) {
    const int back = installAndBuild(quadModel({{0, 0, -2, -2, 2, 2, 1}}, 1, 1));
    setEmissive(back, 0, 0, 128, 128, 128);
    const int front = installAndBuild(quadModel({{0, 0, -1, -1, 1, 1, 0}}, 1, 1));
    const int backImage = CreateImage3d(back);
    const int frontImage = CreateImage3d(front);
    struct Case {
        int mode;
        double alpha;
        Rgba expected;
    };
    for (const Case& c : {Case{0, 1.0, {64, 0, 0}}, Case{1, 1.0, {192, 128, 128}}, Case{2, 1.0, {64, 128, 128}},
                          Case{3, 0.5, {96, 64, 64}}, Case{4, 0.25, {112, 96, 96}}, Case{5, 0.25, {112, 96, 96}}}) {
        SCOPED_TRACE(::testing::Message() << "blend mode " << c.mode);
        setEmissive(front, 0, c.mode, 64, 0, 0, c.alpha);
        clearFrame();
        RenderImage(backImage, 2, -1, 0, -1, 0);
        RenderImage(frontImage, 2, -1, 0, -1, 0);
        const gpu::Image shot = capture();
        EXPECT_PRED3(closeTo, at(shot, 0, 0), c.expected, 3);
        EXPECT_PRED3(closeTo, at(shot, 1.5, 1.5, 1), (Rgba{128, 128, 128}), 3);
    }
}

TEST_F(RenderPixels, CullingOnStoredBoxes) {
    const int model = installAndBuild(quadModel({{0, 0, -1, -1, 1, 1}}, 1, 1));
    setEmissive(model, 0, 0, 255, 0, 0);
    const int image = CreateImage3d(model);

    // cullmode 1 with boxes never computed: drawn.
    Image3dSetRendarparam(image, 0, 1, 0, 0);
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_PRED3(closeTo, at(capture(), 0, 0), (Rgba{255, 0, 0}), 3);

    // Boxes computed in front of the camera: drawn; behind it: not.
    Image3dSetRendarparam(image, 1, 1, 0, 0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(calls(gpu::Call::DrawIndexed).size(), 1u);
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 0, 0, -20, 1.0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_TRUE(calls(gpu::Call::DrawIndexed).empty());
    // Squashed flat (x scale 0), its box has zero width and still culls.
    ImageSetScaleRotTransAlpha(image, 0, 1, 1, 0, 0, 0, 0, 0, -20, 1.0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_TRUE(calls(gpu::Call::DrawIndexed).empty()) << "flat box behind the camera";

    // cullmode 2 keeps using the boxes stored by the last computation.
    Image3dSetRendarparam(image, 2, 2, 0, 0);
    RenderImage(image, 2, -1, 0, -1, 0);
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1.0);
    Image3dSetRendarparam(image, 0, 2, 0, 0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_TRUE(calls(gpu::Call::DrawIndexed).empty()) << "stale boxes behind the camera cull";
    EXPECT_PRED3(closeTo, at(capture(), 0, 0), kBlack, 3);
}

// cullmode 2: a part without an unsplit vertex has no box and forces
// drawing, even with every other part outside; with boxes on every part the
// instance outside the frustum is not drawn.
TEST_F(RenderPixels, CullingOnPartBoxesDrawsWhenAPartHasNoBox) {
    ModelBlueprint blueprint = quadModel({{0, 0, -1, -1, 1, 1}, {1, 0, -1, -1, 1, 1}}, 2, 1);
    blueprint.vertices[3].posz = 0.5f;  // give both parts depth, so every box extent is above 0
    blueprint.vertices[7].posz = 0.5f;
    const int boxed = installAndBuild(blueprint);
    const int partless = installAndBuild(quadModel({{0, 0, -1, -1, 1, 1}}, 2, 1));
    for (int model : {boxed, partless}) {
        setEmissive(model, 0, 0, 255, 0, 0);
        const int image = CreateImage3d(model);
        Image3dSetRendarparam(image, 2, 2, 0, 0);
        clearFrame();
        RenderImage(image, 2, -1, 0, -1, 0);
        EXPECT_FALSE(calls(gpu::Call::DrawIndexed).empty()) << "model " << model << " inside the frustum";
        ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 100, 0, 0, 1.0);
        clearFrame();
        RenderImage(image, 2, -1, 0, -1, 0);
        EXPECT_EQ(calls(gpu::Call::DrawIndexed).empty(), model == boxed) << "model " << model << " outside";
    }
}

// Yellow strands grow upwards from the right quad's first face only.
TEST_F(RenderPixels, HairGrowsFromItsFace) {
    const int model = installModel(quadModel({{0, 0, -1.5f, -0.5f, -0.5f, 0.5f}, {0, 0, 0.5f, -0.5f, 1.5f, 0.5f}}, 1, 1));
    const int faceno[1] = {2}, count[1] = {24}, spread[1] = {0}, seed[1] = {3};
    const double length[1] = {0.8}, vx[1] = {0}, vy[1] = {4}, vz[1] = {0};
    const int r[1] = {255}, g[1] = {255}, b[1] = {0};
    Obj3dAllocParticlehairFace(model, 1);
    Obj3dSetParticlehairFace(model, faceno, count, length, spread, seed, vx, vy, vz, r, g, b);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    setEmissive(model, 0, 3, 0, 0, 255);
    RenderImage(CreateImage3d(model), 2, -1, 0, -1, 0);
    const gpu::Image shot = capture();

    auto yellowAbove = [&](double x0, double x1) {
        int left = 0, right = 0, top = 0, bottom = 0;
        toScreen(x0, 1.4, 0, left, top);
        toScreen(x1, 0.5, 0, right, bottom);
        int n = 0;
        for (int y = top; y < bottom - 1; ++y)
            for (int x = left; x <= right; ++x)
                n += closeTo(pixelAt(shot, static_cast<uint32_t>(x), static_cast<uint32_t>(y)), {255, 255, 0}, 40);
        return n;
    };
    EXPECT_GT(yellowAbove(0.5, 1.5), 20);
    EXPECT_EQ(yellowAbove(-1.5, -0.5), 0);
}

}  // namespace
}  // namespace korvel::testing
