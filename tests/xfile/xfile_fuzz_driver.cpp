// Runs the X importer's fuzz entry on a fixed number of deterministic
// mutations of generated X files (argument 1, default 2000), so a plain
// compiler build checks it in CI. Build the entry with clang's
// -fsanitize=fuzzer for real fuzzing.
#include <cstdint>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "xfile/xfile_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using namespace korvel::model::xfile;

const char* const kTokens[] = {"-1", "0", "2147483647", "-2147483648", "99999999999", "1e38", "nan", ";", ",",
                               "\n", "\r\n", "{", "}", "\"", "_Joint", "Frame ", "   Mesh M {", "AnimationSet S {",
                               "    SkinWeights {", "    XSkinMeshHeader {", "3;", "-0.0", " "};

std::string mutate(std::string text, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = rng() % text.size();
        const char* token = kTokens[rng() % (sizeof kTokens / sizeof *kTokens)];
        switch (rng() % 5) {
            case 0: text[at] = static_cast<char>(rng()); break;
            case 1: text.insert(at, token); break;
            case 2: text.erase(at, 1 + rng() % 64); break;
            case 3: {  // duplicate or drop a line
                const size_t end = text.find('\n', at);
                if (end == std::string::npos) break;
                if (rng() % 2 == 0) text.insert(end + 1, text.substr(at, end + 1 - at));
                else text.erase(at, end + 1 - at);
                break;
            }
            default: {  // replace a number
                size_t end = at;
                while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.')) ++end;
                text.replace(at, end - at, token);
            }
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    std::vector<std::string> seeds;
    XScene full = korvel::model::xfile::testing::sampleScene();
    seeds.push_back(writeXText(full));
    XScene unskinned = full;
    unskinned.skin = false;
    unskinned.joints.clear();
    unskinned.sets.clear();
    seeds.push_back(writeXText(unskinned));
    std::mt19937 rng(20261206);
    for (long round = 0; round < rounds; ++round) {
        // The first byte chooses the modes; the header keeps its 212 lines.
        const std::string input = static_cast<char>(rng()) + mutate(seeds[round % seeds.size()], rng);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::printf("%ld X inputs read\n", rounds);
    return 0;
}
