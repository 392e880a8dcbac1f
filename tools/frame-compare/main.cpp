// korvel-frame-compare: compares two captures of the same scene made by
// different builds (Linux and Windows) and says how far they differ.
//
//   korvel-frame-compare A.png B.png [--tolerance N] [--max-share S]
//                        [--ignore X0,Y0,X1,Y1]... [--diff OUT.png]
//
// A pixel differs when any colour channel is more than N apart (default 0).
// Prints the share of differing pixels, the largest channel difference and
// the box around the differing pixels; exits 1 when the share is above S
// (default 0: every pixel within the tolerance), 2 when a file cannot be
// read or the sizes differ. Pixels inside an --ignore box (corners
// included) are left out of the count. --diff writes A dimmed, with the
// differing pixels in red.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/image/image.h"

namespace {

struct Box {
    uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool holds(uint32_t x, uint32_t y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

bool load(const char* path, korvel::image::TextureImage& image) {
    if (korvel::image::loadTextureFile(path, image) && !image.mips.empty()) return true;
    std::fprintf(stderr, "korvel-frame-compare: cannot read %s\n", path);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: korvel-frame-compare A.png B.png [--tolerance N] [--max-share S] "
                     "[--ignore X0,Y0,X1,Y1]... [--diff OUT.png]\n");
        return 2;
    }
    int tolerance = 0;
    double maxShare = 0;
    const char* diffPath = nullptr;
    std::vector<Box> ignored;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--tolerance") == 0) tolerance = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--max-share") == 0) maxShare = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--diff") == 0) diffPath = argv[i + 1];
        if (Box box; std::strcmp(argv[i], "--ignore") == 0 &&
                     std::sscanf(argv[i + 1], "%u,%u,%u,%u", &box.x0, &box.y0, &box.x1, &box.y1) == 4)
            ignored.push_back(box);
    }
    korvel::image::TextureImage a, b;
    if (!load(argv[1], a) || !load(argv[2], b)) return 2;
    const auto& first = a.mips.front();
    const auto& second = b.mips.front();
    if (first.width != second.width || first.height != second.height) {
        std::fprintf(stderr, "korvel-frame-compare: %s is %ux%u, %s is %ux%u\n", argv[1], first.width, first.height,
                     argv[2], second.width, second.height);
        return 2;
    }
    korvel::gpu::Image diff{first.width, first.height, first.rgba};
    size_t differing = 0;
    int largest = 0;
    uint32_t left = first.width, top = first.height, right = 0, bottom = 0;
    for (uint32_t y = 0; y < first.height; ++y) {
        for (uint32_t x = 0; x < first.width; ++x) {
            const size_t at = (static_cast<size_t>(y) * first.width + x) * 4;
            if (std::any_of(ignored.begin(), ignored.end(), [&](const Box& box) { return box.holds(x, y); })) continue;
            int difference = 0;
            for (size_t c = 0; c < 3; ++c)
                difference = std::max(difference, std::abs(first.rgba[at + c] - second.rgba[at + c]));
            largest = std::max(largest, difference);
            for (size_t c = 0; c < 3; ++c) diff.rgba[at + c] /= 3;
            if (difference <= tolerance) continue;
            diff.rgba[at] = 255;
            ++differing;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    }
    if (diffPath) korvel::image::saveImageFile(3, diffPath, diff);
    const double share = static_cast<double>(differing) / (static_cast<double>(first.width) * first.height);
    std::printf("%s: %.3f %% of pixels%s differ by more than %d (largest difference %d)", argv[2], share * 100,
                ignored.empty() ? "" : " outside the ignored boxes", tolerance, largest);
    if (differing > 0) std::printf(", within x %u-%u, y %u-%u", left, right, top, bottom);
    std::printf("\n");
    return share > maxShare ? 1 : 0;
}
