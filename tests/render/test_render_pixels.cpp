// What RenderImage puts on screen: the pass filter, textures, lighting,
// material blend modes, culling and particle hair, probed on captures.
#include "Korvelv0.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

constexpr Rgba kBlack{1, 0, 0};

class RenderPixels : public SceneTest {};

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
    for (const Case& c :
         {Case{1, 1.0, {255, 0, 0}, kBlack}, Case{0, 1.0, kBlack, {0, 128, 0}}, Case{2, 1.0, {255, 0, 0}, {0, 128, 0}},
          Case{1, 0.5, kBlack, kBlack}, Case{0, 0.5, {128, 0, 0}, {0, 64, 0}}}) {
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
    for (int q = 0; q < 4; ++q)
        EXPECT_PRED3(closeTo, at(shot, q % 2 ? 0.75 : -0.75, q < 2 ? 0.75 : -0.75), quadrant[q], 3) << "quadrant " << q;
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
    EXPECT_GT(at(shot, -1.2, 0).r, 200);
    EXPECT_GT(at(shot, 1.2, 0).r, 20) << "the turned quad is still lit";
    EXPECT_GT(at(shot, -1.2, 0).r, at(shot, 1.2, 0).r + 40);
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

// Instances drawn row after row: culling uses the boxes stored by the last
// computation, and skips only instances whose present boxes all lie outside
// the frustum (behind the camera at z = -20). A part without a vertex has no
// box and forces drawing.
TEST_F(RenderPixels, CullingOnStoredBoxes) {
    const int quad = installAndBuild(quadModel({{0, 0, -1, -1, 1, 1}}, 1, 1));
    ModelBlueprint twoParts = quadModel({{0, 0, -1, -1, 1, 1}, {1, 0, -1, -1, 1, 1}}, 2, 1);
    twoParts.vertices[3].posz = twoParts.vertices[7].posz = 0.5f;  // depth for every box
    const int parted = installAndBuild(twoParts);
    const int emptyPart = installAndBuild(quadModel({{0, 0, -1, -1, 1, 1}}, 2, 1));
    for (int model : {quad, parted, emptyPart}) setEmissive(model, 0, 0, 255, 0, 0);
    const int image = CreateImage3d(quad), partedImage = CreateImage3d(parted), emptyImage = CreateImage3d(emptyPart);
    struct Row {
        const char* name;
        int image, boxmode, cullmode;
        double scalex, z;
        bool drawn;
    };
    const Row rows[] = {
        {"aabox never computed", image, 0, 1, 1, -20, true},
        {"aabox in front", image, 1, 1, 1, 0, true},
        {"aabox behind", image, 1, 1, 1, -20, false},
        {"flat aabox (x scale 0) behind", image, 1, 1, 0, -20, false},
        {"part boxes behind", image, 2, 2, 1, -20, false},
        {"stale part boxes behind", image, 0, 2, 1, 0, false},
        {"part boxes in front", image, 2, 2, 1, 0, true},
        {"two part boxes behind", partedImage, 2, 2, 1, -20, false},
        {"a part without a box", emptyImage, 2, 2, 1, -20, true},
    };
    for (const Row& r : rows) {
        Image3dSetRendarparam(r.image, r.boxmode, r.cullmode, 0, 0);
        ImageSetScaleRotTransAlpha(r.image, r.scalex, 1, 1, 0, 0, 0, 0, 0, r.z, 1.0);
        clearFrame();
        RenderImage(r.image, 2, -1, 0, -1, 0);
        EXPECT_EQ(calls(gpu::Call::DrawIndexed).empty(), !r.drawn) << r.name;
    }
}

// A skinned-layout model without motions draws with identity matrices, not
// with the palette (scale 2) the animated instance before it left: its quad
// covers x from 1 to 3 only. A pose of 121 joints, more than the constant
// buffers hold, draws nothing (read from the recorded calls).
TEST_F(RenderPixels, SkinnedModelWithoutMotionsDrawsUnposedAndTooManyJointsNothing) {
    ModelBlueprint animated = quadModel({{}}, 1, 1);
    animated.weights.assign(4, {0, -1, 1.0f, 0.0f});
    animated.joints = {{-1, 0, 0, 0}};
    animated.motions = {{1, 0, 0}};
    animated.frameno = {0};
    animated.keyframes = {{0, 0, 0, 1, 2, 2, 2, 0, 0, 0}};
    const int withMotion = installModel(animated);
    animated.motions.clear();
    const int withoutMotion = installModel(animated);
    model::modelSlot(withoutMotion)->head()->skinmode = 2;
    animated.motions = {{1, 0, 0}};
    animated.joints.assign(121, {-1, 0, 0, 0});
    animated.keyframes.assign(121, {0, 0, 0, 1, 1, 1, 1, 0, 0, 0});
    const int tooMany = installModel(animated);
    ASSERT_EQ(MakeVertexIndexBuffer0ba(), 1);
    const int left = CreateImage3d(withMotion), right = CreateImage3d(withoutMotion);
    for (int m : {withMotion, withoutMotion}) setEmissive(m, 0, 0, 255, 0, 0);
    ViewMatrixValueSet(0, 0, -12, 0, 0, 0, 0, 1, 0);
    ImageSetScaleRotTransAlpha(left, 1, 1, 1, 0, 0, 0, -3, 0, 0, 1.0);
    ImageSetScaleRotTransAlpha(right, 1, 1, 1, 0, 0, 0, 2, 0, 0, 1.0);
    RenderImage(left, 2, -1, 0, 0, 0);
    RenderImage(right, 2, -1, 0, 0, 0);
    const gpu::Image shot = capture();
    EXPECT_PRED3(closeTo, at(shot, -4.5, 0), (Rgba{255, 0, 0}), 3);  // scaled by its palette
    EXPECT_PRED3(closeTo, at(shot, 2.5, 0), (Rgba{255, 0, 0}), 3);
    EXPECT_PRED3(closeTo, at(shot, 3.5, 0), kBlack, 3);
    const size_t drawn = calls(gpu::Call::DrawIndexed).size();
    setEmissive(tooMany, 0, 0, 255, 0, 0);
    for (int motion : {0, -1}) RenderImage(CreateImage3d(tooMany), 2, -1, 0, motion, 0);
    EXPECT_EQ(calls(gpu::Call::DrawIndexed).size(), drawn);
}

// partmode 2: hair is placed by its part's matrix (moved by 3), the
// triangles again by the world matrix.
TEST_F(RenderPixels, TrianglesAfterPartPlacedHairUseTheWorldMatrix) {
    const int model = installModel(quadModel({{}}, 1, 1));
    setEmissive(model, 0, 0, 255, 0, 0);
    Obj3dAllocParticlehairFace(model, 1);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    const int image = CreateImage3d(model);
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, -1, 0, 0, 1.0);
    Image3dPartinfoSet(image, 0, 1, 1, 1, 0, 0, 0, 3, 0, 0, 1.0);
    Image3dSetRendarparam(image, 0, 0, 2, 1);
    RenderImage(image, 2, -1, 0, -1, 0);
    const gpu::Image shot = capture();
    EXPECT_PRED3(closeTo, at(shot, -1, 0), (Rgba{255, 0, 0}), 3);
    EXPECT_PRED3(closeTo, at(shot, 2, 0), kBlack, 3);
}

// Yellow strands grow upwards from the right quad's first face only.
TEST_F(RenderPixels, HairGrowsFromItsFace) {
    const int model =
        installModel(quadModel({{0, 0, -1.5f, -0.5f, -0.5f, 0.5f}, {0, 0, 0.5f, -0.5f, 1.5f, 0.5f}}, 1, 1));
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
