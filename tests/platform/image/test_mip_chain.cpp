// Mip chain sizes and the area-weighted box filter.
#include <utility>
#include <vector>

#include "image_test_support.h"
#include "platform/image/mip_chain.h"

namespace korvel::image {
namespace {

// A level whose four channels each hold the given value per pixel.
MipLevel greyLevel(uint32_t width, uint32_t height, const std::vector<uint8_t>& values) {
    MipLevel level{width, height, {}};
    for (uint8_t v : values) level.rgba.insert(level.rgba.end(), {v, v, v, v});
    return level;
}

std::vector<uint8_t> redChannel(const MipLevel& level) {
    std::vector<uint8_t> red;
    for (const test::Pixel& p : test::pixelsOf(level)) red.push_back(p[0]);
    return red;
}

TEST(MipChain, SizesHalveRoundingDownToOneByOne) {
    using Sizes = std::vector<std::pair<uint32_t, uint32_t>>;
    for (const Sizes& expected : {Sizes{{5, 3}, {2, 1}, {1, 1}}, Sizes{{1, 9}, {1, 4}, {1, 2}, {1, 1}}, Sizes{{1, 1}}}) {
        const auto [w, h] = expected[0];
        std::vector<MipLevel> mips{greyLevel(w, h, std::vector<uint8_t>(size_t{w} * h, 9))};
        completeMipChain(mips);
        Sizes sizes;
        for (const MipLevel& level : mips) {
            sizes.emplace_back(level.width, level.height);
            EXPECT_EQ(level.rgba, std::vector<uint8_t>(size_t{level.width} * level.height * 4, 9));
        }
        EXPECT_EQ(sizes, expected);
        EXPECT_EQ(fullMipCount(w, h), expected.size());
    }
    EXPECT_EQ(fullMipCount(4096, 1), 13u);
}

TEST(MipChain, BoxFilterWeighsPixelsByCoveredArea) {
    // Even sizes: 2 x 2 means rounded half up (3 / 4 -> 1, 2 / 4 -> 1, 1 / 4 -> 0).
    EXPECT_EQ(redChannel(downsample(greyLevel(6, 2, {0, 1, 0, 1, 0, 0,  //
                                                     1, 1, 0, 1, 1, 0}))),
              (std::vector<uint8_t>{1, 1, 0}));
    // 5 -> 2: weights (2, 2, 1) / 5 and (1, 2, 2) / 5.
    EXPECT_EQ(redChannel(downsample(greyLevel(5, 1, {10, 20, 30, 40, 50}))), (std::vector<uint8_t>{18, 42}));
    // 3 x 3 -> 1 x 1: mean of nine, 405 / 9.
    EXPECT_EQ(redChannel(downsample(greyLevel(3, 3, {0, 10, 20, 30, 40, 50, 60, 70, 125}))),
              (std::vector<uint8_t>{45}));
    // 5 x 3 -> 2 x 1: 255 * 2 / 5 in the right pixel.
    EXPECT_EQ(redChannel(downsample(greyLevel(5, 3, {0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255}))),
              (std::vector<uint8_t>{0, 102}));
    // Channels are filtered independently.
    EXPECT_EQ(downsample(MipLevel{2, 1, {255, 0, 10, 0, 0, 255, 20, 255}}).rgba,
              (std::vector<uint8_t>{128, 128, 15, 128}));
}

}  // namespace
}  // namespace korvel::image
