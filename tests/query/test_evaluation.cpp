// CPU evaluation of posed instances on a hand-worked arm: between frames 0
// and 10 joint 0 turns a quarter about z, triples and rises by 4, joint 1
// (its child, rest at (1, 0, 0)) turns a quarter about its rest position;
// the instance stands at (10, 0, 0). The joint matrices, their chaining and
// the key search are pinned here through the vertices they move.
#include <cmath>
#include <vector>

#include "Korvelv0.h"
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

}  // namespace
}  // namespace korvel::testing
