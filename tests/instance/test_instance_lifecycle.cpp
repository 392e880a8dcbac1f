// The instance module's steps in device start and clean-up.
#include <gtest/gtest.h>

#include "Korvelv0.h"
#include "instance/hair_rotation.h"
#include "instance/image3d.h"
#include "instance/test_models.h"

namespace korvel::testing {
namespace {

TEST(InstanceLifecycle, CleanupDeviceReleasesEveryInstance) {
    ModelBlueprint blueprint;
    blueprint.vertices = {vertexAt(0, 0, 0, 0)};
    const int model = installModel(blueprint);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(CreateImage3d(model), i);
    CleanupDevice();
    for (int i = 0; i < instance::kImage3dMax; ++i) EXPECT_EQ(instance::image3d(i), nullptr);
    clearStore();
}

TEST(InstanceLifecycle, InitDeviceResetsTheHairRotation) {
    SetWorldParticlehairRotMatrix(0, 0, 1, 1.0);
    if (InitDevice(nullptr) < 0) {
        CleanupDevice();
        GTEST_SKIP() << "no headless device";
    }
    const math::Matrix& m = instance::worldParticlehairRotMatrix();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], i == j ? 1.0f : 0.0f);
    CleanupDevice();
}

}  // namespace
}  // namespace korvel::testing
