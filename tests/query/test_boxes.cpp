// Fitting, translating, reading and intersecting the boxes of an instance
// whose boxes are known: part 0 a unit cube, part 1 a 2 x 2 square in the
// plane x = 5 (flat), part 2 without a vertex; the instance doubled and moved
// by (1, 0, 0). Then the overlap tests on hand-placed boxes.
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <numeric>
#include <vector>

#include "Korvelv0.h"
#include "math/bounds.h"
#include "query/boxes.h"
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
        model = installModel(blueprint);
        image = CreateImage3d(model);
        ImageSetScaleRotTransAlpha(image, 2, 2, 2, 0, 0, 0, 1, 0, 0, 1);
    }
    const instance::Image3dInstance& record(int slot = -1) const { return *instance::image3d(slot < 0 ? image : slot); }
    int model = -1, image = -1;
};

TEST_F(Boxes, KnownBoxesFlatOnesPresentEmptyPartsAbsent) {
    std::vector<std::vector<double>> a(6, std::vector<double>(3, 7.0));  // part boxes handed to the caller
    Image3dCalcAaboxOboxVtxCpu1(image, -1, 0, 0, a[0].data(), a[1].data(), a[2].data(), a[3].data(), a[4].data(),
                                a[5].data());
    const math::Aabox& box = record().aabox;
    EXPECT_TRUE(box.center.x == 6 && box.center.y == 2 && box.center.z == 2);
    EXPECT_TRUE(box.extents.x == 5 && box.extents.y == 2 && box.extents.z == 2);
    const double expected[2][6] = {{2, 1, 1, 1, 1, 1}, {11, 2, 2, std::numeric_limits<float>::min(), 2, 2}};
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < 6; ++i) EXPECT_EQ(a[i][p], expected[p][i]) << "part " << p << ", field " << i;
    EXPECT_TRUE(a[3][2] == -1.0 && a[4][2] == 7.0);  // the empty part

    const math::Obox &cube = record().part(0)->obox, &flat = record().part(1)->obox;
    EXPECT_NEAR(cube.center.x, 2, 1e-6f);
    EXPECT_NEAR(cube.extents.x * cube.extents.y * cube.extents.z, 1, 1e-5f);
    EXPECT_TRUE(flat.extents.x > 0 && std::fabs(flat.center.x - 11) < 1e-5f);  // flat, but a box
    EXPECT_EQ(record().part(2)->obox.extents.x, -1.0f);
    EXPECT_EQ(IntersectImage3dObox(image, 1, image, 1), 1);
    EXPECT_EQ(IntersectImage3dObox(image, 0, image, 1), 0);
    EXPECT_EQ(IntersectImage3dObox(image, 2, image, 0), -1);  // absent
    EXPECT_EQ(IntersectImage3dObox(image, 3, image, 0), -1);  // no part 3
    EXPECT_EQ(IntersectImage3dObox(-1, 0, image, 0), -1);

    // A second instance: no box until fitted, then touching (apart: BoxOverlap below).
    const int other = CreateImage3d(model);
    EXPECT_EQ(IntersectImage3dAabox(image, other), -1);
    EXPECT_EQ(IntersectImage3dAabox(image, 42), -1);
    ImageSetScaleRotTransAlpha(other, 1, 1, 1, 0, 0, 0, 10, 0, 0, 1);  // x from 10 to 15 meets ours, 1 to 11
    Image3dCalcAaboxOboxVtxCpu(other, -1, 0, 0);
    EXPECT_EQ(IntersectImage3dAabox(other, image), 1);
}

TEST_F(Boxes, TheSelectorChoosesWhichStoredBoxesChange) {
    Image3dCalcAaboxOboxVtxCpu(image, -1, 0, 1);
    EXPECT_EQ(record().aabox.extents.x, 5.0f);
    EXPECT_EQ(record().part(0)->obox.extents.x, -1.0f);  // still as created
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
    EXPECT_TRUE(record().aabox.center.x == 7.0f && record().aabox.extents.x == 5.0f);
    EXPECT_FLOAT_EQ(record().part(0)->obox.center.x, cube.center.x + 1);
    EXPECT_EQ(record().part(0)->obox.extents.z, cube.extents.z);
    EXPECT_EQ(record().part(2)->obox.center.x, 4.0f);  // absent: not moved

    double center[3], extents[3];
    GetImage3dAabox(image, center, extents);
    EXPECT_TRUE(center[0] == 7 && center[1] == 2 && extents[2] == 2);
    std::vector<std::vector<double>> a(10, std::vector<double>(3, 99.0));
    GetImage3dObox(image, a[0].data(), a[1].data(), a[2].data(), a[3].data(), a[4].data(), a[5].data(), a[6].data(),
                   a[7].data(), a[8].data(), a[9].data());
    EXPECT_TRUE(a[0][0] == record().part(0)->obox.center.x && a[5][1] == record().part(1)->obox.extents.z);
    EXPECT_TRUE(a[9][0] == record().part(0)->obox.orientation.w && a[3][2] == -1.0);

    double untouched[3] = {5, 5, 5};
    GetImage3dAabox(150, untouched, untouched);
    Image3dAaboxOboxTranslate(150, untouched);
    Image3dCalcAaboxOboxVtxCpu(-4, 0, 0, 0);
    EXPECT_EQ(untouched[0], 5.0);
}

// Only split copies: no box. (Flat boxes: part 1 above, and the culling pixels.)
TEST_F(Boxes, NoUnsplitVertexNoBox) {
    ModelBlueprint copies;
    copies.vertices = {vertexAt(0, 1, 1, 1, 7), vertexAt(0, 2, 2, 2, 0)};
    const int none = CreateImage3d(installModel(copies));
    instance::image3d(none)->aabox = {{1, 1, 1}, {3, 3, 3}};
    Image3dCalcAaboxOboxVtxCpu(none, -1, 0, 0);
    EXPECT_TRUE(record(none).aabox.extents.x == -1.0f && record(none).part(0)->obox.extents.x == -1.0f);
}

// The fitted box keeps the bits of a plain fit of the posed vertices where
// the order of a comparison shows: a vertex that is not a number, first and
// later. (x spans -1 to 4, since a box of no x extent is widened, see above.)
TEST_F(Boxes, NotANumberGivesThePlainFitsBits) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<math::Float3> orders[2] = {{{-1, 0, 1}, {4, 3, 2}, {nan, 0, 3}, {2, 1, 0}},
                                                 {{nan, 1, 1}, {-1, 2, 0}, {4, 0, 2}}};
    for (const std::vector<math::Float3>& points : orders) {
        ModelBlueprint blueprint;
        for (const math::Float3& p : points) blueprint.vertices.push_back(vertexAt(0, p.x, p.y, p.z));
        const int posed = CreateImage3d(installModel(blueprint));
        Image3dCalcAaboxOboxVtxCpu(posed, -1, 0, 0);
        const int count = static_cast<int>(points.size());
        std::vector<int> all(points.size());
        std::iota(all.begin(), all.end(), 0);
        std::vector<double> x(points.size()), y(points.size()), z(points.size());
        Image3dVertexPosGet(posed, -1, 0, -1, 0, count, all.data(), x.data(), y.data(), z.data());
        std::vector<math::Float3> at;
        for (int v = 0; v < count; ++v) at.push_back({float(x[v]), float(y[v]), float(z[v])});
        const math::Aabox plain = math::aaboxFromPoints(at.size(), at.data());
        EXPECT_EQ(std::memcmp(&record(posed).aabox, &plain, sizeof plain), 0);
    }
}

math::Quaternion aboutZ(float angle) { return {0, 0, std::sin(angle / 2), std::cos(angle / 2)}; }

// Touching boxes overlap. Cubes of extents 0.5 whose centres are 1.2 apart:
// turning one closes the gap. Long thin boxes crossed like an X in different
// z planes: only the cross product of their long axes separates them.
TEST(BoxOverlap, AxisAlignedAndOriented) {
    constexpr float kQuarterPi = std::numbers::pi_v<float> / 4;
    const math::Aabox a{{0, 0, 0}, {1, 1, 1}};
    const math::Obox cube{{0, 0, 0}, {0.5f, 0.5f, 0.5f}, {0, 0, 0, 1}};
    const math::Obox stick{{0, 0, 0}, {5, 0.1f, 0.1f}, aboutZ(kQuarterPi)};
    const math::Quaternion none{0, 0, 0, 1}, turned = aboutZ(kQuarterPi), back = aboutZ(-kQuarterPi);
    struct Case {
        const char* name;
        bool overlap;
        math::Aabox b;
        math::Obox c, d;
    };
    const Case cases[] = {
        {"shared face", true, {{2, 0, 0}, {1, 1, 1}}, cube, {{1, 0, 0}, cube.extents, none}},
        {"shared corner / turned", true, {{2, 2, 2}, {1, 1, 1}}, cube, {{1.2f, 0, 0}, cube.extents, turned}},
        {"contained / crossed", true, {{0, 0, 0}, {0.1f, 0.1f, 0.1f}}, stick, {{0, 0, 0.19f}, stick.extents, back}},
        {"gap in x / apart", false, {{2.001f, 0, 0}, {1, 1, 1}}, cube, {{1.2f, 0, 0}, cube.extents, none}},
        {"gap in -y / crossed apart", false, {{0, -2.5f, 0}, {1, 1, 1}}, stick, {{0, 0, 0.3f}, stick.extents, back}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(query::aaboxOverlap(a, c.b), c.overlap) << c.name;
        EXPECT_EQ(query::aaboxOverlap(c.b, a), c.overlap) << c.name;
        EXPECT_EQ(query::oboxOverlap(c.c, c.d), c.overlap) << c.name;
        EXPECT_EQ(query::oboxOverlap(c.d, c.c), c.overlap) << c.name;
    }
}

}  // namespace
}  // namespace korvel::testing
