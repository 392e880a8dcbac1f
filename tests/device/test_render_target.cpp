// The render targets: every failure code of CreateTextureforRTandSRV, sizes
// the device cannot make, a target drawn into showing upright as texture 101
// at its own size (also when it replaced a target that was still bound), and
// BackBufferToFile writing each kind as a decodable file, opaque and of the
// back buffer whatever target is bound, and nothing for other kinds.
#include <gtest/gtest.h>

#include <filesystem>

#include "Korvelv0.h"
#include "device/lifecycle.h"
#include "platform/image/image.h"
#include "support/device.h"

namespace korvel::testing {
namespace {

using gpu::FaultKind;
using RenderTarget = DeviceTest;

TEST(RenderTargetFaults, EachStepReturnsItsCodeAndHalfMadeTargetsAreSafe) {
    InjectedBackend backend;
    const struct {
        FaultKind kind;
        uint32_t n;
        int code;
    } cases[] = {{FaultKind::Texture, 1, -1},
                 {FaultKind::RenderTargetView, 1, -2},
                 {FaultKind::ShaderResourceView, 1, -3},
                 {FaultKind::Texture, 2, -4},
                 {FaultKind::DepthStencilView, 1, -5}};
    for (const auto& c : cases) {
        backend.reset();
        ASSERT_EQ(InitDevice(nullptr), 0xB000);
        backend.failNext(c.kind, c.n);
        EXPECT_EQ(CreateTextureforRTandSRV(64, 32), c.code);
        SetViewportsandRenderTargets(101);
        ClearColorZ(255, 0, 0, 1.0);
        RenderSprite(101, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1);
        SetViewportsandRenderTargets(0);
        CleanupDevice();
    }
}

TEST_F(RenderTarget, RefusesSizesTheDeviceCannotMakeAndShowsUpright) {
    const int limit = static_cast<int>(device::currentDevice()->maxTextureSize());
    for (const auto& [width, height] : {std::pair{0, 32}, {32, -1}, {limit + 1, 32}, {32, limit + 1}, {100000, 100000}})
        EXPECT_EQ(CreateTextureforRTandSRV(width, height), -1) << width << " x " << height;

    ASSERT_EQ(CreateTextureforRTandSRV(64, 32), 101);
    SetViewportsandRenderTargets(101);
    ASSERT_EQ(CreateTextureforRTandSRV(16, 16), 101);  // the first stays alive while bound
    SetViewportsandRenderTargets(101);
    ClearColorZ(255, 0, 0, 1.0);
    // A green sprite over the target's upper half (sprites place by the
    // screen's 800 x 600 pixels whatever the target).
    RenderSprite(loadSolidTexture(16, 8, Rgba{0, 255, 0}), 0, 0, 50, 37.5, 0, 0, 1, 1, 0, 0, 0, 0, 0.5, 1);
    SetViewportsandRenderTargets(0);
    ClearColorZ(1, 0, 255, 1.0);
    RenderSprite(101, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0.5, 1);
    const gpu::Image image = captureBackBuffer();
    EXPECT_PIXEL(image, 8, 4, (Rgba{0, 255, 0}));
    EXPECT_PIXEL(image, 8, 12, (Rgba{255, 0, 0}));
    EXPECT_PIXEL(image, 17, 8, (Rgba{1, 0, 255}));
}

TEST_F(RenderTarget, KindsZeroOneThreeFourWriteImagesOthersNothing) {
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
        ASSERT_EQ(std::pair(decoded.width, decoded.height), std::pair(800u, 600u));
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
