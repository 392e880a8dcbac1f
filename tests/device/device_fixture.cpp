#include "device/device_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Korvelv0.h"
#include "device/device_state.h"
#include "platform/image/image.h"

namespace korvel::testing {

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << "rgba(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

bool closeTo(const Rgba& actual, const Rgba& expected, int tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

gpu::Image captureBackBuffer() {
    gpu::Image image;
    device::DeviceState& state = device::deviceState();
    if (state.bundle.context && state.backBufferRTV) state.bundle.context->readPixels(*state.backBufferRTV, image);
    return image;
}

Rgba pixelAt(const gpu::Image& image, uint32_t x, uint32_t y) {
    if (x >= image.width || y >= image.height) return {-1000, -1000, -1000, -1000};
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

std::string tempPath(const std::string& name) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("korvel-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return (folder / name).string();
}

int loadTexture(uint32_t width, uint32_t height, const std::function<Rgba(uint32_t, uint32_t)>& texel) {
    static int counter = 0;
    gpu::Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba c = texel(x, y);
            uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(c.r), p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.b), p[3] = static_cast<uint8_t>(c.a);
        }
    const std::string path = tempPath("texture" + std::to_string(counter++) + ".png");
    if (!image::saveImageFile(3, path, image)) return -1;
    const std::wstring wide(path.begin(), path.end());
    return readtexture(wide.c_str());
}

int loadSolidTexture(uint32_t width, uint32_t height, Rgba colour) {
    return loadTexture(width, height, [colour](uint32_t, uint32_t) { return colour; });
}

void DeviceTest::SetUp() {
    ScreenSizeSet(1);
    ASSERT_GE(InitDevice(nullptr), 0);
}

void DeviceTest::TearDown() { CleanupDevice(); }

}  // namespace korvel::testing
