// Rendering follows Direct3D's conventions: image rows, clip space, winding,
// matrices in constant buffers, blending, depth and texture orientation.
#include "gpu_test_support.h"

namespace korvel::gpu::test {
namespace {

const Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kBlack{0, 0, 0, 255};

class DrawTest : public GpuTest {
protected:
    void SetUp() override {
        GpuTest::SetUp();
        if (HasFatalFailure()) return;
        quadVs = vertexShader(kShaders, "VSQuad");
        colorPs = pixelShader(kShaders, "PSColor");
        quadCb = constantBuffer(sizeof(QuadConstants));
        ASSERT_TRUE(quadVs && colorPs && quadCb);
        context->vsSetShader(quadVs.get());
        context->psSetShader(colorPs.get());
        context->setConstantBuffer(ShaderStage::Vertex, 3, quadCb.get());
        context->iaSetPrimitiveTopology(Topology::TriangleStrip);
    }

    // Draws an axis-aligned quad (clip-space rectangle) in one colour.
    void quad(std::array<float, 4> rect, std::array<float, 4> color, float depth = 0.5f) {
        QuadConstants constants{{rect[0], rect[1], rect[2], rect[3]}, {color[0], color[1], color[2], color[3]}, depth, {}};
        context->updateSubresource(*quadCb, &constants, sizeof constants);
        context->draw(4, 0);
    }

    std::unique_ptr<VertexShader> quadVs;
    std::unique_ptr<PixelShader> colorPs;
    std::unique_ptr<Buffer> quadCb;
};

TEST_F(DrawTest, ClearAndReadBackPutTheTopRowFirst) {
    clear({0, 0, 1, 1});
    // Clip y +1 is the top of the target: a quad over the upper half.
    quad({-1, 1, 1, 0}, {1, 0, 0, 1});
    Image image = read();
    ASSERT_EQ(image.width, kSize);
    ASSERT_EQ(image.height, kSize);
    EXPECT_EQ(pixel(image, 5, 2), kRed);
    EXPECT_EQ(pixel(image, 5, kSize - 3), kBlue);
}

TEST_F(DrawTest, ViewportOriginIsTheTopLeftCorner) {
    clear({0, 0, 0, 1});
    context->rsSetViewport(Viewport{0, 0, kSize / 2.0f, kSize / 2.0f, 0, 1});
    quad({-1, 1, 1, -1}, {0, 1, 0, 1});
    Image image = read();
    EXPECT_EQ(pixel(image, 3, 3), kGreen);
    EXPECT_EQ(pixel(image, kSize - 3, kSize - 3), kBlack);
    EXPECT_EQ(pixel(image, 3, kSize - 3), kBlack);
}

TEST_F(DrawTest, PixelPositionsCountFromTheTopLeftAtPixelCentres) {
    const std::string source = std::string(kShaders) + R"(
float4 PSPosition(PSIn i) : SV_Target {
    bool centre = frac(i.pos.x) == 0.5 && frac(i.pos.y) == 0.5;
    return i.pos.y < 8 && i.pos.x < 4 && centre ? float4(1, 0, 0, 1) : float4(0, 0, 1, 1);
}
)";
    auto positionPs = pixelShader(source, "PSPosition");
    ASSERT_TRUE(positionPs);
    context->psSetShader(positionPs.get());
    clear({0, 0, 0, 1});
    quad({-1, 1, 1, -1}, {0, 0, 0, 0});
    Image image = read();
    EXPECT_EQ(pixel(image, 3, 7), kRed);
    EXPECT_EQ(pixel(image, 3, 8), kBlue);
    EXPECT_EQ(pixel(image, 4, 0), kBlue);
    EXPECT_EQ(pixel(image, 3, kSize - 1), kBlue);
}

TEST_F(DrawTest, ClockwiseTrianglesAreFrontFacing) {
    auto noCull = device->createRasterizerState(RasterizerDesc{FillMode::Solid, CullMode::None, false, true, false});
    auto ccwFront = device->createRasterizerState(RasterizerDesc{FillMode::Solid, CullMode::Back, true, true, false});
    auto cullFront = device->createRasterizerState(RasterizerDesc{FillMode::Solid, CullMode::Front, false, true, false});
    // The quad's strip is clockwise on screen; swapping left and right mirrors it.
    const std::array<float, 4> clockwise{-1, 1, 1, -1}, counterClockwise{1, 1, -1, -1};
    struct Case {
        RasterizerState* state;
        std::array<float, 4> rect;
        bool drawn;
    } cases[] = {
        {nullptr, clockwise, true},          {nullptr, counterClockwise, false},
        {noCull.get(), counterClockwise, true}, {ccwFront.get(), clockwise, false},
        {ccwFront.get(), counterClockwise, true}, {cullFront.get(), clockwise, false},
        {cullFront.get(), counterClockwise, true},
    };
    for (const Case& c : cases) {
        clear({0, 0, 0, 1});
        context->rsSetState(c.state);
        quad(c.rect, {1, 0, 0, 1});
        EXPECT_EQ(pixel(read(), kSize / 2, kSize / 2), c.drawn ? kRed : kBlack)
            << "state " << c.state << " rect " << c.rect[0];
    }
}

TEST_F(DrawTest, DepthTestDefaultsToLessWithWrites) {
    clear({0, 0, 0, 1}, 1.0f);
    quad({-1, 1, 1, -1}, {1, 0, 0, 1}, 0.5f);
    quad({-1, 1, 1, -1}, {0, 1, 0, 1}, 0.7f);  // behind: rejected
    EXPECT_EQ(pixel(read(), 10, 10), kRed);
    quad({-1, 1, 1, -1}, {0, 1, 0, 1}, 0.5f);  // equal: rejected by less
    EXPECT_EQ(pixel(read(), 10, 10), kRed);
    quad({-1, 1, 1, -1}, {0, 0, 1, 1}, 0.3f);
    EXPECT_EQ(pixel(read(), 10, 10), kBlue);

    auto always = device->createDepthStencilState(DepthStencilDesc{true, false, Comparison::Always, false});
    context->omSetDepthStencilState(always.get(), 0);
    quad({-1, 1, 1, -1}, {0, 1, 0, 1}, 0.9f);  // passes but leaves depth at 0.3
    EXPECT_EQ(pixel(read(), 10, 10), kGreen);
    context->omSetDepthStencilState(nullptr, 0);
    quad({-1, 1, 1, -1}, {1, 0, 0, 1}, 0.4f);
    EXPECT_EQ(pixel(read(), 10, 10), kGreen);
}

TEST_F(DrawTest, ClearDepthIgnoresTheDepthWriteState) {
    auto noWrite = device->createDepthStencilState(DepthStencilDesc{true, false, Comparison::Less, false});
    context->omSetDepthStencilState(noWrite.get(), 0);
    clear({0, 0, 0, 1}, 0.2f);
    quad({-1, 1, 1, -1}, {1, 0, 0, 1}, 0.5f);
    EXPECT_EQ(pixel(read(), 10, 10), kBlack);
    clear({0, 0, 0, 1}, 1.0f);
    quad({-1, 1, 1, -1}, {1, 0, 0, 1}, 0.5f);
    EXPECT_EQ(pixel(read(), 10, 10), kRed);
}

TEST_F(DrawTest, BlendStatesCombineSourceAndDestination) {
    auto factor = device->createBlendState(BlendDesc{true, Blend::BlendFactor, Blend::InvBlendFactor, BlendOp::Add,
                                                     Blend::One, Blend::Zero, BlendOp::Add, 0x0F});
    auto subtract = device->createBlendState(BlendDesc{true, Blend::One, Blend::One, BlendOp::RevSubtract,
                                                       Blend::Zero, Blend::One, BlendOp::RevSubtract, 0x0F});
    auto noDepth = device->createDepthStencilState(DepthStencilDesc{false, false, Comparison::Less, false});
    context->omSetDepthStencilState(noDepth.get(), 0);

    clear({0, 0, 0, 1});
    const float quarter[4] = {0.25f, 0.25f, 0.25f, 0.25f};
    context->omSetBlendState(factor.get(), quarter, 0xFFFFFFFF);
    quad({-1, 1, 1, -1}, {1, 1, 1, 1});
    EXPECT_TRUE(near(pixel(read(), 10, 10), {64, 64, 64, 255})) << pixel(read(), 10, 10);

    // Destination minus source.
    clear({1, 1, 1, 1});
    context->omSetBlendState(subtract.get(), nullptr, 0xFFFFFFFF);
    quad({-1, 1, 1, -1}, {0.25f, 0.5f, 1, 1});
    EXPECT_TRUE(near(pixel(read(), 10, 10), {191, 127, 0, 255})) << pixel(read(), 10, 10);

    // Null state: blending off, the source replaces the destination.
    context->omSetBlendState(nullptr, nullptr, 0xFFFFFFFF);
    quad({-1, 1, 1, -1}, {0, 0, 1, 1});
    EXPECT_EQ(pixel(read(), 10, 10), kBlue);
}

TEST_F(DrawTest, WriteMaskAndMissingPixelShaderLeaveColour) {
    auto greenOnly = device->createBlendState(
        BlendDesc{false, Blend::One, Blend::Zero, BlendOp::Add, Blend::One, Blend::Zero, BlendOp::Add, 0x02});
    clear({0, 0, 0, 1});
    context->omSetBlendState(greenOnly.get(), nullptr, 0xFFFFFFFF);
    quad({-1, 1, 1, -1}, {1, 1, 1, 1}, 0.9f);
    EXPECT_EQ(pixel(read(), 10, 10), kGreen);

    // Without a pixel shader a draw writes depth only.
    context->omSetBlendState(nullptr, nullptr, 0xFFFFFFFF);
    context->psSetShader(nullptr);
    quad({-1, 1, 1, -1}, {1, 0, 0, 1}, 0.1f);
    EXPECT_EQ(pixel(read(), 10, 10), kGreen);
    context->psSetShader(colorPs.get());
    quad({-1, 1, 1, -1}, {0, 0, 1, 1}, 0.2f);  // behind the depth-only quad
    EXPECT_EQ(pixel(read(), 10, 10), kGreen);
}

TEST_F(DrawTest, TextureRowZeroIsSampledAtTheTop) {
    auto texturedPs = pixelShader(kShaders, "PSTexture");
    // Row 0 red, row 1 green; column 1 of row 0 blue.
    auto texture = rgbaTexture(2, 2, {0xFF0000FF, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00});
    ASSERT_TRUE(texturedPs && texture);
    auto view = device->createShaderResourceView(*texture);
    auto point = device->createSamplerState(SamplerDesc{Filter::MinMagMipPoint, AddressMode::Clamp, AddressMode::Clamp,
                                                        AddressMode::Clamp, 0, 0, 1000});
    context->psSetShader(texturedPs.get());
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    context->setSampler(ShaderStage::Pixel, 0, point.get());
    clear({0, 0, 0, 1});
    quad({-1, 1, 1, -1}, {0, 0, 0, 0});
    Image image = read();
    EXPECT_EQ(pixel(image, 5, 5), kRed);
    EXPECT_EQ(pixel(image, kSize - 5, 5), kBlue);
    EXPECT_EQ(pixel(image, 5, kSize - 5), kGreen);
}

TEST_F(DrawTest, RenderTargetTexturesKeepTheirOrientationWhenSampled) {
    // Render red into the top half of an off-screen target, then sample it.
    Target offscreen = makeTarget(16, 16);
    bindTarget(offscreen);
    const float black[4] = {0, 0, 0, 1};
    context->clearRenderTargetView(*offscreen.rtv, black);
    context->clearDepthStencilView(*offscreen.dsv, 1.0f);
    quad({-1, 1, 1, 0}, {1, 0, 0, 1});

    auto view = device->createShaderResourceView(*offscreen.color);
    auto texturedPs = pixelShader(kShaders, "PSTexture");
    ASSERT_TRUE(view && texturedPs);
    bindTarget(target);
    clear({0, 0, 1, 1});
    context->psSetShader(texturedPs.get());
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    quad({-1, 1, 1, -1}, {0, 0, 0, 0});
    Image image = read();
    EXPECT_EQ(pixel(image, 10, 5), kRed);
    EXPECT_EQ(pixel(image, 10, kSize - 5), kBlack);
}

TEST_F(DrawTest, TexturesBoundForOutputAreNotReadAsInputs) {
    // Direct3D unbinds an input that becomes an output and refuses to bind an
    // output as an input; an empty slot reads transparent black.
    const Rgba kTransparent{0, 0, 0, 0};
    Target offscreen = makeTarget(16, 16);
    auto view = device->createShaderResourceView(*offscreen.color);
    auto texturedPs = pixelShader(kShaders, "PSTexture");
    ASSERT_TRUE(view && texturedPs);
    const float red[4] = {1, 0, 0, 1};
    context->clearRenderTargetView(*offscreen.rtv, red);
    context->psSetShader(texturedPs.get());

    context->setShaderResource(ShaderStage::Pixel, 0, view.get());
    clear({0, 0, 1, 1});
    quad({-1, 1, 1, -1}, {0, 0, 0, 0});
    EXPECT_EQ(pixel(read(), 8, 8), kRed) << "bound while not an output";

    bindTarget(offscreen);  // unbinds the view
    bindTarget(target);
    clear({0, 0, 1, 1});
    quad({-1, 1, 1, -1}, {0, 0, 0, 0});
    EXPECT_EQ(pixel(read(), 8, 8), kTransparent);

    bindTarget(offscreen);
    context->setShaderResource(ShaderStage::Pixel, 0, view.get());  // refused: it is the output
    context->clearDepthStencilView(*offscreen.dsv, 1.0f);
    quad({-1, 1, 1, -1}, {0, 0, 0, 0});
    Image image;
    ASSERT_TRUE(context->readPixels(*offscreen.rtv, image));
    EXPECT_EQ(pixel(image, 8, 8), kTransparent);
}

TEST_F(DrawTest, TransposedRowVectorMatrixPlacesGeometryAsDirect3DDoes) {
    const char* source = kShaders;
    auto meshVs = compile(source, "VSMesh", "vs_4_0");
    ASSERT_TRUE(meshVs);
    auto vs = device->createVertexShader(*meshVs);
    InputElement elements[] = {{"POSITION", 0, Format::R32G32B32_Float, 0, 0},
                               {"TEXCOORD", 0, Format::R32G32_Float, 0, 12}};
    auto layout = device->createInputLayout(elements, 2, *meshVs);
    ASSERT_TRUE(vs && layout);
    // A small clockwise triangle around the origin.
    const float vertices[] = {-0.2f, -0.2f, 0, 0, 0, 0, 0.2f, 0, 0, 0, 0.2f, -0.2f, 0, 0, 0};
    auto vb = device->createBuffer(BufferDesc{sizeof vertices, Usage::Immutable, BindVertexBuffer, false}, vertices);
    // Row-vector matrix (v' = v M): scale x by 0.5, then translate by (0.5, 0.5).
    const float m[4][4] = {{0.5f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0.5f, 0.5f, 0, 1}};
    float transposed[16];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) transposed[c * 4 + r] = m[r][c];
    auto world = constantBuffer(64, transposed);
    const float red[4] = {1, 0, 0, 1};
    auto tint = constantBuffer(16, red);

    clear({0, 0, 0, 1});
    context->vsSetShader(vs.get());
    context->iaSetInputLayout(layout.get());
    context->iaSetVertexBuffer(0, vb.get(), 20, 0);
    context->iaSetPrimitiveTopology(Topology::TriangleList);
    context->setConstantBuffer(ShaderStage::Vertex, 2, world.get());
    context->setConstantBuffer(ShaderStage::Vertex, 4, tint.get());
    context->draw(3, 0);
    Image image = read();
    // Clip (0.5, 0.5) is pixel (48, 16); the triangle is 0.2 wide there, 0.4 tall.
    EXPECT_EQ(pixel(image, 48, 17), kRed);
    EXPECT_EQ(pixel(image, 16, 48), kBlack);
    EXPECT_EQ(pixel(image, 32, 32), kBlack);
    EXPECT_EQ(pixel(image, 48 + 5, 17), kBlack);  // x scaled by 0.5: narrower than 0.2 clip
}

}  // namespace
}  // namespace korvel::gpu::test
