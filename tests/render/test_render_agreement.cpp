// The GPU and the CPU pose agree: the silhouette a skinned, animated,
// shape-keyed instance draws (with vertices no joint weighs) is the one its
// CPU-evaluated vertices project to, in both skinned layouts, and the boxes
// RenderImage computes are those of the CPU evaluation.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

#include "Korvelv0.h"
#include "model/model_buffers.h"
#include "query/picking.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

constexpr int kWidth = 800, kHeight = 600;

// A world point in pixel coordinates (not rounded), through the camera.
using Pixel = query::ProjectedPoint;

double edge(Pixel a, Pixel b, double px, double py) { return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x); }

// The CPU silhouette of the front-facing (clockwise on screen) triangles, to
// a pixel: `inner` marks pixel centres at least one pixel inside some
// triangle, `outer` those at most one pixel outside one.
struct Silhouette {
    std::vector<uint8_t> inner = std::vector<uint8_t>(kWidth * kHeight, 0);
    std::vector<uint8_t> outer = std::vector<uint8_t>(kWidth * kHeight, 0);
};

Silhouette cpuSilhouette(const model::Obj3dModel& m, const std::vector<Pixel>& screen) {
    Silhouette out;
    for (size_t f = 0; f < m.face.size(); ++f) {
        const int32_t* v = m.face[f].vertexno;
        const Pixel p[3] = {screen[v[0]], screen[v[1]], screen[v[2]]};
        if (edge(p[0], p[1], p[2].x, p[2].y) <= 0) continue;  // counter-clockwise: culled
        double length[3];
        for (int i = 0; i < 3; ++i) length[i] = std::hypot(p[(i + 1) % 3].x - p[i].x, p[(i + 1) % 3].y - p[i].y);
        const int x0 = std::max(0, int(std::floor(std::min({p[0].x, p[1].x, p[2].x}))) - 2);
        const int x1 = std::min(kWidth - 1, int(std::ceil(std::max({p[0].x, p[1].x, p[2].x}))) + 2);
        const int y0 = std::max(0, int(std::floor(std::min({p[0].y, p[1].y, p[2].y}))) - 2);
        const int y1 = std::min(kHeight - 1, int(std::ceil(std::max({p[0].y, p[1].y, p[2].y}))) + 2);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                double d = 1e9;  // signed distance inside the nearest edge
                for (int i = 0; i < 3; ++i) d = std::min(d, edge(p[i], p[(i + 1) % 3], x + 0.5, y + 0.5) / length[i]);
                const size_t at = size_t(y) * kWidth + x;
                if (d >= 1.0) out.inner[at] = 1;
                if (d >= -1.0) out.outer[at] = 1;
            }
    }
    return out;
}

// GPU pixels outside the outer silhouette, and inner pixels the GPU missed.
int disagreements(const Silhouette& cpu, const gpu::Image& shot) {
    int bad = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool drawn = pixelAt(shot, x, y).r > 128;
            const size_t at = size_t(y) * kWidth + x;
            if (drawn ? !cpu.outer[at] : cpu.inner[at]) bad++;
        }
    return bad;
}

// The generated skinned model with two shape keys over its first 40
// unsplit vertices: kind 0's rows name list entries 0 to 19, kind 1's rows
// entries 20 to 39, each moving between frames 0 and 10. Every tenth source
// vertex (and its copies) is weighed by no joint. With normals (a constant
// normal: only the positions matter here) when normalmode is 1.
int installShapedSkinnedModel(int normalmode) {
    SkinnedOptions options;
    options.joints = 12;
    options.vertices = 150;
    options.parts = 3;
    options.seed = 7 + static_cast<unsigned>(normalmode);
    ModelBlueprint blueprint = skinnedModel(options);
    constexpr size_t kMoved = 40;
    constexpr int kPerKind = 20;
    for (int v = 0; v < static_cast<int>(blueprint.vertices.size()); ++v) {
        const int original = blueprint.vertices[static_cast<size_t>(v)].originalvertexno;
        if (original < 0 && blueprint.shapekeyvertex.size() < kMoved) blueprint.shapekeyvertex.push_back(v);
        if ((original < 0 ? v : original) % 10 == 0) blueprint.weights[static_cast<size_t>(v)] = {0, -1, 0.0f, 0.0f};
    }
    blueprint.shapekeyinfo = {{kPerKind, 2, 0}, {kPerKind, 2, 2 * kPerKind}};
    for (int k = 0; k < 2 * kPerKind; ++k) {  // kind 0's rows, then kind 1's
        const int row = k % kPerKind;
        blueprint.shapekeytrans.push_back({k, 0, 0.0f, 0.0f, 0.0f});
        blueprint.shapekeytrans.push_back(k < kPerKind ? model::Shapekeytrans{k, 10, 0.02f * row, -0.5f, 0.3f}
                                                       : model::Shapekeytrans{k, 10, -0.4f, 0.03f * row, -0.2f});
    }
    const int model = installModel(blueprint);
    model::Obj3dModel& m = *model::modelSlot(model);
    m.head()->normalmode = normalmode;
    if (normalmode == 1) {
        m.normal.allocate(m.vertex.size());
        for (size_t v = 0; v < m.vertex.size(); ++v) m.normal[v] = {0.0f, 0.0f, -1.0f};
    }
    normalmode == 1 ? MakeVertexIndexBuffer1ba() : MakeVertexIndexBuffer0ba();
    return model;
}

class RenderAgreement : public SceneTest {};

TEST_F(RenderAgreement, SkinnedSilhouetteAndBoxesMatchTheCpuPose) {
    for (int normalmode : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "normalmode " << normalmode);
        const int model = installShapedSkinnedModel(normalmode);
        ASSERT_EQ(model::groupOf(*model::modelSlot(model)->head()),
                  normalmode == 1 ? model::LayoutGroup::NormalSkinned : model::LayoutGroup::PlainSkinned);
        setEmissive(model, 0, 0, 255, 255, 255);
        ViewMatrixValueSet(0, 0, -14, 0, 0, 0, 0, 1, 0);
        const query::ScreenCamera camera = query::currentScreenCamera();
        const int drawn = CreateImage3d(model);
        const int evaluated = CreateImage3d(model);
        for (int image : {drawn, evaluated})
            ImageSetScaleRotTransAlpha(image, 0.9, 1.1, 1, 0.3, -0.4, 0.2, 0.5, -0.3, 1, 1.0);
        Image3dSetRendarparam(drawn, 3, 0, 0, 0);

        const model::Obj3dModel& m = *model::modelSlot(model);
        const int n = m.head()->NumVertex;
        std::vector<int> all(static_cast<size_t>(n));
        std::iota(all.begin(), all.end(), 0);
        std::vector<double> x(all.size()), y(all.size()), z(all.size());
        for (int motion : {0, 1})
            for (int frame : {0, 7, 25, 33, 60}) {
                const int shapekey = frame % 2 == 1 ? motion : -1;
                SCOPED_TRACE(::testing::Message()
                             << "motion " << motion << ", frame " << frame << ", shape key " << shapekey);
                clearFrame();
                RenderImage(drawn, 2, shapekey, 5, motion, frame);
                Image3dVertexPosGet(drawn, shapekey, 5, motion, frame, n, all.data(), x.data(), y.data(), z.data());
                std::vector<Pixel> screen;
                for (size_t v = 0; v < all.size(); ++v)
                    screen.push_back(query::project(camera, {float(x[v]), float(y[v]), float(z[v])}));
                const Silhouette cpu = cpuSilhouette(m, screen);
                const gpu::Image shot = capture();
                EXPECT_GT(std::count(cpu.inner.begin(), cpu.inner.end(), 1), 2000);
                EXPECT_EQ(disagreements(cpu, shot), 0);

                // RenderImage's boxes are those of the CPU evaluation at the same pose.
                Image3dCalcAaboxOboxVtxCpu(evaluated, motion, frame, 3);
                const instance::Image3dInstance &a = *instance::image3d(drawn), &b = *instance::image3d(evaluated);
                EXPECT_EQ(std::memcmp(&a.aabox, &b.aabox, sizeof a.aabox), 0);
                for (int p = 0; p < 3; ++p)
                    EXPECT_EQ(std::memcmp(&a.part(p)->obox, &b.part(p)->obox, sizeof(math::Obox)), 0) << "part " << p;
            }
    }
}

}  // namespace
}  // namespace korvel::testing
