// BC1, BC2 and BC3 blocks decoded against hand-computed colours and alphas.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/image/bc_decode.h"

namespace korvel::image {
namespace {

using Pixel = std::array<uint8_t, 4>;

Pixel pixelAt(const MipLevel& level, uint32_t x, uint32_t y) {
    const uint8_t* p = &level.rgba[(size_t{y} * level.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// Colour indices 0, 1, 2, 3 across every row.
constexpr uint8_t kRamp = 0xE4;

TEST(BcDecode, Bc1FourColourModeInterpolatesThirds) {
    // red 0xF800 > blue 0x001F
    const std::vector<uint8_t> block = {0x00, 0xF8, 0x1F, 0x00, kRamp, kRamp, kRamp, kRamp};
    const MipLevel level = decodeBlocks(BlockFormat::Bc1, block.data(), 4, 4);
    for (uint32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(pixelAt(level, 0, y), (Pixel{255, 0, 0, 255}));
        EXPECT_EQ(pixelAt(level, 1, y), (Pixel{0, 0, 255, 255}));
        EXPECT_EQ(pixelAt(level, 2, y), (Pixel{170, 0, 85, 255}));
        EXPECT_EQ(pixelAt(level, 3, y), (Pixel{85, 0, 170, 255}));
    }
}

TEST(BcDecode, Bc1ThreeColourModeHasHalfwayAndTransparentBlack) {
    // blue 0x001F < red 0xF800
    const std::vector<uint8_t> block = {0x1F, 0x00, 0x00, 0xF8, kRamp, kRamp, kRamp, kRamp};
    const MipLevel level = decodeBlocks(BlockFormat::Bc1, block.data(), 4, 4);
    EXPECT_EQ(pixelAt(level, 0, 1), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(level, 1, 1), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(level, 2, 1), (Pixel{128, 0, 128, 255}));
    EXPECT_EQ(pixelAt(level, 3, 1), (Pixel{0, 0, 0, 0}));

    // Equal endpoints also select three colours.
    const std::vector<uint8_t> equal = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(pixelAt(decodeBlocks(BlockFormat::Bc1, equal.data(), 4, 4), 2, 2), (Pixel{0, 0, 0, 0}));
}

TEST(BcDecode, Rgb565ExpandsByBitReplication) {
    // r = 16, g = 32, b = 16 -> 132, 130, 132; every index 0.
    const std::vector<uint8_t> block = {0x10, 0x84, 0x00, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(pixelAt(decodeBlocks(BlockFormat::Bc1, block.data(), 4, 4), 3, 3), (Pixel{132, 130, 132, 255}));
}

TEST(BcDecode, Bc2ExplicitAlphaAndAlwaysFourColours) {
    // alpha nibbles 0..15 in pixel order; colour endpoints ordered as BC1's
    // three-colour mode, which BC2 must ignore.
    const std::vector<uint8_t> block = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                        0x1F, 0x00, 0x00, 0xF8, kRamp, kRamp, kRamp, kRamp};
    const MipLevel level = decodeBlocks(BlockFormat::Bc2, block.data(), 4, 4);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(pixelAt(level, i % 4, i / 4)[3], i * 17);
    EXPECT_EQ(pixelAt(level, 2, 0), (Pixel{85, 0, 170, 34}));
    EXPECT_EQ(pixelAt(level, 3, 0), (Pixel{170, 0, 85, 51}));
}

TEST(BcDecode, Bc3AlphaEightValueMode) {
    // a0 255 > a1 0; indices 0..7 twice (3 bits each: 0x88 0xC6 0xFA).
    // colour endpoints both white, index 3 everywhere: opaque white in BC3.
    const std::vector<uint8_t> block = {0xFF, 0x00, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA,
                                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const MipLevel level = decodeBlocks(BlockFormat::Bc3, block.data(), 4, 4);
    const uint8_t expected[8] = {255, 0, 219, 182, 146, 109, 73, 36};
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(pixelAt(level, i % 4, i / 4), (Pixel{255, 255, 255, expected[i % 8]})) << "pixel " << i;
    }
}

TEST(BcDecode, Bc3AlphaSixValueModeWithZeroAndFull) {
    const std::vector<uint8_t> block = {0x00, 0xFF, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA,
                                        0, 0, 0, 0, 0, 0, 0, 0};
    const MipLevel level = decodeBlocks(BlockFormat::Bc3, block.data(), 4, 4);
    const uint8_t expected[8] = {0, 255, 51, 102, 153, 204, 0, 255};
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(pixelAt(level, i % 4, i / 4)[3], expected[i % 8]) << "pixel " << i;
}

TEST(BcDecode, EdgeBlocksAreCroppedToTheImage) {
    // 5 x 3: two blocks side by side, solid red then solid blue.
    const std::vector<uint8_t> blocks = {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0,
                                         0x1F, 0x00, 0x00, 0x00, 0, 0, 0, 0};
    const MipLevel level = decodeBlocks(BlockFormat::Bc1, blocks.data(), 5, 3);
    ASSERT_EQ(level.rgba.size(), 5u * 3 * 4);
    EXPECT_EQ(pixelAt(level, 3, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(level, 4, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(level, 4, 2), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(level, 0, 2), (Pixel{255, 0, 0, 255}));
}

}  // namespace
}  // namespace korvel::image
