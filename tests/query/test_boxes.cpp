// Fitting, translating and reading the boxes of posed instances.
#include <cmath>
#include <vector>

#include "Korvelv0.h"
#include "instance/skinned_model.h"
#include "instance/store_fixture.h"
#include "math/quaternion.h"
#include "math/vector.h"

namespace korvel::testing {
namespace {

class Boxes : public StoreTest {
protected:
    int placedInstance(const ModelBlueprint& blueprint) {
        blueprint_ = blueprint;
        const int image = CreateImage3d(installModel(blueprint_));
        ImageSetScaleRotTransAlpha(image, 1.2, 0.8, 1, 0.4, 0.2, -0.9, -1, 2, 3, 1);
        return image;
    }
    std::vector<math::Float3> evaluated(int image, int motion, int frame) {
        std::vector<int> vertices(blueprint_.vertices.size());
        for (size_t i = 0; i < vertices.size(); ++i) vertices[i] = static_cast<int>(i);
        std::vector<double> x(vertices.size()), y(vertices.size()), z(vertices.size());
        Image3dVertexPosGet(image, -1, 0, motion, frame, static_cast<int>(vertices.size()), vertices.data(), x.data(),
                            y.data(), z.data());
        std::vector<math::Float3> out;
        for (size_t i = 0; i < x.size(); ++i) out.push_back({float(x[i]), float(y[i]), float(z[i])});
        return out;
    }
    ModelBlueprint blueprint_;
};

bool inside(const math::Aabox& box, math::Float3 p, float slack) {
    return std::fabs(p.x - box.center.x) <= box.extents.x + slack &&
           std::fabs(p.y - box.center.y) <= box.extents.y + slack &&
           std::fabs(p.z - box.center.z) <= box.extents.z + slack;
}

bool inside(const math::Obox& box, math::Float3 p, float slack) {
    const math::Float3 local = math::inverseRotate(p - box.center, box.orientation);
    return inside(math::Aabox{{0, 0, 0}, box.extents}, local, slack);
}

TEST_F(Boxes, EveryEvaluatedVertexLiesInsideItsBoxes) {
    SkinnedOptions options;
    options.vertices = 600;
    options.parts = 4;
    const int image = placedInstance(skinnedModel(options));
    std::vector<double> cx(4), cy(4), cz(4), ex(4), ey(4), ez(4);
    for (int frame : {0, 13, 40}) {
        Image3dCalcAaboxOboxVtxCpu1(image, 1, frame, 0, cx.data(), cy.data(), cz.data(), ex.data(), ey.data(),
                                    ez.data());
        const instance::Image3dInstance& record = *instance::image3d(image);
        ASSERT_GT(record.aabox.extents.x, 0.0f);
        const std::vector<math::Float3> points = evaluated(image, 1, frame);
        for (size_t v = 0; v < points.size(); ++v) {
            const int part = blueprint_.vertices[v].partno;
            const math::Aabox partBox{{float(cx[part]), float(cy[part]), float(cz[part])},
                                      {float(ex[part]), float(ey[part]), float(ez[part])}};
            ASSERT_TRUE(inside(record.aabox, points[v], 1e-4f)) << v;
            ASSERT_TRUE(inside(partBox, points[v], 1e-4f)) << v;
            ASSERT_TRUE(inside(record.part(part)->obox, points[v], 1e-3f)) << v;
        }
    }
}

TEST_F(Boxes, TheSelectorChoosesWhichStoredBoxesChange) {
    const int image = placedInstance(skinnedModel({}));
    const instance::Image3dInstance& record = *instance::image3d(image);
    std::vector<double> cx(3), cy(3), cz(3), ex(3, 7.0), ey(3), ez(3);

    Image3dCalcAaboxOboxVtxCpu1(image, 0, 0, 1, cx.data(), cy.data(), cz.data(), ex.data(), ey.data(), ez.data());
    EXPECT_GT(record.aabox.extents.x, 0.0f);
    EXPECT_EQ(record.part(0)->obox.extents.x, -1.0f);
    EXPECT_GT(ex[0], 0.0);  // the caller's arrays whatever the selector
    EXPECT_NE(ex[2], 7.0);

    const math::Aabox before = record.aabox;
    Image3dCalcAaboxOboxVtxCpu(image, 0, 30, 2);
    EXPECT_EQ(record.aabox.center.x, before.center.x);
    EXPECT_EQ(record.aabox.extents.y, before.extents.y);
    EXPECT_GT(record.part(2)->obox.extents.x, 0.0f);
}

TEST_F(Boxes, PartsWithoutPointsHaveNoBoxSingleVertexPartsDo) {
    ModelBlueprint blueprint;
    blueprint.numpart = 3;
    blueprint.vertices = {vertexAt(0, 0, 0, 0),    vertexAt(0, 1, 2, 3), vertexAt(0, 1, 2, 3, 1),  // a copy
                     vertexAt(0, 0, 3, -1),   vertexAt(0, 2, 0, 1), vertexAt(2, 5, 5, 5),
                     vertexAt(1, 9, 9, 9, 5)};  // a copy in part 1 counts for nothing
    const int image = CreateImage3d(installModel(blueprint));
    instance::Partinfo& part1 = *instance::image3d(image)->part(1);
    part1.obox.center = {4, 4, 4};
    std::vector<double> cx(3), cy(3), cz(3), ex(3, 7.0), ey(3, 7.0), ez(3);
    Image3dCalcAaboxOboxVtxCpu1(image, -1, 0, 0, cx.data(), cy.data(), cz.data(), ex.data(), ey.data(), ez.data());

    EXPECT_EQ(part1.obox.extents.x, -1.0f);
    EXPECT_EQ(part1.obox.center.x, 4.0f);  // the other fields are kept
    EXPECT_EQ(ex[1], -1.0);
    EXPECT_EQ(ey[1], 7.0);
    const math::Obox& single = instance::image3d(image)->part(2)->obox;  // a point, but a box
    EXPECT_GT(single.extents.x, 0.0f);
    EXPECT_EQ(single.center.y, 5.0f);
    EXPECT_EQ(IntersectImage3dObox(image, 2, image, 2), 1);
    EXPECT_EQ(IntersectImage3dObox(image, 2, image, 0), 0);
    EXPECT_EQ(IntersectImage3dObox(image, 1, image, 0), -1);
    EXPECT_EQ(IntersectImage3dObox(image, 0, image, 0), 1);

    const double offset[3] = {1, 0, 0};
    Image3dAaboxOboxTranslate(image, offset);
    EXPECT_EQ(part1.obox.center.x, 4.0f);
    EXPECT_EQ(single.center.x, 6.0f);
}

TEST_F(Boxes, AModelWithoutUnsplitVerticesLeavesTheBoxesAbsent) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 1, 1, 1, 7), vertexAt(0, 2, 2, 2, 0)};  // copies only
    const int image = CreateImage3d(installModel(blueprint));
    instance::image3d(image)->aabox = {{1, 1, 1}, {3, 3, 3}};
    Image3dCalcAaboxOboxVtxCpu(image, -1, 0, 0);
    EXPECT_EQ(instance::image3d(image)->aabox.extents.x, -1.0f);
    EXPECT_EQ(instance::image3d(image)->part(0)->obox.extents.x, -1.0f);
    EXPECT_EQ(IntersectImage3dAabox(image, image), -1);

    ModelBlueprint empty;
    const int none = CreateImage3d(installModel(empty));
    Image3dCalcAaboxOboxVtxCpu(none, 0, 0, 0);
    EXPECT_EQ(instance::image3d(none)->aabox.extents.x, -1.0f);
}

TEST_F(Boxes, TranslationMovesPresentBoxesOnly) {
    const int image = placedInstance(skinnedModel({}));
    Image3dCalcAaboxOboxVtxCpu(image, 0, 0, 0);
    instance::Image3dInstance& record = *instance::image3d(image);
    record.part(1)->obox.extents.x = 0.0f;  // absent
    const math::Aabox aabox = record.aabox;
    const math::Obox part0 = record.part(0)->obox;
    const math::Obox part1 = record.part(1)->obox;
    const double offset[3] = {1, 0, 0};
    Image3dAaboxOboxTranslate(image, offset);
    EXPECT_FLOAT_EQ(record.aabox.center.x, aabox.center.x + 1.0f);
    EXPECT_EQ(record.aabox.center.y, aabox.center.y);
    EXPECT_EQ(record.aabox.extents.x, aabox.extents.x);
    EXPECT_FLOAT_EQ(record.part(0)->obox.center.x, part0.center.x + 1.0f);
    EXPECT_EQ(record.part(0)->obox.extents.z, part0.extents.z);
    EXPECT_EQ(record.part(0)->obox.orientation.w, part0.orientation.w);
    EXPECT_EQ(record.part(1)->obox.center.x, part1.center.x);

    // An aabox that was never computed still moves.
    const int fresh = CreateImage3d(record.modelno);
    Image3dAaboxOboxTranslate(fresh, offset);
    EXPECT_EQ(instance::image3d(fresh)->aabox.center.x, 1.0f);
}

TEST_F(Boxes, GettersWidenTheStoredBoxesAndIgnoreEmptySlots) {
    const int image = placedInstance(skinnedModel({}));
    Image3dCalcAaboxOboxVtxCpu(image, 1, 20, 0);
    const instance::Image3dInstance& record = *instance::image3d(image);
    double center[3], extents[3];
    GetImage3dAabox(image, center, extents);
    EXPECT_EQ(center[1], record.aabox.center.y);
    EXPECT_EQ(extents[2], record.aabox.extents.z);

    std::vector<std::vector<double>> a(10, std::vector<double>(3, 99.0));
    GetImage3dObox(image, a[0].data(), a[1].data(), a[2].data(), a[3].data(), a[4].data(), a[5].data(), a[6].data(),
                   a[7].data(), a[8].data(), a[9].data());
    const math::Obox& box = record.part(2)->obox;
    EXPECT_EQ(a[0][2], box.center.x);
    EXPECT_EQ(a[5][2], box.extents.z);
    EXPECT_EQ(a[6][2], box.orientation.x);
    EXPECT_EQ(a[9][2], box.orientation.w);

    double untouched[3] = {5, 5, 5};
    GetImage3dAabox(150, untouched, untouched);
    Image3dAaboxOboxTranslate(150, untouched);
    Image3dCalcAaboxOboxVtxCpu(-4, 0, 0, 0);
    EXPECT_EQ(untouched[0], 5.0);
}

}  // namespace
}  // namespace korvel::testing
