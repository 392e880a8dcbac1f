// Device start-up, frame calls and teardown on the real headless backend.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/current.h"
#include "device/device_fixture.h"
#include "device/device_state.h"
#include "device/lighting.h"
#include "device/screen.h"

namespace korvel::testing {
namespace {

constexpr const char* kMessage =
    "Error: The FX file cannot be compiled.  Please run this executable from the directory that contains the FX "
    "file.";

// Runs InitDevice from another working directory holding the given effect
// text (or no effect file at all); returns the code and the stderr text.
int initDeviceIn(const std::string& folderName, const std::string* effectText, std::string& stderrText) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path folder = tempPath(folderName);
    std::filesystem::create_directories(folder);
    if (effectText) std::ofstream(folder / "Korvelv0.fx") << *effectText;
    std::filesystem::current_path(folder);
    ::testing::internal::CaptureStderr();
    const int code = InitDevice(nullptr);
    stderrText = ::testing::internal::GetCapturedStderr();
    std::filesystem::current_path(previous);
    return code;
}

std::string effectText() {
    std::ifstream file("Korvelv0.fx");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

TEST(Lifecycle, DefaultsScreenSizeReinitAndRepeatedCleanup) {
    ScreenSizeSet(1);
    const int level = InitDevice(nullptr);
    ASSERT_EQ(level, 0xB000);
    EXPECT_EQ(IsDeviceRemoved(), 1);
    const gpu::Viewport& viewport = device::deviceState().screenViewport;
    EXPECT_EQ(viewport, (gpu::Viewport{0, 0, 800, 600, 0, 1}));
    EXPECT_EQ(captureBackBuffer().width, 800u);
    // The default projection: 0.785 rad field of view, aspect 800 / 600.
    const math::Matrix& p = device::camera().projectionMatrix;
    EXPECT_NEAR(p.m[1][1], 2.4156f, 1e-4);
    EXPECT_NEAR(p.m[0][0], 2.4156f * 600.0f / 800.0f, 1e-4);
    EXPECT_EQ(device::camera().nearZ, 1.0);
    EXPECT_EQ(device::camera().farZ, 11.0);

    // Camera, lighting and screen values survive CleanupDevice; a repeated
    // CleanupDevice is harmless.
    ViewMatrixValueSet(1, 2, -3, 0, 0, 0, 0, 1, 0);
    SetPointLightPos(7, 8, 9);
    ScreenSizeSet(0);
    CleanupDevice();
    CleanupDevice();
    EXPECT_EQ(device::currentDevice(), nullptr);
    EXPECT_EQ(device::currentContext(), nullptr);
    EXPECT_EQ(IsDeviceRemoved(), -1);
    EXPECT_EQ(device::camera().cameraEye.z, -3.0f);
    EXPECT_EQ(device::lighting().pointLightPos.x, 7.0f);

    // A new device takes the screen size set in between.
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    gpu::Image image = captureBackBuffer();
    EXPECT_EQ(image.width, 640u);
    EXPECT_EQ(image.height, 480u);
    EXPECT_NEAR(device::camera().projectionMatrix.m[0][0], 2.4156f * 480.0f / 640.0f, 1e-4);

    // InitDevice on a live device starts over instead of mixing two devices.
    ScreenSizeSet(1);
    ASSERT_EQ(loadSolidTexture(4, 4, Rgba{}), 0);
    ASSERT_EQ(InitDevice(nullptr), 0xB000);
    EXPECT_EQ(loadSolidTexture(4, 4, Rgba{}), 0);
    EXPECT_EQ(captureBackBuffer().width, 800u);
    CleanupDevice();
}

TEST(Lifecycle, CallsWithoutADeviceDoNothing) {
    CleanupDevice();
    ClearColorZ(255, 0, 0, 1.0);
    SwapChainPresent();
    EXPECT_EQ(readtexture(L"whatever.png"), -1);
    RenderSprite(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(CreateTextureforRTandSRV(64, 64), -1);
    SetViewportsandRenderTargets(101);
    SetViewportsandRenderTargets(0);
    BackBufferToFile(3, L"never-written.png");
    EXPECT_FALSE(std::filesystem::exists("never-written.png"));
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(IsDeviceRemoved(), -1);
}

TEST(EffectFile, MissingOrBrokenFileFailsAtItsEntryWithOneMessage) {
    std::string err;
    EXPECT_EQ(initDeviceIn("no-effect", nullptr, err), -6);
    EXPECT_EQ(countOf(err, kMessage), 1u) << err;
    CleanupDevice();

    const std::string good = effectText();
    ASSERT_FALSE(good.empty());
    // Renaming an entry point makes exactly that entry fail to compile.
    const auto without = [&](const std::string& entry) {
        std::string text = good;
        const std::string from = " " + entry + "(";
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << entry;
        if (at != std::string::npos) text.replace(at, from.size(), " " + entry + "_renamed(");
        return text;
    };
    struct Case {
        const char* entry;
        int code;
    };
    for (const Case c : {Case{"PSshade0", -19}, Case{"PSddsalpha", -19}, Case{"VSshade1", -46}}) {
        const std::string text = without(c.entry);
        EXPECT_EQ(initDeviceIn(std::string("broken-") + c.entry, &text, err), c.code) << c.entry;
        EXPECT_EQ(countOf(err, kMessage), 1u) << err;
        EXPECT_GT(err.find(kMessage), 0u) << "the compiler's text comes first";
        CleanupDevice();
    }
}

}  // namespace
}  // namespace korvel::testing
