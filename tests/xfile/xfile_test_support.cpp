#include "xfile_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace korvel::model::xfile::testing {

int FakeTextures::load(const std::string& utf8Path) {
    loads.push_back(utf8Path);
    if (std::find(existing.begin(), existing.end(), utf8Path) == existing.end()) return -1;
    return nextSlot_++;
}

std::string withHeader(const std::string& body) {
    std::string text = "xof 0303txt 0032\n";
    for (int i = 1; i < 212; ++i) text += "// header\n";
    return text + body;
}

RawModel randomRawModel(std::mt19937& rng, int parts, int verticesPerPart, int facesPerPart) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float coords[] = {0.0f, -0.0f, 1.0f, 2.5f, -1.0f, nan};
    const float texs[] = {0.0f, 0.5f, 1.0f, -0.0f};
    auto pick = [&](auto& values) { return values[rng() % std::size(values)]; };

    RawModel raw;
    const int materialsPerPart = 1 + static_cast<int>(rng() % 4);
    for (int p = 0; p < parts; ++p) {
        raw.partNames.push_back("part" + std::to_string(p));
        const auto vertexBase = static_cast<int32_t>(raw.vertices.size());
        const auto materialBase = static_cast<int32_t>(raw.materials.size());
        for (int i = 0; i < verticesPerPart; ++i) {
            RawVertex v;
            v.part = p;
            // A small pool of positions so that many repeat (NaN rarely).
            for (float& c : v.pos) c = rng() % 16 == 0 ? nan : pick(coords);
            if (rng() % 8 == 0) std::fill(v.pos, v.pos + 3, nan);
            if (rng() % 4 != 0) v.pos[0] = v.pos[1] = v.pos[2] = static_cast<float>(rng() % 3);
            for (float& t : v.tex) t = pick(texs);
            raw.vertices.push_back(v);
        }
        for (int m = 0; m < materialsPerPart; ++m) {
            RawMaterial mat;
            const int kind = static_cast<int>(rng() % 3);
            for (int c = 0; c < kColourValues; ++c) mat.colour[c] = kind == 2 && c == 4 ? -0.0f : 0.25f * kind;
            if (rng() % 10 == 0) mat.colour[0] = nan;
            mat.texture = rng() % 2 == 0 ? std::string() : "tex" + std::to_string(rng() % 2) + ".png";
            raw.materials.push_back(mat);
        }
        for (int f = 0; f < facesPerPart; ++f) {
            Obj3dFace face{};
            face.partno = p;
            for (int32_t& c : face.vertexno) c = vertexBase + static_cast<int32_t>(rng() % static_cast<unsigned>(verticesPerPart));
            face.matno = materialBase + static_cast<int32_t>(rng() % static_cast<unsigned>(materialsPerPart));
            raw.faces.push_back(face);
        }
    }
    const int bones = 3;
    raw.boneNames = {"B0_Joint", "B1_Joint", "B2_Joint"};
    for (size_t i = 0; i < raw.vertices.size(); ++i)
        for (int k = static_cast<int>(rng() % 4); k > 0; --k)
            raw.skin.push_back(SkinEntry{static_cast<int32_t>(rng() % bones), static_cast<int32_t>(i),
                                         static_cast<float>(rng() % 5) * 0.25f});
    return raw;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string tempDir() {
    const std::string dir = (std::filesystem::temp_directory_path() / ("korvel_xfile_" + std::to_string(getpid()))).string() + "/";
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace korvel::model::xfile::testing
