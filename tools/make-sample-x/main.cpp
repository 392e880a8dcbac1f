// make-sample-x FOLDER: writes the sample X files in the paired exporter's
// layout into FOLDER (the repository keeps them in examples/assets):
//   sample_skinned.x  two meshes with skin, three joints, two animation sets
//   sample_grid.x     a static grid of four parts, about 400 vertices
//   skin.tga, grid.tga  the textures they name, 8 x 8 checkers
#include <cstdio>
#include <fstream>
#include <string>

#include "xfile-writer/writer.h"

namespace {

bool write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-sample-x: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

// An uncompressed 8 x 8 true-colour TGA checker of two BGR colours.
std::string checker(const unsigned char a[3], const unsigned char b[3]) {
    std::string tga(18, '\0');
    tga[2] = 2;   // uncompressed true colour
    tga[12] = 8;  // width
    tga[14] = 8;  // height
    tga[16] = 24;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tga.append(reinterpret_cast<const char*>((x + y) % 2 == 0 ? a : b), 3);
    return tga;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-x FOLDER\n");
        return 2;
    }
    using namespace korvel::model::xfile;
    const std::string folder = std::string(argv[1]) + "/";
    const unsigned char red[3] = {40, 40, 220}, white[3] = {240, 240, 240}, blue[3] = {200, 120, 40};
    const bool ok = write(folder + "sample_skinned.x", writeXText(sampleScene())) &&
                    write(folder + "sample_grid.x", writeXText(gridScene(400, 4, false))) &&
                    write(folder + "skin.tga", checker(red, white)) && write(folder + "grid.tga", checker(blue, white));
    return ok ? 0 : 1;
}
