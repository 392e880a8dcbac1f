// Every instance and query export on models whose tables disagree with their
// counts and with each other, as tool and Set calls can leave them. Run under
// the sanitizer build, any read or write outside a table fails the test.
#include <random>
#include <vector>

#include "Korvelv0.h"
#include "instance/pose.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

ModelBlueprint shapedSkinnedModel(unsigned seed) {
    SkinnedOptions options;
    options.seed = seed;
    options.vertices = 40;
    ModelBlueprint blueprint = skinnedModel(options);
    blueprint.shapekeyvertex = {1, 5, 9, 1};
    blueprint.shapekeyinfo = {{3, 2, 0}, {2, 3, 6}};
    for (int i = 0; i < 12; ++i) blueprint.shapekeytrans.push_back({i % 4, (i % 3) * 5, 0.1f * i, 0, 0});
    return blueprint;
}

// Overwrites one field somewhere in the model with a value that breaks an
// invariant: a count above its table, a negative count, an index out of
// range, or a table cut short.
void corrupt(model::Obj3dModel& m, std::mt19937& rng) {
    std::uniform_int_distribution<int> any(-3, 200);
    auto pick = [&rng](size_t n) { return n == 0 ? size_t{0} : std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    model::Obj3dHeader& h = *m.head();
    switch (std::uniform_int_distribution<int>(0, 19)(rng)) {
        case 0:
            h.NumVertex = any(rng);
            break;
        case 1:
            h.NumFace = any(rng);
            break;
        case 2:
            h.NumJoint = any(rng);
            break;
        case 3:
            h.NumMotion = any(rng);
            break;
        case 4:
            h.NumShapekey = any(rng);
            break;
        case 5:
            h.NumShapekeyVertex = any(rng);
            break;
        case 6:
            h.NumPart = any(rng);
            break;
        case 7:
            m.motion[pick(m.motion.size())].numframe = any(rng);
            break;
        case 8:
            m.motion[pick(m.motion.size())].firstframe = any(rng);
            break;
        case 9:
            m.motion[pick(m.motion.size())].firstkey = any(rng);
            break;
        case 10:
            m.joint[pick(m.joint.size())].parentjointno = any(rng);
            break;
        case 11:
            m.weight[pick(m.weight.size())].jointno1 = any(rng);
            break;
        case 12:
            m.face[pick(m.face.size())].vertexno[pick(3)] = any(rng);
            break;
        case 13:
            m.vertex[pick(m.vertex.size())].originalvertexno = any(rng);
            break;
        case 14:
            m.vertex[pick(m.vertex.size())].partno = any(rng);
            break;
        case 15:
            m.shapekeyinfo[pick(m.shapekeyinfo.size())].numvertex = any(rng);
            break;
        case 16:
            m.shapekeyinfo[pick(m.shapekeyinfo.size())].firstdata = any(rng);
            break;
        case 17:
            m.shapekeytrans[pick(m.shapekeytrans.size())].skvertexindex = any(rng);
            break;
        case 18:
            m.shapekeyvertex[pick(m.shapekeyvertex.size())] = any(rng);
            break;
        default: {
            model::Table<model::Obj3dKeyframe> shorter;
            shorter.allocate(m.keyframe.size() / 2);
            m.keyframe = std::move(shorter);
            break;
        }
    }
}

void callEverything(int image, int model, std::mt19937& rng) {
    std::uniform_int_distribution<int> small(-2, 5), frame(-10, 60), vertex(-5, 80);
    const int parts = 8;
    std::vector<double> a(10 * parts);
    auto at = [&a](int i) { return a.data() + i * parts; };
    Image3dSetRendarparam(image, 1, 0, small(rng) & 1, 0);
    Image3dPartinfoSet(image, small(rng), 2, 1, 1, 0.1, 0.2, 0.3, 1, 2, 3, 0.5);
    Image3dCalcAaboxOboxVtxCpu(image, small(rng), frame(rng), small(rng));
    Image3dCalcAaboxOboxVtxCpu1(image, small(rng), frame(rng), small(rng), at(0), at(1), at(2), at(3), at(4), at(5));
    const double offset[3] = {1, 2, 3};
    Image3dAaboxOboxTranslate(image, offset);
    GetImage3dObox(image, at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7), at(8), at(9));
    const int vertices[4] = {vertex(rng), vertex(rng), vertex(rng), vertex(rng)};
    Image3dVertexPosGet(image, small(rng), frame(rng), small(rng), frame(rng), 4, vertices, at(0), at(1), at(2));
    IntersectImage3dObox(image, small(rng), image, small(rng));
    const double origin[3] = {0, 0, -10}, direction[3] = {0.1, 0.1, 1};
    int face;
    double distance;
    IntersectRayTriangleOfImage3d(origin, direction, image, small(rng), frame(rng), small(rng), frame(rng), &face,
                                  &distance);
    const double start[3] = {-3, -3, -3}, end[3] = {3, 3, 3};
    LineNZObj3dPointCheck(start, end, model);
    LineNZObj3dTriangleCheck(start, end, model);
    GetObj3dSphere(model, at(0));
    Obj3dSetMaterialParam(model, small(rng), 3, 1, 2, 3, 1, 1, 0, 0, 0, 0, 0, 0, small(rng));
    Obj3dGetMaterialParamTexsrvno(model, small(rng));

    const model::Obj3dModel& m = *model::completeModel(model);
    instance::JointPalette palette;
    instance::jointPalette(m, small(rng), frame(rng), palette);
    instance::ShapekeyOffsets offsets;
    instance::shapekeyOffsets(m, small(rng), frame(rng), offsets);
}

class HostileModels : public StoreTest {};

TEST_F(HostileModels, EveryExportStaysInsideTheTables) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 300; ++round) {
        const int model = installModel(shapedSkinnedModel(static_cast<unsigned>(round)));
        const int image = CreateImage3d(model);
        model::Obj3dModel& m = *model::completeModel(model);
        for (int damage = 0; damage < 1 + round % 4; ++damage) corrupt(m, rng);
        for (int call = 0; call < 5; ++call) callEverything(image, model, rng);
        clearStore();
    }
}

}  // namespace
}  // namespace korvel::testing
