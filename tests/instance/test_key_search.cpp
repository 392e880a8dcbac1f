// The key search on data outside the contract: whatever order the frame
// numbers are in, and however large they are, it names keys in range with a
// finite factor. (On ascending keys it is checked through the pose tests.)
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "instance/key_search.h"

namespace korvel::testing {
namespace {

instance::KeySpan search(const std::vector<int>& frames, int frame) {
    return instance::searchKeys(frame, static_cast<int>(frames.size()), [&frames](int k) { return frames[k]; });
}

TEST(KeySearch, ExtremeFrameNumbersDoNotOverflow) {
    const instance::KeySpan s = search({-2147483647 - 1, 2147483647}, 0);
    EXPECT_EQ(s.lo, 0);
    EXPECT_EQ(s.hi, 1);
    EXPECT_NEAR(s.u, 0.5f, 1e-6f);
}

TEST(KeySearch, UnorderedFramesStillGiveKeysInRangeAndAFiniteFactor) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> value(-50, 50);
    for (int round = 0; round < 2000; ++round) {
        std::vector<int> frames(1 + round % 6);
        for (int& f : frames) f = value(rng);
        const instance::KeySpan s = search(frames, value(rng));
        ASSERT_GE(s.lo, 0);
        ASSERT_LT(s.hi, static_cast<int>(frames.size()));
        ASSERT_TRUE(s.hi == s.lo || s.hi == s.lo + 1);
        ASSERT_GE(s.u, 0.0f);
        ASSERT_LE(s.u, 1.0f);
    }
}

}  // namespace
}  // namespace korvel::testing
