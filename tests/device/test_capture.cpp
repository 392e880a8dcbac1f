// BackBufferToFile writes each kind as a decodable file and nothing for others.
#include <gtest/gtest.h>

#include <filesystem>

#include "Korvelv0.h"
#include "device/device_fixture.h"
#include "platform/image/image.h"

namespace korvel::testing {
namespace {

using Capture = DeviceTest;

TEST_F(Capture, KindsZeroOneThreeFourWriteImagesOthersNothing) {
    ClearColorZ(255, 128, 0, 1.0);
    const int blue = loadSolidTexture(16, 16, Rgba{0, 0, 255});
    RenderSprite(blue, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0.5, 1);
    // Blending writes the texels' alpha into the back buffer; captures are
    // opaque all the same, like the screen.
    const int clearTexels = loadSolidTexture(16, 16, Rgba{0, 0, 0, 0});
    RenderSprite(clearTexels, 400, 300, 1, 1, 0, 0, 1, 1, 3, 0, 0, 0, 0.4, 1);
    // Captures always read the back buffer, even with the off-screen target bound.
    ASSERT_EQ(CreateTextureforRTandSRV(32, 32), 101);
    SetViewportsandRenderTargets(101);

    struct Kind {
        int kind;
        const char* name;
        int tolerance;
    };
    for (const Kind k : {Kind{0, "shot.bmp", 0}, Kind{1, "shot.jpg", 12}, Kind{3, "shot.png", 0},
                         Kind{4, "shot.dds", 0}}) {
        const std::string path = tempPath(k.name);
        std::filesystem::remove(path);
        BackBufferToFile(k.kind, std::wstring(path.begin(), path.end()).c_str());
        image::TextureImage decoded;
        ASSERT_TRUE(image::loadTextureFile(path, decoded)) << k.name;
        ASSERT_EQ(decoded.width, 800u);
        ASSERT_EQ(decoded.height, 600u);
        const std::vector<uint8_t>& px = decoded.mips[0].rgba;
        EXPECT_NEAR(px[0], 0, k.tolerance + 1);
        EXPECT_NEAR(px[2], 255, k.tolerance + 1);  // the sprite at the top-left
        const size_t far = (static_cast<size_t>(300) * 800 + 400) * 4;
        EXPECT_NEAR(px[far + 0], 255, k.tolerance + 1);
        EXPECT_NEAR(px[far + 1], 128, k.tolerance + 1);
        EXPECT_NEAR(px[far + 2], 0, k.tolerance + 1);
        EXPECT_EQ(px[far + 3], 255);
    }
    for (const int kind : {2, 5, -1}) {
        const std::string path = tempPath("none" + std::to_string(kind) + ".png");
        BackBufferToFile(kind, std::wstring(path.begin(), path.end()).c_str());
        EXPECT_FALSE(std::filesystem::exists(path)) << kind;
    }
    BackBufferToFile(3, nullptr);
    SetViewportsandRenderTargets(0);
}

}  // namespace
}  // namespace korvel::testing
