// Draws that would read outside a buffer or a table are skipped: stale
// instances, models their group was not built for, ranges and hair faces
// outside the buffers, poses the constant buffers cannot hold.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::Call;

class RenderSafety : public SceneTest {
protected:
    size_t draws() const { return calls(Call::DrawIndexed).size() + calls(Call::DrawIndexedInstanced).size(); }
};

TEST_F(RenderSafety, InstanceOfAClearedOrReshapedModelDrawsNothing) {
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
}

TEST_F(RenderSafety, ModelNotBuiltSinceItWasLoadedDrawsNothing) {
    const int never = installModel(quadModel({{}}, 1, 1));
    setEmissive(never, 0, 3, 0, 0, 0);
    const int image = CreateImage3d(never);
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 0u);

    MakeVertexIndexBuffer0();
    const int late = installModel(quadModel({{}}, 1, 1));  // after the build of its group
    setEmissive(late, 0, 3, 0, 0, 0);
    clearFrame();
    RenderImage(CreateImage3d(late), 2, -1, 0, -1, 0);
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 1u) << "the model loaded after the build draws nothing";
}

TEST_F(RenderSafety, RangesAndHairOutsideTheBuffersAreSkipped) {
    const int model = installModel(quadModel({{0, 0}, {0, 1, 1, 1, 2, 2}}, 1, 2));
    setEmissive(model, 0, 3, 0, 0, 0);
    setEmissive(model, 1, 3, 0, 0, 0);
    Obj3dAllocParticlehairFace(model, 2);
    MakeVertexIndexBuffer0();
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    model::Obj3dModel& m = *model::modelSlot(model);
    m.drawrange[1].start = 1 << 30;   // material 1 points past the index buffer
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

TEST_F(RenderSafety, PoseTheConstantBuffersCannotHoldDrawsNothing) {
    ModelBlueprint blueprint = quadModel({{}}, 1, 1);
    blueprint.weights.assign(4, {0, -1, 1.0f, 0.0f});
    blueprint.joints.assign(121, {-1, 0, 0, 0});
    blueprint.motions = {{1, 0, 0}};
    blueprint.frameno = {0};
    blueprint.keyframes.assign(121, {0, 0, 0, 1, 1, 1, 1, 0, 0, 0});
    const int model = installAndBuild(blueprint);
    setEmissive(model, 0, 3, 0, 0, 0);
    const int image = CreateImage3d(model);
    RenderImage(image, 2, -1, 0, 0, 0);
    RenderImage(image, 2, -1, 0, -1, 0);
    EXPECT_EQ(draws(), 0u);
    EXPECT_EQ(calls(Call::DrawIndexed).size(), 0u);
}

}  // namespace
}  // namespace korvel::testing
