// BackBufferToFile writes each kind as a decodable file, opaque and of the
// back buffer whatever target is bound, and nothing for other kinds.
#include <gtest/gtest.h>

#include <filesystem>

#include "Korvelv0.h"
#include "support/device.h"
#include "platform/image/image.h"

namespace korvel::testing {
namespace {

using Capture = DeviceTest;

TEST_F(Capture, KindsZeroOneThreeFourWriteImagesOthersNothing) {
    ClearColorZ(255, 128, 0, 1.0);
    RenderSprite(loadSolidTexture(16, 16, Rgba{0, 0, 255}), 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0.5, 1);
    // Blending leaves the texels' alpha in the back buffer.
    RenderSprite(loadSolidTexture(16, 16, Rgba{0, 0, 0, 0}), 400, 300, 1, 1, 0, 0, 1, 1, 3, 0, 0, 0, 0.4, 1);
    ASSERT_EQ(CreateTextureforRTandSRV(32, 32), 101);
    SetViewportsandRenderTargets(101);

    const struct {
        int kind;
        const char* name;
        int tolerance;
    } kinds[] = {{0, "shot.bmp", 1}, {1, "shot.jpg", 13}, {3, "shot.png", 1}, {4, "shot.dds", 1}};
    for (const auto& k : kinds) {
        const std::string path = tempPath(k.name);
        std::filesystem::remove(path);
        BackBufferToFile(k.kind, std::wstring(path.begin(), path.end()).c_str());
        image::TextureImage decoded;
        ASSERT_TRUE(image::loadTextureFile(path, decoded)) << k.name;
        ASSERT_EQ(decoded.width, 800u);
        ASSERT_EQ(decoded.height, 600u);
        const uint8_t* corner = decoded.mips[0].rgba.data();
        const uint8_t* middle = corner + (static_cast<size_t>(300) * 800 + 400) * 4;
        EXPECT_NEAR(corner[2], 255, k.tolerance) << k.name << ": the sprite at the top-left";
        EXPECT_NEAR(middle[0], 255, k.tolerance) << k.name;
        EXPECT_NEAR(middle[1], 128, k.tolerance) << k.name;
        EXPECT_EQ(middle[3], 255) << k.name << ": opaque";
    }
    for (const int kind : {2, 5, -1}) {
        const std::string path = tempPath("none" + std::to_string(kind) + ".png");
        BackBufferToFile(kind, std::wstring(path.begin(), path.end()).c_str());
        EXPECT_FALSE(std::filesystem::exists(path)) << kind;
    }
    BackBufferToFile(3, nullptr);
    SetViewportsandRenderTargets(0);  // the selection outlives the device
}

}  // namespace
}  // namespace korvel::testing
