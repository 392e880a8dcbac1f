// Fitting, translating and reading the boxes of an instance whose boxes are
// known: part 0 a unit cube, part 1 a 2 x 2 square in the plane x = 5 (flat),
// part 2 without a vertex; the instance doubled and moved by (1, 0, 0).
#include <limits>
#include <vector>

#include "Korvelv0.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

class Boxes : public StoreTest {
protected:
    void SetUp() override {
        ModelBlueprint blueprint;
        blueprint.numpart = 3;
        for (int c = 0; c < 8; ++c) blueprint.vertices.push_back(vertexAt(0, c & 1, (c >> 1) & 1, (c >> 2) & 1));
        for (int c = 0; c < 4; ++c) blueprint.vertices.push_back(vertexAt(1, 5, 2.0f * (c & 1), 2.0f * (c >> 1)));
        blueprint.vertices.push_back(vertexAt(2, 50, 50, 50, 0));  // a copy counts for nothing
        image = CreateImage3d(installModel(blueprint));
        ImageSetScaleRotTransAlpha(image, 2, 2, 2, 0, 0, 0, 1, 0, 0, 1);
    }
    const instance::Image3dInstance& record() const { return *instance::image3d(image); }
    int image = -1;
};

// Part boxes handed to the caller: centre and extents per part.
struct PartArrays {
    std::vector<double> a[6] = {std::vector<double>(3, 7.0), std::vector<double>(3, 7.0), std::vector<double>(3, 7.0),
                                std::vector<double>(3, 7.0), std::vector<double>(3, 7.0), std::vector<double>(3, 7.0)};
    void fit(int image, int selector) {
        Image3dCalcAaboxOboxVtxCpu1(image, -1, 0, selector, a[0].data(), a[1].data(), a[2].data(), a[3].data(),
                                    a[4].data(), a[5].data());
    }
};

TEST_F(Boxes, KnownBoxesFlatOnesPresentEmptyPartsAbsent) {
    PartArrays parts;
    parts.fit(image, 0);
    const math::Aabox& box = record().aabox;
    EXPECT_TRUE(box.center.x == 6 && box.center.y == 2 && box.center.z == 2);
    EXPECT_TRUE(box.extents.x == 5 && box.extents.y == 2 && box.extents.z == 2);
    const double expected[2][6] = {{2, 1, 1, 1, 1, 1}, {11, 2, 2, std::numeric_limits<float>::min(), 2, 2}};
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < 6; ++i) EXPECT_EQ(parts.a[i][p], expected[p][i]) << "part " << p << ", field " << i;
    EXPECT_EQ(parts.a[3][2], -1.0);  // the empty part
    EXPECT_EQ(parts.a[4][2], 7.0);

    const math::Obox& cube = record().part(0)->obox;
    EXPECT_NEAR(cube.center.x, 2, 1e-6f);
    EXPECT_NEAR(cube.extents.x * cube.extents.y * cube.extents.z, 1, 1e-5f);
    EXPECT_GT(record().part(1)->obox.extents.x, 0.0f);  // flat, but a box
    EXPECT_NEAR(record().part(1)->obox.center.x, 11, 1e-5f);
    EXPECT_EQ(record().part(2)->obox.extents.x, -1.0f);
    EXPECT_EQ(IntersectImage3dObox(image, 1, image, 1), 1);
    EXPECT_EQ(IntersectImage3dObox(image, 0, image, 1), 0);
    EXPECT_EQ(IntersectImage3dObox(image, 2, image, 0), -1);
}

TEST_F(Boxes, TheSelectorChoosesWhichStoredBoxesChange) {
    PartArrays parts;
    parts.fit(image, 1);
    EXPECT_EQ(record().aabox.extents.x, 5.0f);
    EXPECT_EQ(record().part(0)->obox.extents.x, -1.0f);  // still as created
    EXPECT_EQ(parts.a[0][0], 2.0);                       // the caller's arrays whatever the selector
    ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1);
    Image3dCalcAaboxOboxVtxCpu(image, -1, 0, 2);
    EXPECT_EQ(record().aabox.extents.x, 5.0f);
    EXPECT_NEAR(record().part(0)->obox.center.x, 0.5f, 1e-6f);
}

TEST_F(Boxes, TranslationMovesPresentBoxesOnlyAndGettersWiden) {
    const double offset[3] = {1, 0, 0};
    Image3dAaboxOboxTranslate(image, offset);  // never computed: the aabox still moves
    EXPECT_EQ(record().aabox.center.x, 1.0f);
    EXPECT_EQ(record().part(0)->obox.center.x, 0.0f);

    Image3dCalcAaboxOboxVtxCpu(image, -1, 0, 0);
    instance::image3d(image)->part(2)->obox.center = {4, 4, 4};
    const math::Obox cube = record().part(0)->obox;
    Image3dAaboxOboxTranslate(image, offset);
    EXPECT_EQ(record().aabox.center.x, 7.0f);
    EXPECT_EQ(record().aabox.extents.x, 5.0f);
    EXPECT_FLOAT_EQ(record().part(0)->obox.center.x, cube.center.x + 1);
    EXPECT_EQ(record().part(0)->obox.extents.z, cube.extents.z);
    EXPECT_EQ(record().part(2)->obox.center.x, 4.0f);  // absent: not moved

    double center[3], extents[3];
    GetImage3dAabox(image, center, extents);
    EXPECT_TRUE(center[0] == 7 && center[1] == 2 && extents[2] == 2);
    std::vector<std::vector<double>> a(10, std::vector<double>(3, 99.0));
    GetImage3dObox(image, a[0].data(), a[1].data(), a[2].data(), a[3].data(), a[4].data(), a[5].data(), a[6].data(),
                   a[7].data(), a[8].data(), a[9].data());
    EXPECT_EQ(a[0][0], record().part(0)->obox.center.x);
    EXPECT_EQ(a[5][1], record().part(1)->obox.extents.z);
    EXPECT_EQ(a[9][0], record().part(0)->obox.orientation.w);
    EXPECT_EQ(a[3][2], -1.0);

    double untouched[3] = {5, 5, 5};
    GetImage3dAabox(150, untouched, untouched);
    Image3dAaboxOboxTranslate(150, untouched);
    Image3dCalcAaboxOboxVtxCpu(-4, 0, 0, 0);
    EXPECT_EQ(untouched[0], 5.0);
}

TEST_F(Boxes, WithoutUnsplitVerticesTheBoxesAreAbsent) {
    ModelBlueprint copies;
    copies.vertices = {vertexAt(0, 1, 1, 1, 7), vertexAt(0, 2, 2, 2, 0)};
    const int none = CreateImage3d(installModel(copies));
    instance::image3d(none)->aabox = {{1, 1, 1}, {3, 3, 3}};
    Image3dCalcAaboxOboxVtxCpu(none, -1, 0, 0);
    EXPECT_EQ(instance::image3d(none)->aabox.extents.x, -1.0f);
    EXPECT_EQ(instance::image3d(none)->part(0)->obox.extents.x, -1.0f);
    EXPECT_EQ(IntersectImage3dAabox(none, none), -1);
}

}  // namespace
}  // namespace korvel::testing
