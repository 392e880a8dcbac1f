// What RenderImage asks of the GPU, from the recorded calls: draw order,
// the bytes of b7 and b11, draw ranges, and the palette of skinned models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Korvelv0.h"
#include "device/pipeline.h"
#include "instance/hair_rotation.h"
#include "math/matrix.h"
#include "render/render_fixture.h"

namespace korvel::testing {
namespace {

using gpu::Call;

class RenderCalls : public RenderTest {
protected:
    // The bytes of a constant buffer as the n-th record of `call` saw them.
    std::vector<uint8_t> bufferAtDraw(device::ConstantBufferRegister reg, Call call, size_t n) const {
        return backend.log->bufferContentsAt(device::pipeline().cb(reg), backend.log->indexOf(call, n));
    }
};

template <class T>
T read(const std::vector<uint8_t>& bytes, size_t offset) {
    T value{};
    if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// A filler model first, so that the drawn one has a non-zero base vertex
// and start index; faces stored (part 0, material 1), (0, 0), (1, 0), (1, 1).
TEST_F(RenderCalls, HairFirstThenPartsByMaterialWithTheirRanges) {
    installModel(quadModel({{}}, 1, 1));
    const int model = installAndBuild(
        quadModel({{0, 1, -2, 0, -1, 1}, {0, 0, -1, 0, 0, 1}, {1, 0, 0, 0, 1, 1}, {1, 1, 1, 0, 2, 1}}, 2, 2));
    setEmissive(model, 0, 3, 10, 0, 0);
    setEmissive(model, 1, 3, 20, 0, 0);
    Obj3dAllocParticlehairFace(model, 2);
    Obj3dSetParticlehairFaceEach(model, 0, 4, 0.1, 0, 0, 0, 0, 0, -1, 0, 0);
    Obj3dSetParticlehairFaceEach(model, 1, 4, 0.1, 0, 0, 0, 0, 0, -1, 0, 0);
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    const model::Obj3dHeader& h = *model::modelSlot(model)->head();
    ASSERT_EQ(h.basevertex, 4);
    ASSERT_EQ(h.startindex, 6);

    const int image = CreateImage3d(model);
    RenderImage(image, 2, -1, 0, -1, 0);

    const auto hair = calls(Call::DrawIndexedInstanced);
    ASSERT_EQ(hair.size(), 2u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(hair[i]->args, (std::array<int64_t, 5>{3, 3, h.hairstartindex + 3 * i, 4, 0}));
    const auto triangles = calls(Call::DrawIndexed);
    ASSERT_EQ(triangles.size(), 4u);
    EXPECT_LT(backend.log->indexOf(Call::DrawIndexedInstanced, 1), backend.log->indexOf(Call::DrawIndexed, 0));
    const int64_t starts[4] = {6, 0, 12, 18};  // (0, 0), (0, 1), (1, 0), (1, 1)
    const float emissive[4] = {10 / 255.0f, 20 / 255.0f, 10 / 255.0f, 20 / 255.0f};
    for (size_t n = 0; n < 4; ++n) {
        EXPECT_EQ(triangles[n]->args[0], 6);
        EXPECT_EQ(triangles[n]->args[1], 6 + starts[n]);
        EXPECT_EQ(triangles[n]->args[2], 4);
        EXPECT_FLOAT_EQ(read<float>(bufferAtDraw(device::CbMaterial, Call::DrawIndexed, n), 36), emissive[n]);
    }
}

TEST_F(RenderCalls, MaterialConstantsByteForByte) {
    const int model = installAndBuild(quadModel({{}}, 1, 1));
    Obj3dSetMaterialParam(model, 0, 3, 51, 102, 153, 0.5, 12.0, 10, 20, 30, 40, 50, 60, 7);
    SetPointLightPos(1.5, -2.5, 3.5);
    SceneAmbientColorSet(255, 0, 51);
    SetktexkdifkemikspcMparam(0.1, 0.2, 0.3, 0.4, 0.5, 0.6);
    const int image = CreateImage3d(model);
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0.1);
    RenderImage(image, 0, -1, 0, -1, 0);

    const std::vector<uint8_t> b7 = bufferAtDraw(device::CbMaterial, Call::DrawIndexed, 0);
    ASSERT_EQ(b7.size(), 112u);
    const float floats[][2] = {{0, 51 / 255.0f},  {4, 102 / 255.0f}, {8, 153 / 255.0f}, {12, 0.1f * 0.5f},
                               {16, 12.0f},       {20, 10 / 255.0f}, {24, 20 / 255.0f}, {28, 30 / 255.0f},
                               {36, 40 / 255.0f}, {40, 50 / 255.0f}, {44, 60 / 255.0f}, {48, 0.1f},
                               {52, 0.2f},        {56, 0.3f},        {60, 0.4f},        {64, 1.5f},
                               {68, -2.5f},       {72, 3.5f},        {80, 0.0f},        {84, 0.0f},
                               {88, -5.0f},       {92, 0.5f},        {96, 1.0f},        {100, 0.0f},
                               {104, 0.2f},       {108, 0.6f}};
    for (const auto& f : floats)
        EXPECT_FLOAT_EQ(read<float>(b7, static_cast<size_t>(f[0])), f[1]) << "offset " << f[0];
    EXPECT_EQ(read<int32_t>(b7, 32), 7);
    EXPECT_EQ(read<int32_t>(b7, 76), 0);
    // The triangle pass binds b7 to the pixel stage.
    EXPECT_EQ(backend.log->constantBufferAt(gpu::ShaderStage::Pixel, 7, backend.log->indexOf(Call::DrawIndexed, 0)),
              device::pipeline().cb(device::CbMaterial));
}

TEST_F(RenderCalls, HairConstantsByteForByte) {
    const int model = installModel(quadModel({{}}, 1, 1));
    setEmissive(model, 0, 3, 0, 0, 0);
    Obj3dAllocParticlehairFace(model, 1);
    const int faceno[1] = {1}, count[1] = {7}, spread[1] = {30}, seed[1] = {9};
    const double length[1] = {0.5}, vx[1] = {0.1}, vy[1] = {0.2}, vz[1] = {0.3};
    const int r[1] = {255}, g[1] = {128}, b[1] = {0};
    Obj3dSetParticlehairFace(model, faceno, count, length, spread, seed, vx, vy, vz, r, g, b);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    SetWorldParticlehairRotMatrix(0, 0, 1, 1.5707963267948966);
    const int image = CreateImage3d(model);
    RenderImage(image, 2, -1, 0, -1, 0);

    std::vector<uint8_t> b11 = bufferAtDraw(device::CbParticleHair, Call::DrawIndexedInstanced, 0);
    ASSERT_EQ(b11.size(), 112u);
    EXPECT_EQ(read<int32_t>(b11, 0), 7);
    EXPECT_FLOAT_EQ(read<float>(b11, 4), 0.5f);
    EXPECT_FLOAT_EQ(read<float>(b11, 8), 30.0f);
    EXPECT_EQ(read<int32_t>(b11, 12), 9);
    EXPECT_FLOAT_EQ(read<float>(b11, 16), 0.1f);
    EXPECT_FLOAT_EQ(read<float>(b11, 20), 0.2f);
    EXPECT_FLOAT_EQ(read<float>(b11, 24), 0.3f);
    EXPECT_EQ(read<int32_t>(b11, 28), 0);
    const math::Matrix rot = instance::worldParticlehairRotMatrix();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(read<float>(b11, 32 + 4 * (4 * i + j)), rot.m[j][i]) << i << j;
    EXPECT_EQ(read<int32_t>(b11, 96), 1);
    EXPECT_FLOAT_EQ(read<float>(b11, 100), 1.0f);
    EXPECT_FLOAT_EQ(read<float>(b11, 104), 128 / 255.0f);
    EXPECT_FLOAT_EQ(read<float>(b11, 108), 0.0f);
    const gpu::Buffer* b7 = device::pipeline().cb(device::CbMaterial);
    EXPECT_EQ(backend.log->constantBufferAt(gpu::ShaderStage::Geometry, 7,
                                            backend.log->indexOf(Call::DrawIndexedInstanced, 0)), b7);

    // No colour: mode 0 with a zero colour; a textured material: mode 2.
    Obj3dSetParticlehairFaceEach(model, 0, 7, 0.5, 30, 9, 0.1, 0.2, 0.3, -1, 128, 0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    b11 = bufferAtDraw(device::CbParticleHair, Call::DrawIndexedInstanced, 0);
    EXPECT_EQ(read<int32_t>(b11, 96), 0);
    EXPECT_EQ(read<float>(b11, 104), 0.0f);
    setEmissive(model, 0, 3, 0, 0, 0, 1.0, 100);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(read<int32_t>(bufferAtDraw(device::CbParticleHair, Call::DrawIndexedInstanced, 0), 96), 2);
}

// Material 1 has no face in part 0: its range has count 0 and is not drawn.
// A model without parts draws its hair and no triangle.
TEST_F(RenderCalls, EmptyRangesAndPartlessModelsIssueNoTriangleDraw) {
    const int model = installAndBuild(quadModel({{}}, 1, 2));
    setEmissive(model, 0, 3, 0, 0, 0);
    setEmissive(model, 1, 3, 0, 0, 0);
    RenderImage(CreateImage3d(model), 2, -1, 0, -1, 0);
    EXPECT_EQ(calls(Call::DrawIndexed).size(), 1u);

    const int partless = installModel(quadModel({{}}, 0, 1));
    setEmissive(partless, 0, 3, 0, 0, 0);
    Obj3dAllocParticlehairFace(partless, 1);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    clearFrame();
    RenderImage(CreateImage3d(partless), 2, -1, 0, -1, 0);
    EXPECT_TRUE(calls(Call::DrawIndexed).empty());
    EXPECT_EQ(calls(Call::DrawIndexedInstanced).size(), 1u);
}

// A skinned-layout model without motions: identity in every palette entry,
// not the palette the previous instance left.
TEST_F(RenderCalls, SkinnedModelWithoutMotionsGetsIdentityPalette) {
    ModelBlueprint animated = quadModel({{}}, 1, 1);
    animated.weights.assign(4, {0, -1, 1.0f, 0.0f});
    animated.joints = {{-1, 0, 0, 0}};
    animated.motions = {{1, 0, 0}};
    animated.frameno = {0};
    animated.keyframes = {{0, 0, 0, 1, 2, 2, 2, 0, 0, 0}};
    const int withMotion = installModel(animated);
    ModelBlueprint still = animated;
    still.motions.clear();
    const int withoutMotion = installModel(still);
    model::modelSlot(withoutMotion)->head()->skinmode = 2;
    ASSERT_EQ(MakeVertexIndexBuffer0ba(), 1);
    for (int m : {withMotion, withoutMotion}) setEmissive(m, 0, 3, 0, 0, 0);

    RenderImage(CreateImage3d(withMotion), 2, -1, 0, 0, 0);
    RenderImage(CreateImage3d(withoutMotion), 2, -1, 0, 0, 0);
    const gpu::Buffer* b8 = device::pipeline().cb(device::CbJointPalette);
    std::vector<const gpu::Record*> writes;
    for (const gpu::Record* r : calls(Call::WriteBuffer))
        if (r->object == b8) writes.push_back(r);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_FLOAT_EQ(read<float>(writes[0]->bytes, 0), 2.0f);
    ASSERT_EQ(writes[1]->bytes.size(), 120u * sizeof(math::Matrix));
    const math::Matrix identity = math::identity();
    EXPECT_EQ(std::memcmp(writes[1]->bytes.data() + 119 * sizeof identity, &identity, sizeof identity), 0);
    EXPECT_EQ(std::memcmp(writes[1]->bytes.data(), &identity, sizeof identity), 0);
    EXPECT_EQ(calls(Call::DrawIndexed).size(), 2u);
}

// partmode 2: hair faces are placed by their part's matrix, the triangles
// by the world matrix, uploaded again after the hair.
TEST_F(RenderCalls, TrianglesAfterPartPlacedHairUseTheWorldMatrix) {
    const int model = installModel(quadModel({{}}, 1, 1));
    setEmissive(model, 0, 3, 0, 0, 0);
    Obj3dAllocParticlehairFace(model, 1);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    const int image = CreateImage3d(model);
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 1, 2, 3, 1.0);
    Image3dPartinfoSet(image, 0, 1, 1, 1, 0, 0, 0, 5, 0, 0, 1.0);
    Image3dSetRendarparam(image, 0, 0, 2, 1);
    RenderImage(image, 2, -1, 0, -1, 0);

    auto translationAt = [&](Call call) {
        const std::vector<uint8_t> b2 = bufferAtDraw(device::CbWorld, call, 0);
        return std::array<float, 3>{read<float>(b2, 12), read<float>(b2, 28), read<float>(b2, 44)};
    };
    EXPECT_EQ(translationAt(Call::DrawIndexedInstanced), (std::array<float, 3>{6, 2, 3}));
    EXPECT_EQ(translationAt(Call::DrawIndexed), (std::array<float, 3>{1, 2, 3}));
}

}  // namespace
}  // namespace korvel::testing
