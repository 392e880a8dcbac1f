#include "textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <stb_image_write.h>

namespace demo {
namespace {

struct Pixels {
    int size;
    std::vector<uint8_t> rgba;
    explicit Pixels(int side) : size(side), rgba(static_cast<size_t>(side) * side * 4, 0) {}
    void set(int x, int y, double r, double g, double b, double a = 255.0) {
        uint8_t* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
        const double c[4] = {r, g, b, a};
        for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(std::clamp(c[i], 0.0, 255.0));
    }
};

// A repeatable pseudo-random value in [0, 1) for an integer lattice point.
double hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xffffff) / 16777216.0;
}

// Smooth value noise with lattice spacing `cell` that wraps every `period`
// pixels, so that the texture tiles without seams.
double noise(int x, int y, int cell, int period, int seed) {
    const int cells = period / cell;
    const double fx = static_cast<double>(x) / cell, fy = static_cast<double>(y) / cell;
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const double tx = fx - x0, ty = fy - y0;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    auto at = [&](int i, int j) { return hash(i % cells, j % cells, seed); };
    const double top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

// Three octaves of noise, about 0 to 1.
double fractal(int x, int y, int period, int seed) {
    return 0.5 * noise(x, y, 32, period, seed) + 0.3 * noise(x, y, 8, period, seed + 1) +
           0.2 * noise(x, y, 2, period, seed + 2);
}

Pixels grass() {
    Pixels img(128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double n = fractal(x, y, 128, 1);
            const double blade = hash(x, y, 7) * 0.25;
            img.set(x, y, 60 + 50 * n, 110 + 70 * n + 40 * blade, 35 + 25 * n);
        }
    return img;
}

// Flagstones: rows of stones of staggered length with dark joints.
Pixels stone() {
    Pixels img(128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const int row = y / 32;
            const int shift = (row % 2) * 24;
            const int column = ((x + shift) % 128) / 48;
            const int u = ((x + shift) % 128) % 48, v = y % 32;
            const bool joint = u < 3 || v < 3;
            const double tone = 0.75 + 0.25 * hash(column, row, 3);
            const double n = fractal(x, y, 128, 11);
            const double grey = joint ? 55 + 20 * n : (120 + 70 * n) * tone;
            img.set(x, y, grey * 1.02, grey, grey * 0.92);
        }
    return img;
}

// Vertical planks with grain and a dark gap between them.
Pixels wood() {
    Pixels img(64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int plank = x / 16;
            const double grain = 0.5 + 0.5 * std::sin(y * 0.4 + 3.0 * noise(x, y, 8, 64, plank + 20));
            const double shade = (x % 16 < 1 || y < 2 || y > 61) ? 0.45 : 0.85 + 0.15 * hash(plank, 0, 21);
            img.set(x, y, (140 + 40 * grain) * shade, (90 + 25 * grain) * shade, (45 + 10 * grain) * shade);
        }
    return img;
}

// A round glow, white-yellow in the middle, fading to transparent orange.
Pixels flame() {
    Pixels img(32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::min(1.0, std::hypot(x - 15.5, y - 15.5) / 16.0);
            const double core = 1.0 - d;
            img.set(x, y, 255, 90 + 150 * core * core, 20 + 120 * core * core * core, 150 * core * core);
        }
    return img;
}

bool save(const std::string& path, const Pixels& img) {
    return stbi_write_png(path.c_str(), img.size, img.size, 4, img.rgba.data(), img.size * 4) != 0;
}

}  // namespace

bool writeDemoTextures(const std::string& folder) {
    return save(folder + "/" + kGrassTexture, grass()) && save(folder + "/" + kStoneTexture, stone()) &&
           save(folder + "/" + kWoodTexture, wood()) && save(folder + "/" + kFlameTexture, flame());
}

}  // namespace demo
