// Tool drawing: the edge overlay on opaque parts, the tinted selected faces,
// one marker per unsplit vertex, and the selection arrays that drive them.
#include "Korvelv0.h"
#include "device/pipeline.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::Call;

class ToolRender : public SceneTest {
protected:
    // Draw records issued while geometry shader `gs` was bound.
    std::vector<const gpu::Record*> drawsUnder(device::GeometryShaderId gs, Call call) const {
        const void* shader = device::pipeline().gs(gs);
        const void* bound = nullptr;
        std::vector<const gpu::Record*> out;
        for (const gpu::Record& r : backend.log->records) {
            if (r.call == Call::SetGeometryShader) bound = r.object;
            if (r.call == call && bound == shader) out.push_back(&r);
        }
        return out;
    }
};

// Part 0 opaque, part 1 at alpha 0.5 (partmode 2: part alphas, no part
// transforms): edges and vertex markers only on part 0, one marker per
// unsplit vertex (vertex 8 is a split copy of vertex 0), the selected one red,
// the others purple. A filler model first gives base vertex 4 and start index
// 6. The whole instance at alpha 0.5: none, but a selected face is still tinted.
TEST_F(ToolRender, EdgesAndMarkersOnlyOnOpaquePartsAndUnsplitVertices) {
    ModelBlueprint blueprint = quadModel({{0, 0, -2, -1, -0.5f, 1}, {1, 0, 0.5f, -1, 2, 1}}, 2, 1);
    blueprint.vertices.push_back(blueprint.vertices[0]);
    blueprint.vertices.back().originalvertexno = 0;
    installModel(quadModel({{}}, 1, 1));
    const int model = installAndBuild(blueprint);
    setEmissive(model, 0, 3, 255, 255, 255);
    const int image = CreateImage3d(model);
    Image3dSetRendarparam(image, 0, 0, 2, 0);
    Image3dPartinfoSet(image, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0.5);
    ToolSelectPreparation(model, nullptr);
    ToolPointSetSelect(1, 1);
    ToolRenderImage(image, -1, 0, -1, 0, 1, 1);
    const auto edges = drawsUnder(device::GsToolLine, Call::DrawIndexed);
    ASSERT_EQ(edges.size(), 1u);
    EXPECT_EQ(edges[0]->args, (std::array<int64_t, 5>{6, 6, 4, 0, 0}));
    const auto markers = calls(Call::Draw);
    ASSERT_EQ(markers.size(), 4u);
    for (size_t v = 0; v < 4; ++v) EXPECT_EQ(markers[v]->args[1], 4 + int64_t(v));
    clearFrame();
    ToolRenderImage(image, -1, 0, -1, 0, 1, 0);  // markers without the edges through them
    const gpu::Image shot = capture();
    EXPECT_PRED3(closeTo, at(shot, -2, 1), (Rgba{255, 0, 0}), 3);      // vertex 1, selected
    EXPECT_PRED3(closeTo, at(shot, -0.5, 1), (Rgba{128, 0, 128}), 3);  // vertex 2
    ToolPointSetSelect(1, 0);

    Image3dSetRendarparam(image, 0, 0, 0, 0);
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0.5);
    ToolFaceSetSelect(3, 1);
    clearFrame();
    ToolRenderImage(image, -1, 0, -1, 0, 1, 1);
    EXPECT_TRUE(drawsUnder(device::GsToolLine, Call::DrawIndexed).empty());
    EXPECT_TRUE(calls(Call::Draw).empty());
    const auto tinted = drawsUnder(device::GsShade0, Call::DrawIndexed);
    ASSERT_FALSE(tinted.empty());
    EXPECT_EQ(tinted.back()->args, (std::array<int64_t, 5>{3, 15, 4, 0, 0}));
}

// The edge overlay's lines come from a geometry shader; every call draws
// the same ones (the software rasteriser once misplaced them after the first
// draw, with stray lines through the screen centre, here away from the quad).
TEST_F(ToolRender, EdgeOverlayIsTheSameOnEveryCall) {
    const int model = installAndBuild(quadModel({{0, 0, 0.5f, 0.5f, 1.5f, 1.5f}}, 1, 1));
    setEmissive(model, 0, 3, 255, 255, 255);
    const int image = CreateImage3d(model);
    ToolSelectPreparation(model, nullptr);
    gpu::Image shots[3];
    for (gpu::Image& shot : shots) {
        clearFrame();
        ToolRenderImage(image, -1, 0, -1, 0, 0, 1);
        shot = capture();
        EXPECT_EQ(at(shot, 0, 0), (Rgba{1, 0, 0})) << "nothing drawn at the screen centre";
    }
    EXPECT_EQ(shots[0].rgba, shots[1].rgba);
    EXPECT_EQ(shots[1].rgba, shots[2].rgba);
}

// A white quad: a selected face turns (0.5, 1, 1) through the half blend
// with the cyan tint (it redraws the same triangles, so it shows only with
// a less-or-equal depth test); the other face stays white. In partmode 1 the
// selected face of part 0 is tinted where part 0 is drawn, not where part 1
// (moved right by its own transform) is.
TEST_F(ToolRender, SelectedFacesAreTintedOnTheirPart) {
    const int model = installAndBuild(quadModel({{0, 0, -2, -1, -1, 1}, {1, 0, -2, -1, -1, 1}}, 2, 1));
    setEmissive(model, 0, 0, 255, 255, 255);
    const int image = CreateImage3d(model);
    Image3dSetRendarparam(image, 0, 0, 1, 0);
    Image3dPartinfoSet(image, 1, 1, 1, 1, 0, 0, 0, 3, 0, 0, 1.0);
    ToolSelectPreparation(model, nullptr);
    ToolRenderImage(image, -1, 0, -1, 0, 0, 1);
    EXPECT_PRED3(closeTo, at(capture(), -1.75, 0.5), (Rgba{255, 255, 255}), 3) << "no face selected";
    ToolFaceSetSelect(0, 1);
    clearFrame();
    ToolRenderImage(image, -1, 0, -1, 0, 0, 1);
    const gpu::Image shot = capture();
    EXPECT_PRED3(closeTo, at(shot, -1.75, 0.5), (Rgba{128, 255, 255}), 3);
    EXPECT_PRED3(closeTo, at(shot, -1.25, -0.5), (Rgba{255, 255, 255}), 3);
    EXPECT_PRED3(closeTo, at(shot, 1.25, 0.5), (Rgba{255, 255, 255}), 3);
}

// Without overlays both passes draw. A tool-made model
// has no parts: no triangles and no edges, but selected faces (the low byte
// of the flag) and vertex markers draw; arrays prepared for another model
// draw no overlay.
TEST_F(ToolRender, PlainPassesPartlessModelsAndForeignSelections) {
    const int model = installAndBuild(quadModel({{0, 0, -2, -1, -0.2f, 1}, {0, 1, 0.2f, -1, 2, 1}}, 1, 2));
    setEmissive(model, 0, 3, 255, 0, 0, 1.0);
    setEmissive(model, 1, 3, 0, 255, 0, 0.5);
    const int image = CreateImage3d(model);
    ToolRenderImage(image, -1, 0, -1, 0, 0, 0);
    EXPECT_PRED3(closeTo, at(capture(), 1.1, 0), (Rgba{0, 128, 0}), 3);  // the second pass

    const int partless = installAndBuild(quadModel({{}}, 0, 1));
    const int bare = CreateImage3d(partless);
    int counts[2] = {0, 0};
    ToolSelectPreparation(partless, counts);
    EXPECT_TRUE(counts[0] == 4 && counts[1] == 2);
    ToolFaceSetSelect(1, 0x101);  // the low byte: selected
    ToolFaceSetSelect(2, 1);      // outside the arrays: ignored
    ToolPointSetSelect(-1, 1);
    clearFrame();
    ToolRenderImage(bare, -1, 0, -1, 0, 1, 1);
    EXPECT_TRUE(drawsUnder(device::GsToolLine, Call::DrawIndexed).empty());
    const auto faces = calls(Call::DrawIndexed);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(faces[0]->args[0], 3);
    EXPECT_EQ(faces[0]->args[1], model::modelSlot(partless)->head()->startindex + 3);  // face 1
    EXPECT_EQ(calls(Call::Draw).size(), 4u);
    ToolSelectPreparation(model, nullptr);
    clearFrame();
    ToolRenderImage(bare, -1, 0, -1, 0, 1, 1);
    EXPECT_TRUE(calls(Call::DrawIndexed).empty());
    EXPECT_TRUE(calls(Call::Draw).empty());
}

}  // namespace
}  // namespace korvel::testing
