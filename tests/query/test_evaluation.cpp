// CPU evaluation of posed instances on a hand-worked arm: between frames 0
// and 10 joint 0 turns a quarter about z, triples and rises by 4, joint 1
// (its child, rest at (1, 0, 0)) turns a quarter about its rest position;
// the instance stands at (10, 0, 0). The joint matrices, their chaining and
// the key search are pinned here through the vertices they move. Then box
// fitting and ray picking, which pose the whole model in one pass, against
// the same fits and ray tests over positions read vertex by vertex.
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "Korvelv0.h"
#include "math/bounds.h"
#include "query/instance_pose.h"
#include "query/picking.h"
#include "support/math.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

const float kH = std::sqrt(0.5f);

// Every vertex starts at (2, 0, 0): 0 on joint 0, 1 on joint 1, 2 half on
// each, 3 on no joint, 4 a split copy of 1, 5 with its first joint missing
// (only 0.75 of joint 1 counts), 6 in part 1 on joint 0. Shape keys: kind 0 lifts list
// entry 0 (vertex 1) by up to 2, kind 1 entry 1 (vertex 0) by up to 4.
ModelBlueprint armModel() {
    ModelBlueprint blueprint;
    blueprint.numpart = 2;
    for (int v = 0; v < 7; ++v) blueprint.vertices.push_back(vertexAt(v == 6 ? 1 : 0, 2, 0, 0, v == 4 ? 1 : -1));
    blueprint.weights = {{0, -1, 1, 0}, {1, -1, 1, 0},         {0, 1, 0.5f, 0.5f}, {0, -1, 0, 0},
                         {1, -1, 1, 0}, {99, 1, 0.25f, 0.75f}, {0, -1, 1, 0}};
    blueprint.joints = {{-1, 0, 0, 0}, {0, 1, 0, 0}};
    blueprint.motions = {{2, 0, 0}};
    blueprint.frameno = {0, 10};
    blueprint.keyframes = {{0, 0, 0, 1, 1, 1, 1, 0, 0, 0},
                           {0, 0, kH, kH, 3, 3, 3, 0, 0, 4},
                           {0, 0, 0, 1, 1, 1, 1, 1, 0, 0},
                           {0, 0, kH, kH, 1, 1, 1, 1, 0, 0}};
    blueprint.shapekeyvertex = {1, 0};
    blueprint.shapekeyinfo = {{1, 2, 0}, {1, 2, 2}};
    blueprint.shapekeytrans = {{0, 0, 0, 0, 0}, {0, 10, 0, 0, 2}, {1, 0, 0, 0, 0}, {1, 10, 0, 0, 4}};
    return blueprint;
}

class Evaluation : public StoreTest {
protected:
    void SetUp() override {
        image = CreateImage3d(installModel(armModel()));
        ImageSetScaleRotTransAlpha(image, 1, 1, 1, 0, 0, 0, 10, 0, 0, 1);
    }
    // Image3dVertexPosGet of one vertex; untouched entries keep 12345.
    math::Float3 position(int v, int motion, int frame, int shapekey = -1, int shapekeyframe = 0, int slot = -2) {
        double x = 12345, y = 12345, z = 12345;
        Image3dVertexPosGet(slot == -2 ? image : slot, shapekey, shapekeyframe, motion, frame, 1, &v, &x, &y, &z);
        return {float(x), float(y), float(z)};
    }
    int image = -1;
};

::testing::AssertionResult near(math::Float3 a, math::Float3 b) { return math::testing::near3(a, b, 1e-5f); }

TEST_F(Evaluation, SkinnedShapedAndPlacedPositions) {
    struct Case {
        const char* name;
        int vertex, motion, frame, shapekey;
        math::Float3 expected;
    };
    const Case cases[] = {
        {"joint 0", 0, 0, 10, -1, {10, 6, 4}},
        {"joint 1 turns, then follows joint 0", 1, 0, 10, -1, {7, 3, 4}},
        {"half on each joint", 2, 0, 10, -1, {8.5f, 4.5f, 4}},
        {"no joint weighs it", 3, 0, 10, -1, {12, 0, 0}},
        {"a split copy moves as its source", 4, 0, 10, -1, {7, 3, 4}},
        {"first joint missing: 0.75 of joint 1 with the world", 5, 0, 10, -1, {5.25f, 2.25f, 3}},
        {"halfway: an eighth turn, double, half the rise", 0, 0, 5, -1, {10 + 4 * kH, 4 * kH, 2}},
        {"first key", 1, 0, 0, -1, {12, 0, 0}},
        {"before the first key", 0, 0, -5, -1, {12, 0, 0}},
        {"after the last key", 0, 0, 99, -1, {10, 6, 4}},
        {"unposed", 1, -1, 10, -1, {12, 0, 0}},
        {"shape key before skinning", 1, 0, 10, 0, {7, 3, 7}},
        {"shape key on the copy's source", 4, 0, 10, 0, {7, 3, 7}},
        {"kind 1 names list entry 1", 0, -1, 0, 1, {12, 0, 2}},
        {"kind 1 does not name entry 0", 1, -1, 0, 1, {12, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(near(position(c.vertex, c.motion, c.frame, c.shapekey, 5), c.expected)) << c.name;
}

// Part transforms apply to the unposed model in partmode 1 only, before the
// instance transform.
TEST_F(Evaluation, PartTransformsOnlyUnposedInPartmodeOne) {
    Image3dPartinfoSet(image, 1, 1, 1, 1, 0, 0, 0, 0, 100, 0, 1);
    EXPECT_TRUE(near(position(6, -1, 0), {12, 0, 0}));
    Image3dSetRendarparam(image, 0, 0, 1, 0);
    EXPECT_TRUE(near(position(6, -1, 0), {12, 100, 0}));
    EXPECT_TRUE(near(position(0, -1, 0), {12, 0, 0}));
    EXPECT_TRUE(near(position(6, 0, 10), {10, 6, 4}));
}

TEST_F(Evaluation, NothingIsWrittenForWhatCannotBeEvaluated) {
    const math::Float3 untouched{12345, 12345, 12345};
    EXPECT_TRUE(near(position(0, 0, 0, -1, 0, 199), untouched)) << "empty slot";
    EXPECT_TRUE(near(position(0, 0, 0, -1, 0, -1), untouched)) << "no slot -1";
    EXPECT_TRUE(near(position(0, 2, 0), untouched)) << "no motion 2";
    EXPECT_TRUE(near(position(0, 0, 0, 3), untouched)) << "no shape key 3";
    EXPECT_TRUE(near(position(7, 0, 0), untouched)) << "no vertex 7";
    EXPECT_TRUE(near(position(-1, 0, 0), untouched)) << "no vertex -1";
    model::completeModel(instance::image3d(image)->modelno)->weight.allocate(3);  // shorter than the vertices
    EXPECT_TRUE(near(position(0, 0, 10), untouched)) << "weights missing";
    EXPECT_TRUE(near(position(0, -1, 10), {12, 0, 0})) << "unposed needs no weights";
    model::modelSlot(instance::image3d(image)->modelno)->header.release();
    EXPECT_TRUE(near(position(0, -1, 0), untouched)) << "model released under the instance";
}

template <class T>
bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Random skinned models with shape keys, every seventh vertex broken one of
// five ways (no first joint, a second joint that does not exist, no weight
// at all, a part breaking another part's stretch, a copy of no vertex) and a
// face naming no vertex, posed by a motion, unposed, and unposed in partmode
// 1: 72 poses, 432 rays. No box here is flat.
TEST_F(StoreTest, WholeModelPosingMatchesVertexByVertex) {
    std::mt19937 rng(7);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    for (int round = 0; round < 24; ++round) {
        ModelBlueprint b = skinnedModel({6, 1, {0, 10, 25, 40}, 300, 4, 3 + round % 3, unsigned(round)});
        for (int v = 0; v < 300; v += 7) {
            const model::Obj3dWeight broken[3] = {{-1, 1, 0.5f, 0.5f}, {1, 99, 0.5f, 0.5f}, {1, -1, 0.0f, 0.5f}};
            if (v % 5 < 3) b.weights[v] = broken[v % 5];
            if (v % 5 == 3) b.vertices[v].partno = v % 4;
            if (v % 5 == 4) b.vertices[v].originalvertexno = 1000;
        }
        b.faces.insert(b.faces.begin() + 40, faceOf(0, 5, 300, 7));
        b.shapekeyvertex = {1, 5, 9};
        b.shapekeyinfo = {{3, 2, 0}};
        for (int i = 0; i < 6; ++i) b.shapekeytrans.push_back({i % 3, (i % 2) * 10, 0.1f * i, -0.2f, 0.3f});
        const int image = CreateImage3d(installModel(b));
        ImageSetScaleRotTransAlpha(image, 1.5, 1, 0.5, 0.3, uniform(-3, 3), 0.1, 1, 2, 3, 1);
        Image3dPartinfoSet(image, 1, 2, 2, 2, 1, 0, 0, 0, 1, 0, 1);
        Image3dSetRendarparam(image, 0, 0, round % 2, 0);
        const model::Obj3dModel& m = *model::completeModel(instance::image3d(image)->modelno);
        for (int pose = 0; pose < 3; ++pose) {
            const int motion = pose == 0 ? -1 : 0, frame = static_cast<int>(uniform(0, 40)), shapekey = pose - 2;
            std::vector<int> all(300);
            std::iota(all.begin(), all.end(), 0);
            std::vector<double> x(300), y(300), z(300);
            Image3dVertexPosGet(image, shapekey, 5, motion, frame, 300, all.data(), x.data(), y.data(), z.data());
            std::vector<math::Float3> at(300), unsplit;
            for (int v = 0; v < 300; ++v) at[v] = {float(x[v]), float(y[v]), float(z[v])};

            if (shapekey < 0) {  // boxes: the unsplit vertices in order, each part's run of them
                std::vector<double> a(6 * 4);
                Image3dCalcAaboxOboxVtxCpu1(image, motion, frame, 0, &a[0], &a[4], &a[8], &a[12], &a[16], &a[20]);
                size_t first[4] = {}, count[4] = {};
                for (int v = 0; v < 300; ++v) {
                    if (m.vertex[v].originalvertexno >= 0) continue;
                    if (count[m.vertex[v].partno]++ == 0) first[m.vertex[v].partno] = unsplit.size();
                    unsplit.push_back(at[v]);
                }
                const instance::Image3dInstance& record = *instance::image3d(image);
                EXPECT_TRUE(sameBits(record.aabox, math::aaboxFromPoints(unsplit.size(), unsplit.data())));
                for (int p = 0; p < 4; ++p) {
                    const math::Aabox box = math::aaboxFromPoints(count[p], &unsplit[first[p]]);
                    const math::Aabox fitted{{float(a[p]), float(a[4 + p]), float(a[8 + p])},
                                             {float(a[12 + p]), float(a[16 + p]), float(a[20 + p])}};
                    EXPECT_TRUE(sameBits(fitted, box)) << round << " part " << p;
                    EXPECT_TRUE(sameBits(record.part(p)->obox, math::oboxFromPoints(count[p], &unsplit[first[p]])));
                }
            }
            for (int ray = 0; ray < 6; ++ray) {  // most rays aimed at a face's centre, some anywhere
                const math::Float3 from{uniform(-9, 9), uniform(-9, 9), uniform(-9, 9)};
                const int32_t* aim = m.face[(pose * 31 + ray * 7) % 90].vertexno;
                const math::Float3 along = ray < 4 ? (at[aim[0]] + at[aim[1]] + at[aim[2]]) * (1.0f / 3) - from
                                                   : math::Float3{uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
                float best = 1e10f;
                int bestFace = -1;
                for (int f = 0; f < query::faceCount(m); ++f) {
                    const int32_t* c = query::faceCorners(m, f, 300);
                    const auto d = c ? query::rayTriangle(from, along, at[c[0]], at[c[1]], at[c[2]]) : std::nullopt;
                    if (d && *d < best && math::dot(math::cross(at[c[1]] - at[c[0]], at[c[2]] - at[c[0]]), along) < 0) {
                        best = *d;
                        bestFace = f;
                    }
                }
                const double origin[3] = {from.x, from.y, from.z}, direction[3] = {along.x, along.y, along.z};
                int face = -2;
                double distance = 0;
                IntersectRayTriangleOfImage3d(origin, direction, image, shapekey, 5, motion, frame, &face, &distance);
                EXPECT_TRUE(face == bestFace && sameBits(float(distance), best)) << round << " ray " << ray;
            }
        }
        clearStore();
    }
}

}  // namespace
}  // namespace korvel::testing
