// The clamped key search: before, on, between and after the keys, and index
// safety for frame numbers that do not ascend.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "instance/key_search.h"

namespace korvel::testing {
namespace {

using instance::KeySpan;

KeySpan search(const std::vector<int>& frames, int frame) {
    return instance::searchKeys(frame, static_cast<int>(frames.size()), [&frames](int k) { return frames[k]; });
}

void expectSingle(const KeySpan& s, int key) {
    EXPECT_EQ(s.lo, key);
    EXPECT_EQ(s.hi, key);
    EXPECT_EQ(s.u, 0.0f);
}

TEST(KeySearch, ClampsBeforeTheFirstAndAfterTheLastKey) {
    const std::vector<int> frames = {5, 10, 20};
    expectSingle(search(frames, -100), 0);
    expectSingle(search(frames, 4), 0);
    expectSingle(search(frames, 21), 2);
    expectSingle(search(frames, 1 << 30), 2);
}

TEST(KeySearch, AFrameOnAKeyTakesThatKeyAlone) {
    const std::vector<int> frames = {5, 10, 20};
    expectSingle(search(frames, 5), 0);
    expectSingle(search(frames, 10), 1);
    expectSingle(search(frames, 20), 2);
    expectSingle(search({7}, 7), 0);
    expectSingle(search({7}, 8), 0);
}

TEST(KeySearch, BetweenKeysBlendsByTheFrameFraction) {
    const KeySpan mid = search({0, 10}, 5);
    EXPECT_EQ(mid.lo, 0);
    EXPECT_EQ(mid.hi, 1);
    EXPECT_EQ(mid.u, 0.5f);
    const KeySpan third = search({5, 10, 20}, 13);
    EXPECT_EQ(third.lo, 1);
    EXPECT_EQ(third.hi, 2);
    EXPECT_EQ(third.u, static_cast<float>(3.0 / 10.0));
}

TEST(KeySearch, ExtremeFrameNumbersDoNotOverflow) {
    const KeySpan s = search({-2147483647 - 1, 2147483647}, 0);
    EXPECT_EQ(s.lo, 0);
    EXPECT_NEAR(s.u, 0.5f, 1e-6f);
}

TEST(KeySearch, UnorderedFramesStillGiveKeysInRangeAndAFiniteFactor) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> value(-50, 50);
    for (int round = 0; round < 2000; ++round) {
        std::vector<int> frames(1 + round % 6);
        for (int& f : frames) f = value(rng);
        const KeySpan s = search(frames, value(rng));
        ASSERT_GE(s.lo, 0);
        ASSERT_LT(s.hi, static_cast<int>(frames.size()));
        ASSERT_TRUE(s.hi == s.lo || s.hi == s.lo + 1);
        ASSERT_GE(s.u, 0.0f);
        ASSERT_LE(s.u, 1.0f);
    }
}

}  // namespace
}  // namespace korvel::testing
