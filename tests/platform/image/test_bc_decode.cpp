// BC1, BC2 and BC3 blocks decoded against hand-computed colours and alphas.
#include <vector>

#include "image_test_support.h"
#include "platform/image/bc_decode.h"

namespace korvel::image {
namespace {

using test::Pixel;
using test::pixelsOf;

constexpr uint8_t kRamp = 0xE4;  // colour indices 0, 1, 2, 3 across a row

// The first row of a decoded 4 x 4 block.
std::vector<Pixel> firstRow(BlockFormat format, const std::vector<uint8_t>& block) {
    std::vector<Pixel> pixels = pixelsOf(decodeBlocks(format, block.data(), 4, 4));
    return {pixels.begin(), pixels.begin() + 4};
}

TEST(BcDecode, Bc1ColourModes) {
    // red 0xF800 > blue 0x001F: four colours at thirds.
    EXPECT_EQ(firstRow(BlockFormat::Bc1, {0x00, 0xF8, 0x1F, 0x00, kRamp, kRamp, kRamp, kRamp}),
              (std::vector<Pixel>{{255, 0, 0, 255}, {0, 0, 255, 255}, {170, 0, 85, 255}, {85, 0, 170, 255}}));
    // blue < red: three colours, the halfway one and transparent black.
    EXPECT_EQ(firstRow(BlockFormat::Bc1, {0x1F, 0x00, 0x00, 0xF8, kRamp, kRamp, kRamp, kRamp}),
              (std::vector<Pixel>{{0, 0, 255, 255}, {255, 0, 0, 255}, {128, 0, 128, 255}, {0, 0, 0, 0}}));
    // Equal endpoints also select three colours; 565 expands by bit
    // replication (r 16, g 32, b 16 -> 132, 130, 132).
    EXPECT_EQ(firstRow(BlockFormat::Bc1, {0x10, 0x84, 0x10, 0x84, kRamp, kRamp, kRamp, kRamp}),
              (std::vector<Pixel>{{132, 130, 132, 255}, {132, 130, 132, 255}, {132, 130, 132, 255}, {0, 0, 0, 0}}));
}

TEST(BcDecode, Bc2ExplicitAlphaAndAlwaysFourColours) {
    // Alpha nibbles 0..15 in pixel order; endpoints in BC1's three-colour
    // order, which BC2 ignores.
    const std::vector<uint8_t> block = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                                        0x1F, 0x00, 0x00, 0xF8, kRamp, kRamp, kRamp, kRamp};
    const std::vector<Pixel> pixels = pixelsOf(decodeBlocks(BlockFormat::Bc2, block.data(), 4, 4));
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(pixels[i][3], i * 17);
    EXPECT_EQ(pixels[2], (Pixel{85, 0, 170, 34}));
    EXPECT_EQ(pixels[3], (Pixel{170, 0, 85, 51}));
}

TEST(BcDecode, Bc3AlphaModes) {
    // Indices 0..7 twice (3 bits each); colour endpoints equal and white with
    // index 3 everywhere, which is opaque white in BC3.
    const std::vector<uint8_t> indices = {0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
    const std::vector<uint8_t> white = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> cases = {
        {{255, 0}, {255, 0, 219, 182, 146, 109, 73, 36}},  // a0 > a1: six interpolated
        {{0, 255}, {0, 255, 51, 102, 153, 204, 0, 255}},   // a0 <= a1: four, then 0 and 255
    };
    for (const auto& [endpoints, alphas] : cases) {
        std::vector<uint8_t> block = endpoints;
        block.insert(block.end(), indices.begin(), indices.end());
        block.insert(block.end(), white.begin(), white.end());
        const std::vector<Pixel> pixels = pixelsOf(decodeBlocks(BlockFormat::Bc3, block.data(), 4, 4));
        for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(pixels[i], (Pixel{255, 255, 255, alphas[i % 8]})) << i;
    }
}

TEST(BcDecode, EdgeBlocksAreCroppedToTheImage) {
    // 5 x 3: a solid red block, then a solid blue one.
    const std::vector<uint8_t> blocks = {0x00, 0xF8, 0, 0, 0, 0, 0, 0, 0x1F, 0x00, 0, 0, 0, 0, 0, 0};
    const MipLevel level = decodeBlocks(BlockFormat::Bc1, blocks.data(), 5, 3);
    const Pixel r{255, 0, 0, 255}, b{0, 0, 255, 255};
    EXPECT_EQ(pixelsOf(level), (std::vector<Pixel>{r, r, r, r, b, r, r, r, r, b, r, r, r, r, b}));
}

}  // namespace
}  // namespace korvel::image
