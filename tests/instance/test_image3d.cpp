// The instance table, placement rounding, drawing switches, material
// parameters and the hair rotation, through the C interface.
#include <cmath>
#include <numbers>

#include "Korvelv0.h"
#include "instance/hair_rotation.h"
#include "instance/image3d.h"
#include "instance/store_fixture.h"
#include "math/vector.h"

namespace korvel::testing {
namespace {

using instance::Image3dInstance;
using instance::image3d;

ModelBlueprint partsModel(int parts, int hairfaces = 0) {
    ModelBlueprint blueprint;
    blueprint.numpart = parts;
    blueprint.vertices = {vertexAt(0, 0, 0, 0)};
    blueprint.faces = {faceOf(0, 0, 0, 0)};
    blueprint.nummaterial = 2;
    blueprint.numhairface = hairfaces;
    return blueprint;
}

class Image3dTable : public StoreTest {};

TEST_F(Image3dTable, FillsLowestSlotsAndReusesTheLowestFreedOne) {
    const int model = installModel(partsModel(1));
    for (int i = 0; i < instance::kImage3dMax; ++i) ASSERT_EQ(CreateImage3d(model), i);
    EXPECT_EQ(CreateImage3d(model), -1);
    ClearImage3d(17);
    EXPECT_EQ(image3d(17), nullptr);
    ClearImage3d(17);  // an empty slot stays empty
    EXPECT_EQ(CreateImage3d(model), 17);
    EXPECT_EQ(CreateImage3d(model), -1);
}

TEST_F(Image3dTable, RefusesMissingOrUnfinishedModels) {
    EXPECT_EQ(CreateImage3d(-1), -2);
    EXPECT_EQ(CreateImage3d(50), -2);
    EXPECT_EQ(CreateImage3d(3), -2);  // empty slot
    const int model = installModel(partsModel(1));
    model::modelSlot(model)->complete = false;  // a loader still filling it
    EXPECT_EQ(CreateImage3d(model), -2);
    EXPECT_EQ(image3d(0), nullptr);
}

TEST_F(Image3dTable, OutOfRangeSlotsAreIgnored) {
    ClearImage3d(-1);
    ClearImage3d(200);
    ImageSetScaleRotTransAlpha(-1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1);
    ImageSetScaleRotTransAlpha(5, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1);
    Image3dPartinfoSet(200, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1);
    Image3dSetRendarparam(1000, 1, 1, 1, 1);
    EXPECT_EQ(image3d(200), nullptr);
    EXPECT_EQ(image3d(5), nullptr);
}

TEST_F(Image3dTable, NewRecordHoldsCreationValuesForEveryPart) {
    const int model = installModel(partsModel(3));
    const int image = CreateImage3d(model);
    const Image3dInstance& record = *image3d(image);
    EXPECT_EQ(record.modelno, model);
    EXPECT_EQ(record.numpart, 3);
    EXPECT_EQ(record.aabox.extents.x, -1.0f);
    EXPECT_EQ(record.aabox.extents.z, -1.0f);
    EXPECT_EQ(record.boxmode + record.cullmode + record.partmode + record.hairmode, 0);
    for (int p = 0; p <= 3; ++p) {
        const instance::Partinfo& info = record.partinfo[p];
        EXPECT_EQ(info.alpha, 1.0);
        EXPECT_EQ(info.scalex * info.scaley * info.scalez, 1.0f);
        EXPECT_EQ(info.rotx + info.roty + info.rotz + info.transx + info.transy + info.transz, 0.0f);
        EXPECT_EQ(info.obox.extents.x, -1.0f);
        EXPECT_EQ(info.obox.extents.y, -1.0f);
        EXPECT_EQ(info.obox.orientation.w, 1.0f);
        EXPECT_EQ(info.obox.orientation.x, 0.0f);
    }
    EXPECT_EQ(record.part(2), &record.partinfo[3]);
    EXPECT_EQ(record.part(3), nullptr);
    EXPECT_EQ(record.part(-1), nullptr);
}

TEST_F(Image3dTable, HairmodeFollowsTheModelsHair) {
    EXPECT_EQ(image3d(CreateImage3d(installModel(partsModel(1, 2))))->hairmode, 1);
    EXPECT_EQ(image3d(CreateImage3d(installModel(partsModel(1, 0))))->hairmode, 0);
}

TEST_F(Image3dTable, PlacementIsRoundedToFloatWithAlphaKeptAsDouble) {
    const int image = CreateImage3d(installModel(partsModel(2)));
    ImageSetScaleRotTransAlpha(image, 0.1, 2, 3, 0.3, 0.5, 0.7, 1e-8, -4, 5.5, 0.1);
    const instance::Partinfo& whole = image3d(image)->partinfo[0];
    EXPECT_EQ(whole.alpha, 0.100000001490116119384765625);
    EXPECT_EQ(whole.scalex, 0.1f);
    EXPECT_EQ(whole.roty, 0.5f);
    EXPECT_EQ(whole.transx, 1e-8f);
    EXPECT_EQ(whole.transz, 5.5f);
    EXPECT_EQ(image3d(image)->partinfo[1].alpha, 1.0);  // parts untouched
}

TEST_F(Image3dTable, PartinfoSetWritesOnlyThatPartAndIgnoresOthers) {
    const int image = CreateImage3d(installModel(partsModel(2)));
    Image3dPartinfoSet(image, 1, 2, 2, 2, 0, 0, 0.25, 7, 8, 9, 0.3);
    const Image3dInstance& record = *image3d(image);
    EXPECT_EQ(record.partinfo[2].alpha, static_cast<double>(0.3f));
    EXPECT_EQ(record.partinfo[2].rotz, 0.25f);
    EXPECT_EQ(record.partinfo[2].transy, 8.0f);
    EXPECT_EQ(record.partinfo[0].transy, 0.0f);
    EXPECT_EQ(record.partinfo[1].transy, 0.0f);
    Image3dPartinfoSet(image, 2, 5, 5, 5, 0, 0, 0, 0, 0, 0, 0);   // beyond the parts
    Image3dPartinfoSet(image, -1, 5, 5, 5, 0, 0, 0, 0, 0, 0, 0);  // not Partinfo 0
    EXPECT_EQ(record.partinfo[0].scalex, 1.0f);
    EXPECT_EQ(record.partinfo[1].scalex, 1.0f);
    EXPECT_EQ(record.partinfo[2].scalex, 2.0f);
}

TEST_F(Image3dTable, RendarparamKeepsTheLowByte) {
    const int image = CreateImage3d(installModel(partsModel(1)));
    Image3dSetRendarparam(image, 0x1ff, 258, -1, 1);
    const Image3dInstance& record = *image3d(image);
    EXPECT_EQ(record.boxmode, 0xff);
    EXPECT_EQ(record.cullmode, 2);
    EXPECT_EQ(record.partmode, 0xff);
    EXPECT_EQ(record.hairmode, 1);
}

class MaterialParam : public StoreTest {};

TEST_F(MaterialParam, ColoursAreDividedBy255AndRoundedUnclamped) {
    const int model = installModel(partsModel(1));
    Obj3dSetMaterialParam(model, 1, 4, 128, 255, 300, 0.1, 12.5, 0, 51, -255, 1, 2, 3, 7);
    const model::Obj3dMaterial& m = model::occupiedModel(model)->material[1];
    EXPECT_EQ(m.faceColorR, 0.5019608f);
    EXPECT_EQ(m.faceColorG, 1.0f);
    EXPECT_EQ(m.faceColorB, static_cast<float>(300 / 255.0));
    EXPECT_EQ(m.alpha, 0.1f);
    EXPECT_EQ(m.power, 12.5f);
    EXPECT_EQ(m.specularColorG, 0.2f);
    EXPECT_EQ(m.specularColorB, -1.0f);
    EXPECT_EQ(m.emissiveColorB, static_cast<float>(3 / 255.0));
    EXPECT_EQ(m.blendmode, 4);
    EXPECT_EQ(m.texsrvno, 7);
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(model, 1), 7);
    EXPECT_EQ(model::occupiedModel(model)->material[0].alpha, 0.0f);  // other materials untouched
}

TEST_F(MaterialParam, MissingModelOrMaterialChangesNothing) {
    const int model = installModel(partsModel(1));
    Obj3dSetMaterialParam(model, 2, 1, 255, 255, 255, 1, 1, 0, 0, 0, 0, 0, 0, 5);
    Obj3dSetMaterialParam(model, -1, 1, 255, 255, 255, 1, 1, 0, 0, 0, 0, 0, 0, 5);
    Obj3dSetMaterialParam(49, 0, 1, 255, 255, 255, 1, 1, 0, 0, 0, 0, 0, 0, 5);
    Obj3dSetMaterialParam(-3, 0, 1, 255, 255, 255, 1, 1, 0, 0, 0, 0, 0, 0, 5);
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(model, 0), 0);
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(model, 2), -1);
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(49, 0), -1);
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(50, 0), -1);
}

TEST(HairRotation, TurnsAboutTheAxisAndResetsToIdentity) {
    SetWorldParticlehairRotMatrix(0, 0, 1, std::numbers::pi / 2);
    const math::Float3 turned = math::transformNormal({1, 0, 0}, instance::worldParticlehairRotMatrix());
    EXPECT_NEAR(turned.x, 0.0f, 1e-6f);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6f);
    EXPECT_NEAR(turned.z, 0.0f, 1e-6f);

    SetWorldParticlehairRotMatrix(0, 0, 0, std::numbers::pi / 3);  // zero axis: cosine only
    const math::Matrix& zero = instance::worldParticlehairRotMatrix();
    EXPECT_NEAR(zero.m[0][0], 0.5f, 1e-6f);
    EXPECT_EQ(zero.m[0][1], 0.0f);
    EXPECT_EQ(zero.m[3][3], 1.0f);

    instance::resetWorldParticlehairRotMatrix();
    const math::Matrix& reset = instance::worldParticlehairRotMatrix();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(reset.m[i][j], i == j ? 1.0f : 0.0f);
}

}  // namespace
}  // namespace korvel::testing
