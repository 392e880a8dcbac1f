// Shared helpers for the image tests: synthetic images, pixel access and a
// scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/gpu/gpu.h"
#include "platform/image/image.h"

namespace korvel::image::test {

using Pixel = std::array<uint8_t, 4>;

// A width x height image whose every channel varies across the image, with
// alpha never all zero or all 255.
inline gpu::Image gradientImage(uint32_t width, uint32_t height) {
    gpu::Image image{width, height, {}};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            image.rgba.insert(image.rgba.end(), {static_cast<uint8_t>(x * 255 / std::max(width - 1, 1u)),
                                                 static_cast<uint8_t>(y * 255 / std::max(height - 1, 1u)),
                                                 static_cast<uint8_t>(x * 7 + y * 13),
                                                 static_cast<uint8_t>(64 + (x + y) % 128)});
    return image;
}

inline std::vector<Pixel> pixelsOf(const MipLevel& level) {
    std::vector<Pixel> pixels;
    for (size_t i = 0; i + 3 < level.rgba.size(); i += 4)
        pixels.push_back({level.rgba[i], level.rgba[i + 1], level.rgba[i + 2], level.rgba[i + 3]});
    return pixels;
}

inline bool loadBytes(const std::vector<uint8_t>& bytes, TextureImage& image) {
    return loadTextureMemory(bytes.data(), bytes.size(), image);
}

// Gives each test its own empty folder under the test temp directory.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  ("korvel_image_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string pathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

}  // namespace korvel::image::test
