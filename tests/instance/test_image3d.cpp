// The instance table, placement rounding, drawing switches, material
// parameters and the hair rotation, through the C interface, and the
// instance steps of device start and clean-up.
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

#include "Korvelv0.h"
#include "math/matrix.h"
#include "math/vector.h"
#include "support/models.h"

namespace korvel::testing {
namespace {

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

TEST_F(Image3dTable, SlotsFillLowestFirstAndRefuseMissingModels) {
    const int model = installModel(partsModel(1));
    for (int i = 0; i < instance::kImage3dMax; ++i) ASSERT_EQ(CreateImage3d(model), i);
    EXPECT_EQ(CreateImage3d(model), -1);
    ClearImage3d(17);
    ClearImage3d(17);  // an empty slot stays empty
    EXPECT_EQ(image3d(17), nullptr);
    EXPECT_EQ(CreateImage3d(model), 17);
    instance::clearAllImage3d();
    for (int bad : {-1, 50, 3}) EXPECT_EQ(CreateImage3d(bad), -2) << "model " << bad;
    model::modelSlot(model)->complete = false;  // a loader still filling it
    EXPECT_EQ(CreateImage3d(model), -2);
    for (int slot : {-1, 5, 200}) {
        ClearImage3d(slot);
        ImageSetScaleRotTransAlpha(slot, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1);
        Image3dPartinfoSet(slot, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1);
        Image3dSetRendarparam(slot, 1, 1, 1, 1);
    }
    EXPECT_EQ(image3d(0), nullptr);
}

TEST_F(Image3dTable, CreationValuesAndRoundedPlacement) {
    const int image = CreateImage3d(installModel(partsModel(2, 2)));
    const instance::Image3dInstance& record = *image3d(image);
    EXPECT_EQ(record.hairmode, 1);  // the model has hair
    EXPECT_EQ(image3d(CreateImage3d(installModel(partsModel(1))))->hairmode, 0);
    EXPECT_TRUE(record.aabox.extents.x == -1.0f && record.part(1)->obox.extents.x == -1.0f);
    EXPECT_TRUE(record.part(1)->alpha == 1.0 && record.part(1)->scalez == 1.0f && record.part(2) == nullptr);

    ImageSetScaleRotTransAlpha(image, 0.1, 2, 3, 0.3, 0.5, 0.7, 1e-8, -4, 5.5, 0.1);
    EXPECT_EQ(record.partinfo[0].alpha, 0.100000001490116119384765625);  // rounded to float, kept as double
    EXPECT_EQ(record.partinfo[0].scalex, 0.1f);
    Image3dPartinfoSet(image, 1, 2, 2, 2, 0, 0, 0.25, 7, 8, 9, 0.3);
    Image3dPartinfoSet(image, 2, 5, 5, 5, 0, 0, 0, 0, 0, 0, 0);   // beyond the parts
    Image3dPartinfoSet(image, -1, 5, 5, 5, 0, 0, 0, 0, 0, 0, 0);  // not Partinfo 0
    EXPECT_TRUE(record.part(1)->transy == 8.0f && record.part(1)->alpha == static_cast<double>(0.3f));
    EXPECT_TRUE(record.partinfo[0].scalex == 0.1f && record.part(0)->scalex == 1.0f);
    Image3dSetRendarparam(image, 0x1ff, 258, -1, 1);  // the low byte of each
    EXPECT_TRUE(record.boxmode == 0xff && record.cullmode == 2 && record.partmode == 0xff);
}

TEST_F(Image3dTable, MaterialColoursAreDividedBy255Unclamped) {
    const int model = installModel(partsModel(1));
    Obj3dSetMaterialParam(model, 1, 4, 128, 255, 300, 0.1, 12.5, 0, 51, -255, 1, 2, 3, 7);
    const model::Obj3dMaterial& m = model::occupiedModel(model)->material[1];
    EXPECT_TRUE(m.faceColorB == 1.17647064f && m.specularColorB == -1.0f && m.emissiveColorB == 0.0117647061f);
    EXPECT_TRUE(m.alpha == 0.1f && m.power == 12.5f && m.blendmode == 4);
    EXPECT_EQ(model::occupiedModel(model)->material[0].alpha, 0.0f);  // other materials untouched
    for (const auto& [slot, material] : {std::pair{model, 2}, {model, -1}, {49, 0}, {-3, 0}}) {
        Obj3dSetMaterialParam(slot, material, 1, 255, 255, 255, 1, 1, 0, 0, 0, 0, 0, 0, 5);
        EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(slot, material), -1) << slot << ", " << material;
    }
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(model, 0), 0);
    EXPECT_EQ(Obj3dGetMaterialParamTexsrvno(model, 1), 7);
}

// A quarter turn about z takes x to y; a zero axis leaves the cosine only.
// Device start resets the rotation; clean-up releases every instance.
TEST(InstanceLifecycle, HairRotationAndDeviceStartAndCleanUp) {
    SetWorldParticlehairRotMatrix(0, 0, 1, std::numbers::pi / 2);
    const math::Float3 turned = math::transformNormal({1, 0, 0}, instance::worldParticlehairRotMatrix());
    EXPECT_TRUE(std::fabs(turned.x) < 1e-6f && std::fabs(turned.y - 1) < 1e-6f);
    SetWorldParticlehairRotMatrix(0, 0, 0, std::numbers::pi / 3);
    EXPECT_NEAR(instance::worldParticlehairRotMatrix().m[0][0], 0.5f, 1e-6f);
    EXPECT_EQ(instance::worldParticlehairRotMatrix().m[0][1], 0.0f);

    const int model = installModel(partsModel(1));
    for (int i = 0; i < 5; ++i) ASSERT_EQ(CreateImage3d(model), i);
    CleanupDevice();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(image3d(i), nullptr);
    clearStore();
    ASSERT_GE(InitDevice(nullptr), 0);
    const math::Matrix identity = math::identity();
    EXPECT_EQ(std::memcmp(&instance::worldParticlehairRotMatrix(), &identity, sizeof identity), 0);
    CleanupDevice();
}

}  // namespace
}  // namespace korvel::testing
