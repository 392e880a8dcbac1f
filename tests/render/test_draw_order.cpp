// The order of RenderImage's draws, which no pixel shows: hair first, then
// the triangles part by part and, within a part, material by material, each
// with its own range, the model's base vertex and start index.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::Call;

class DrawOrder : public SceneTest {};

// A filler model first, so that the drawn one has a non-zero base vertex
// and start index; faces stored (part 0, material 1), (0, 0), (1, 0), (1, 1).
TEST_F(DrawOrder, HairFirstThenPartsByMaterialWithTheirRanges) {
    installModel(quadModel({{}}, 1, 1));
    const int model = installAndBuild(
        quadModel({{0, 1, -2, 0, -1, 1}, {0, 0, -1, 0, 0, 1}, {1, 0, 0, 0, 1, 1}, {1, 1, 1, 0, 2, 1}}, 2, 2));
    setEmissive(model, 0, 3, 10, 0, 0);
    setEmissive(model, 1, 3, 20, 0, 0);
    Obj3dAllocParticlehairFace(model, 2);
    ASSERT_EQ(MakeParticleHairIndexBuffer(), 1);
    const model::Obj3dHeader& h = *model::modelSlot(model)->head();
    ASSERT_EQ(h.basevertex, 4);
    ASSERT_EQ(h.startindex, 6);

    RenderImage(CreateImage3d(model), 2, -1, 0, -1, 0);
    const auto hair = calls(Call::DrawIndexedInstanced);
    ASSERT_EQ(hair.size(), 2u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(hair[i]->args, (std::array<int64_t, 5>{3, 3, h.hairstartindex + 3 * i, 4, 0}));
    EXPECT_LT(backend.log->indexOf(Call::DrawIndexedInstanced, 1), backend.log->indexOf(Call::DrawIndexed, 0));
    const auto triangles = calls(Call::DrawIndexed);
    ASSERT_EQ(triangles.size(), 4u);
    const int64_t starts[4] = {6, 0, 12, 18};  // (0, 0), (0, 1), (1, 0), (1, 1)
    for (size_t n = 0; n < 4; ++n)
        EXPECT_EQ(triangles[n]->args, (std::array<int64_t, 5>{6, 6 + starts[n], 4, 0, 0})) << "draw " << n;
}

}  // namespace
}  // namespace korvel::testing
