// Corner arithmetic of screen and world sprites, without a device.
#include <gtest/gtest.h>

#include <numbers>

#include "draw2d/sprite_constants.h"
#include "draw2d/texture_numbers.h"

namespace korvel::draw2d {
namespace {

SpriteConstants at800x600(const ScreenSprite& sprite, double w, double h) {
    return screenSpriteConstants(sprite, w, h, 800.0, 600.0);
}

TEST(SpriteConstants, FullTextureAtOriginMapsToClipCorners) {
    const SpriteConstants c = at800x600(ScreenSprite{}, 256, 128);
    EXPECT_FLOAT_EQ(c.x[0], -1.0f);
    EXPECT_FLOAT_EQ(c.x[1], -0.36f);
    EXPECT_FLOAT_EQ(c.x[2], -1.0f);
    EXPECT_FLOAT_EQ(c.x[3], -0.36f);
    EXPECT_FLOAT_EQ(c.y[0], 1.0f);
    EXPECT_FLOAT_EQ(c.y[1], 1.0f);
    EXPECT_NEAR(c.y[2], 0.573333f, 1e-6);
    EXPECT_NEAR(c.y[3], 0.573333f, 1e-6);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.z[i], 0.0f);
    EXPECT_EQ(c.spaceFlag, kClipSpace);
    EXPECT_EQ(c.unused[0], 0.0f);
}

TEST(SpriteConstants, TextureRectangleSetsSizeAndCoordinates) {
    ScreenSprite half;
    half.tu0 = 0.5;
    half.z = 0.25;
    const SpriteConstants c = at800x600(half, 256, 128);
    // 128 pixels wide: from pixel 0 to 128.
    EXPECT_FLOAT_EQ(c.x[1], (128.0f - 400.0f) / 400.0f);
    const float u[4] = {0.5f, 1.0f, 0.5f, 1.0f};
    const float v[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.u[i], u[i]);
        EXPECT_EQ(c.v[i], v[i]);
        EXPECT_EQ(c.z[i], 0.25f);
    }

    ScreenSprite scaled;
    scaled.x = 100;
    scaled.y = 60;
    scaled.scalex = 2.0;
    scaled.scaley = -1.0;  // mirrored: the bottom edge lies above the top
    const SpriteConstants s = at800x600(scaled, 32, 16);
    EXPECT_FLOAT_EQ(s.x[1], (164.0f - 400.0f) / 400.0f);
    EXPECT_FLOAT_EQ(s.y[2], -(44.0f - 300.0f) / 300.0f);
}

TEST(SpriteConstants, RotationTurnsAboutThePivot) {
    ScreenSprite hanging;
    hanging.x = 100;
    hanging.y = 50;
    hanging.angle = std::numbers::pi / 2;
    const SpriteConstants c = at800x600(hanging, 256, 128);
    const auto pixelX = [](float clip) { return clip * 400.0f + 400.0f; };
    const auto pixelY = [](float clip) { return 300.0f - clip * 300.0f; };
    // Corner 0 stays; corner 1 hangs straight below it; corner 2 swings left.
    EXPECT_NEAR(pixelX(c.x[0]), 100.0f, 1e-3);
    EXPECT_NEAR(pixelY(c.y[0]), 50.0f, 1e-3);
    EXPECT_NEAR(pixelX(c.x[1]), 100.0f, 1e-3);
    EXPECT_NEAR(pixelY(c.y[1]), 306.0f, 1e-3);
    EXPECT_NEAR(pixelX(c.x[2]), -28.0f, 1e-3);
    EXPECT_NEAR(pixelY(c.y[2]), 50.0f, 1e-3);

    ScreenSprite centred = hanging;
    centred.angle = std::numbers::pi;
    centred.pivotx = 128;
    centred.pivoty = 64;
    const SpriteConstants h = at800x600(centred, 256, 128);
    // Half a turn about the centre swaps opposite corners.
    EXPECT_NEAR(pixelX(h.x[0]), 356.0f, 1e-3);
    EXPECT_NEAR(pixelY(h.y[0]), 178.0f, 1e-3);
    EXPECT_NEAR(pixelX(h.x[3]), 100.0f, 1e-3);
    EXPECT_NEAR(pixelY(h.y[3]), 50.0f, 1e-3);
}

TEST(SpriteConstants, WorldCornersAreCopiedWithTheWorldFlag) {
    const double X[4] = {-1, 1, -1, 1}, Y[4] = {1, 1, -1, -1}, Z[4] = {0.5, 0.5, 2, 2};
    const double U[4] = {0, 1, 0, 1}, V[4] = {0, 0, 1, 1};
    const SpriteConstants c = worldSpriteConstants(X, Y, Z, U, V);
    EXPECT_EQ(c.spaceFlag, kWorldSpace);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.x[i], static_cast<float>(X[i]));
        EXPECT_EQ(c.y[i], static_cast<float>(Y[i]));
        EXPECT_EQ(c.z[i], static_cast<float>(Z[i]));
        EXPECT_EQ(c.u[i], static_cast<float>(U[i]));
        EXPECT_EQ(c.v[i], static_cast<float>(V[i]));
    }
}

TEST(TextureNumbers, ReservedNumbersHaveTheirSizesAndOthersAreRefused) {
    TextureBinding binding;
    ASSERT_TRUE(resolveTexture(101, binding));
    EXPECT_EQ(binding.width, 512u);
    EXPECT_EQ(binding.height, 512u);
    ASSERT_TRUE(resolveTexture(100, binding));
    EXPECT_EQ(binding.width, 1024u);
    EXPECT_EQ(binding.height, 1024u);
    ASSERT_TRUE(resolveTexture(-1, binding));
    EXPECT_EQ(binding.view, nullptr);
    EXPECT_EQ(binding.width, 0u);
    ASSERT_TRUE(resolveTexture(42, binding));  // never loaded
    EXPECT_EQ(binding.view, nullptr);
    EXPECT_EQ(binding.width, 0u);
    EXPECT_FALSE(resolveTexture(102, binding));
    EXPECT_FALSE(resolveTexture(-2, binding));
}

}  // namespace
}  // namespace korvel::draw2d
