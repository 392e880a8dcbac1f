// Shared helpers for tests that need a real (headless) device: a fixture that
// brings the device up at 800 x 600, back-buffer captures with pixel probes,
// and textures written to temporary image files and loaded with readtexture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "platform/gpu/gpu.h"

namespace korvel::testing {

struct Rgba {
    int r = 0, g = 0, b = 0, a = 255;
};
std::ostream& operator<<(std::ostream& out, const Rgba& c);

// True when every channel (alpha ignored) is within tolerance.
bool closeTo(const Rgba& actual, const Rgba& expected, int tolerance = 2);

// The back buffer as it is now (whatever target is bound).
gpu::Image captureBackBuffer();
Rgba pixelAt(const gpu::Image& image, uint32_t x, uint32_t y);

// A file path in a per-process temporary folder.
std::string tempPath(const std::string& name);

// Writes a PNG of the given size and loads it with readtexture; returns the
// slot (or -1).
int loadTexture(uint32_t width, uint32_t height, const std::function<Rgba(uint32_t, uint32_t)>& texel);
int loadSolidTexture(uint32_t width, uint32_t height, Rgba colour);

// Brings up a headless 800 x 600 device for each test; releases it after.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

#define EXPECT_PIXEL(image, x, y, expected) \
    EXPECT_PRED3(::korvel::testing::closeTo, ::korvel::testing::pixelAt(image, x, y), expected, 3) \
        << "at pixel (" << (x) << ", " << (y) << ")"

}  // namespace korvel::testing
