// What no pixel shows, read from the recorded calls: the order of
// RenderImage's draws (hair first, then the triangles part by part and,
// within a part, material by material, each with its own range, the model's
// base vertex and start index), and the draws skipped because they would read
// outside a buffer or a table: stale instances, models their group was not
// built for, ranges and hair faces outside the buffers, poses the constant
// buffers cannot hold (with the skinned pixels).
#include "Korvelv0.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::Call;

class DrawCalls : public SceneTest {
protected:
    size_t draws() const { return calls(Call::DrawIndexed).size() + calls(Call::DrawIndexedInstanced).size(); }
};

// A filler model first, so that the drawn one has a non-zero base vertex
// and start index; faces stored (part 0, material 1), (0, 0), (1, 0), (1, 1).
TEST_F(DrawCalls, HairFirstThenPartsByMaterialWithTheirRanges) {
    installModel(quadModel({{}}, 1, 1));
    const int model = installAndBuild(
        quadModel({{0, 1, -2, 0, -1, 1}, {0, 0, -1, 0, 0, 1}, {1, 0, 0, 0, 1, 1}, {1, 1, 1, 0, 2, 1}}, 2, 2));
    setEmissive(model, 0, 3, 10, 0, 0);
    setEmissive(model, 1, 3, 20, 0, 0);
    Obj3dAllocParticlehairFace(model, 2);
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    const model::Obj3dHeader& h = *model::modelSlot(model)->head();  // base vertex 4, start index 6

    RenderImage(CreateImage3d(model), 2, -1, 0, -1, 0);
    const auto hair = calls(Call::DrawIndexedInstanced);
    ASSERT_EQ(hair.size(), 2u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(hair[i]->args, (std::array<int64_t, 5>{3, 3, h.hairstartindex + 3 * i, 4, 0}));
    const auto triangles = calls(Call::DrawIndexed);
    ASSERT_EQ(triangles.size(), 4u);
    EXPECT_LT(hair[1], triangles[0]) << "records in call order: the hair first";
    const int64_t starts[4] = {6, 0, 12, 18};  // (0, 0), (0, 1), (1, 0), (1, 1)
    for (size_t n = 0; n < 4; ++n)
        EXPECT_EQ(triangles[n]->args, (std::array<int64_t, 5>{6, 6 + starts[n], 4, 0, 0})) << "draw " << n;
}

// Stale instances: their model cleared, reloaded with fewer parts, or loaded
// after the build of its group.
TEST_F(DrawCalls, StaleInstancesAndModelsNotBuiltDrawNothing) {
    const int model = installAndBuild(quadModel({{0, 0}, {1, 0, 1, 1, 2, 2}}, 2, 1));
    setEmissive(model, 0, 3, 0, 0, 0);
    const int image = CreateImage3d(model);
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 2u);

    ClearObj3d(model, 0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    ToolRenderImage(image, -1, 0, -1, 0, 1, 1);
    EXPECT_EQ(draws(), 0u);

    ASSERT_EQ(installAndBuild(quadModel({{}}, 1, 1)), model);  // same slot, one part
    setEmissive(model, 0, 3, 0, 0, 0);
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 0u);
    EXPECT_TRUE(calls(Call::WriteBuffer).empty()) << "nothing is uploaded for a stale instance";

    const int late = installModel(quadModel({{}}, 1, 1));  // after the build of its group
    setEmissive(late, 0, 3, 0, 0, 0);
    clearFrame();
    RenderImage(CreateImage3d(late), 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 0u) << "the model loaded after the build draws nothing";
}

TEST_F(DrawCalls, RangesAndHairOutsideTheBuffersAreSkipped) {
    const int model = installModel(quadModel({{0, 0}, {0, 1, 1, 1, 2, 2}}, 1, 2));
    setEmissive(model, 0, 3, 0, 0, 0);
    setEmissive(model, 1, 3, 0, 0, 0);
    Obj3dAllocParticlehairFace(model, 2);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    model::Obj3dModel& m = *model::modelSlot(model);
    m.drawrange[1].start = 1 << 30;    // material 1 points past the index buffer
    m.particlehairface[1].faceno = 9;  // face 9 does not exist
    const int image = CreateImage3d(model);
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(calls(Call::DrawIndexed).size(), 1u);
    EXPECT_EQ(calls(Call::DrawIndexedInstanced).size(), 1u);

    m.head()->hairstartindex = 4;  // hair face 1 would end past the hair buffer
    m.particlehairface[1].faceno = 0;
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(calls(Call::DrawIndexedInstanced).size(), 0u) << "both faces end past the 6 hair indices";
    m.head()->hairstartindex = 0;
    m.head()->basevertex = 5;  // 8 vertices from 5 run past the vertex buffer
    clearFrame();
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 0u);
}

}  // namespace
}  // namespace korvel::testing
