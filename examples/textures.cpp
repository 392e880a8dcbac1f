#include "textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <stb_image_write.h>

namespace demo {
namespace {

struct Pixels {
    int width;
    int height;
    std::vector<uint8_t> rgba;
    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
};

Pixels blank(int width, int height) { return {width, height, std::vector<uint8_t>(size_t(width) * height * 4, 0)}; }

Pixels checker() {
    Pixels img = blank(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            img.set(x, y, light ? 230 : 40, light ? 200 : 90, light ? 80 : 160, 255);
        }
    return img;
}

Pixels disc() {
    Pixels img = blank(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double d = std::hypot(x - 31.5, y - 31.5) / 32.0;
            const double a = std::clamp((1.0 - d) * 3.0, 0.0, 1.0);
            img.set(x, y, 255, static_cast<uint8_t>(255 * (1.0 - d * 0.6)), 90, static_cast<uint8_t>(255 * a));
        }
    return img;
}

// An arrow pointing right, opaque on a transparent ground.
Pixels arrow() {
    Pixels img = blank(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool shaft = x < 20 && y >= 5 && y < 11;
            const bool head = x >= 20 && std::abs(y - 7.5) <= (31 - x) * 0.7;
            if (shaft || head) img.set(x, y, 80, 220, 255, 255);
        }
    return img;
}

bool save(const std::string& path, const Pixels& img) {
    return stbi_write_png(path.c_str(), img.width, img.height, 4, img.rgba.data(), img.width * 4) != 0;
}

}  // namespace

std::vector<std::string> writeDemoTextures(const std::string& folder) {
    const std::vector<std::pair<std::string, Pixels>> textures = {
        {folder + "/checker.png", checker()}, {folder + "/disc.png", disc()}, {folder + "/arrow.png", arrow()}};
    std::vector<std::string> paths;
    for (const auto& [path, pixels] : textures) {
        if (!save(path, pixels)) return {};
        paths.push_back(path);
    }
    return paths;
}

}  // namespace demo
