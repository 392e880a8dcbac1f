// Every capture kind written by saveImageFile and read back by the loader.
#include <filesystem>
#include <vector>

#include "image_test_support.h"
#include "platform/image/image.h"

namespace korvel::image {
namespace {

using test::gradientImage;

class SaveLoad : public test::ScratchFolder {};

TEST_F(SaveLoad, LosslessKindsRoundTripExactly) {
    const gpu::Image image = gradientImage(37, 21);
    for (const auto& [kind, name] : {std::pair{0, "capture.bmp"}, std::pair{3, "capture.png"}}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(saveImageFile(kind, pathOf(name), image));
        TextureImage loaded;
        ASSERT_TRUE(loadTextureFile(pathOf(name), loaded));
        EXPECT_EQ(loaded.width, 37u);
        EXPECT_EQ(loaded.height, 21u);
        ASSERT_FALSE(loaded.mips.empty());
        EXPECT_EQ(loaded.mips[0].rgba, image.rgba);
    }
}

TEST_F(SaveLoad, JpgRoundTripIsCloseAndOpaque) {
    gpu::Image image = gradientImage(64, 48);
    for (size_t i = 0; i < image.rgba.size(); i += 4) image.rgba[i + 2] = static_cast<uint8_t>(255 - image.rgba[i]);
    ASSERT_TRUE(saveImageFile(1, pathOf("capture.jpg"), image));
    TextureImage loaded;
    ASSERT_TRUE(loadTextureFile(pathOf("capture.jpg"), loaded));
    ASSERT_EQ(loaded.width, 64u);
    ASSERT_EQ(loaded.height, 48u);
    const std::vector<uint8_t>& pixels = loaded.mips[0].rgba;
    double error = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        for (int c = 0; c < 3; ++c) error += std::abs(pixels[i + c] - image.rgba[i + c]);
        EXPECT_EQ(pixels[i + 3], 255);
    }
    EXPECT_LT(error / (64.0 * 48 * 3), 3.0);  // mean absolute error per channel
}

TEST_F(SaveLoad, UnknownKindsWriteNothing) {
    const gpu::Image image = gradientImage(4, 4);
    for (int kind : {2, 5, -1, 100}) {
        const std::string path = pathOf("kind" + std::to_string(kind));
        EXPECT_FALSE(saveImageFile(kind, path, image));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST_F(SaveLoad, InconsistentImagesAreRefused) {
    gpu::Image empty;
    EXPECT_FALSE(saveImageFile(3, pathOf("empty.png"), empty));
    gpu::Image shortPixels = gradientImage(8, 8);
    shortPixels.rgba.resize(8 * 8 * 4 - 1);
    EXPECT_FALSE(saveImageFile(3, pathOf("short.png"), shortPixels));
    EXPECT_FALSE(std::filesystem::exists(pathOf("short.png")));
}

TEST_F(SaveLoad, UnwritablePathFails) {
    EXPECT_FALSE(saveImageFile(3, pathOf("missing/folder/capture.png"), gradientImage(2, 2)));
}

TEST_F(SaveLoad, MissingFileAndFolderDoNotLoad) {
    TextureImage loaded;
    EXPECT_FALSE(loadTextureFile(pathOf("absent.png"), loaded));
    EXPECT_FALSE(loadTextureFile(folder_.string(), loaded));
    EXPECT_TRUE(loaded.mips.empty());
}

}  // namespace
}  // namespace korvel::image
