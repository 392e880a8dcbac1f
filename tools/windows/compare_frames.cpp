// Compares two sets of same-named PNG frames channel by channel, such as the
// demo's frames from the Linux and the Windows builds:
//
//   compare_frames <tolerance> <left> <top> <right> <bottom> <folder A> <folder B> <name>...
//
// For each frame it prints, per channel (red, green, blue, alpha), the largest
// difference, then how many pixels differ by more than the tolerance in any
// channel and the box that holds them. Pixels inside the given rectangle
// (inclusive) may differ: the demo's caption, whose rasteriser differs
// (GDI, FreeType), and its particles, whose C runtime's rand() differs. Fails
// (exit 1) when a frame is missing, the sizes differ, or a pixel outside the
// rectangle differs by more than the tolerance.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <stb_image.h>

namespace {

struct Image {
    std::unique_ptr<unsigned char, void (*)(void*)> pixels{nullptr, stbi_image_free};
    int width = 0;
    int height = 0;
};

bool load(const std::string& path, Image& image) {
    int channels = 0;
    image.pixels.reset(stbi_load(path.c_str(), &image.width, &image.height, &channels, 4));
    if (!image.pixels) std::fprintf(stderr, "compare_frames: cannot read %s\n", path.c_str());
    return image.pixels != nullptr;
}

// True when the frames are alike within the limits.
struct Box {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

bool compare(const std::string& name, const Image& a, const Image& b, int tolerance, const Box& allowed) {
    if (a.width != b.width || a.height != b.height) {
        std::printf("%s: sizes differ (%dx%d, %dx%d)\n", name.c_str(), a.width, a.height, b.width, b.height);
        return false;
    }
    int largest[4] = {0, 0, 0, 0};
    long differing = 0, outside = 0;
    int left = a.width, top = a.height, right = -1, bottom = -1;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const size_t at = (static_cast<size_t>(y) * a.width + x) * 4;
            bool differs = false;
            for (int c = 0; c < 4; ++c) {
                const int d = std::abs(a.pixels.get()[at + c] - b.pixels.get()[at + c]);
                largest[c] = std::max(largest[c], d);
                differs = differs || d > tolerance;
            }
            if (!differs) continue;
            ++differing;
            if (!allowed.contains(x, y)) ++outside;
            left = std::min(left, x), top = std::min(top, y);
            right = std::max(right, x), bottom = std::max(bottom, y);
        }
    }
    const double share = 100.0 * differing / (static_cast<double>(a.width) * a.height);
    std::printf("%s: largest difference R %d G %d B %d A %d; %ld pixels (%.2f %%) beyond %d", name.c_str(), largest[0],
                largest[1], largest[2], largest[3], differing, share, tolerance);
    if (differing > 0)
        std::printf(", within x %d-%d y %d-%d; %ld outside the allowed box", left, right, top, bottom, outside);
    std::printf("\n");
    return outside == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 9) {
        std::fprintf(stderr,
                     "usage: compare_frames <tolerance> <left> <top> <right> <bottom> <folder A> <folder B> "
                     "<name>...\n");
        return 2;
    }
    const int tolerance = std::atoi(argv[1]);
    const Box allowed{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
    bool alike = true;
    for (int i = 8; i < argc; ++i) {
        Image a, b;
        if (!load(std::string(argv[6]) + "/" + argv[i], a) || !load(std::string(argv[7]) + "/" + argv[i], b)) {
            alike = false;
            continue;
        }
        alike = compare(argv[i], a, b, tolerance, allowed) && alike;
    }
    return alike ? 0 : 1;
}
