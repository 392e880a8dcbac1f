// The one colour type of the tests: an RGBA pixel read from any image
// (back-buffer captures, render targets, decoded files), with tolerant and
// exact comparisons.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "platform/gpu/gpu.h"

namespace korvel::testing {

struct Rgba {
    int r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << "rgba(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

inline constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kBlack{0, 0, 0, 255};

// True when every channel (alpha ignored) is within tolerance.
inline bool closeTo(const Rgba& actual, const Rgba& expected, int tolerance = 2) {
    return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

// Outside the image: a colour no channel can match.
inline Rgba pixelAt(const gpu::Image& image, uint32_t x, uint32_t y) {
    if (x >= image.width || y >= image.height) return {-1000, -1000, -1000, -1000};
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// Every pixel of tightly packed RGBA bytes, in order.
inline std::vector<Rgba> pixelsOf(const std::vector<uint8_t>& rgba) {
    std::vector<Rgba> pixels;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) pixels.push_back({rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]});
    return pixels;
}

// A width x height image whose every channel varies across the image, with
// alpha never all zero or all 255.
inline gpu::Image gradientImage(uint32_t width, uint32_t height) {
    gpu::Image image{width, height, {}};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.rgba.insert(image.rgba.end(),
                              {uint8_t(x * 255 / std::max(width - 1, 1u)), uint8_t(y * 255 / std::max(height - 1, 1u)),
                               uint8_t(x * 7 + y * 13), uint8_t(64 + (x + y) % 128)});
    return image;
}

#define EXPECT_PIXEL(image, x, y, expected)                                                        \
    EXPECT_PRED3(::korvel::testing::closeTo, ::korvel::testing::pixelAt(image, x, y), expected, 3) \
        << "at pixel (" << (x) << ", " << (y) << ")"

// A file path in a per-process temporary folder, removed when the process ends.
std::string tempPath(const std::string& name);

}  // namespace korvel::testing
