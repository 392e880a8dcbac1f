// Mip chain sizes and the area-weighted box filter.
#include <utility>
#include <vector>

#include "image_test_support.h"
#include "platform/image/image.h"
#include "platform/image/mip_chain.h"

namespace korvel::image {
namespace {

// A level whose channels all hold the given value per pixel.
MipLevel greyLevel(uint32_t width, uint32_t height, const std::vector<uint8_t>& values) {
    MipLevel level{width, height, {}};
    for (uint8_t v : values) level.rgba.insert(level.rgba.end(), {v, v, v, v});
    return level;
}

std::vector<uint8_t> redChannel(const MipLevel& level) {
    std::vector<uint8_t> red;
    for (size_t i = 0; i < level.rgba.size(); i += 4) red.push_back(level.rgba[i]);
    return red;
}

TEST(MipChain, SizesHalveRoundingDownToOneByOne) {
    const std::vector<std::pair<uint32_t, uint32_t>> cases = {{5, 3}, {16, 4}, {1, 1}, {1, 9}};
    const std::vector<std::vector<std::pair<uint32_t, uint32_t>>> expected = {
        {{5, 3}, {2, 1}, {1, 1}},
        {{16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}},
        {{1, 1}},
        {{1, 9}, {1, 4}, {1, 2}, {1, 1}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto [w, h] = cases[i];
        std::vector<MipLevel> mips{greyLevel(w, h, std::vector<uint8_t>(size_t{w} * h, 9))};
        completeMipChain(mips);
        EXPECT_EQ(mips.size(), fullMipCount(w, h));
        std::vector<std::pair<uint32_t, uint32_t>> sizes;
        for (const MipLevel& level : mips) {
            sizes.emplace_back(level.width, level.height);
            EXPECT_EQ(level.rgba, std::vector<uint8_t>(size_t{level.width} * level.height * 4, 9));
        }
        EXPECT_EQ(sizes, expected[i]);
    }
    EXPECT_EQ(fullMipCount(4096, 1), 13u);
}

TEST(MipChain, EvenSizesAverageTwoByTwoRoundingHalfUp) {
    const MipLevel source = greyLevel(4, 2, {0, 1, 0, 1,  //
                                             1, 1, 0, 1});
    EXPECT_EQ(redChannel(downsample(source)), (std::vector<uint8_t>{1, 1}));  // 3/4 and 2/4 round up
    EXPECT_EQ(redChannel(downsample(greyLevel(2, 2, {0, 0, 0, 1}))), (std::vector<uint8_t>{0}));
}

TEST(MipChain, OddSizesWeighPixelsByCoveredArea) {
    // 5 -> 2: weights (2, 2, 1) / 5 and (1, 2, 2) / 5.
    EXPECT_EQ(redChannel(downsample(greyLevel(5, 1, {10, 20, 30, 40, 50}))), (std::vector<uint8_t>{18, 42}));
    // 3 -> 1 on both axes: plain mean of nine pixels, 405 / 9.
    EXPECT_EQ(redChannel(downsample(greyLevel(3, 3, {0, 10, 20, 30, 40, 50, 60, 70, 125}))),
              (std::vector<uint8_t>{45}));
    // 5 x 3 -> 2 x 1: column weights as above, rows 1 / 3 each.
    const MipLevel wide = greyLevel(5, 3, {0, 0, 0, 0, 255,  //
                                           0, 0, 0, 0, 255,  //
                                           0, 0, 0, 0, 255});
    EXPECT_EQ(redChannel(downsample(wide)), (std::vector<uint8_t>{0, 102}));  // 255 * 2 / 5
}

TEST(MipChain, ChannelsAreFilteredIndependently) {
    MipLevel source{2, 1, {255, 0, 10, 0, 0, 255, 20, 255}};
    EXPECT_EQ(downsample(source).rgba, (std::vector<uint8_t>{128, 128, 15, 128}));
}

}  // namespace
}  // namespace korvel::image
