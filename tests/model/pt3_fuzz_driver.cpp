// Runs the PT3 fuzz entry on a fixed number of deterministic mutations of
// sample models (argument 1, default 2000), so a plain compiler build checks
// it in CI. Build the entry with clang's -fsanitize=fuzzer for real fuzzing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "model_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using korvel::model::testing::Sample;
using korvel::model::testing::samplePt3;

const char* const kTokens[] = {"-1", "0", "2147483647", "-2147483648", "99999999999", "1e38", "nan", ";", "\n",
                               "\r\n", "None", "-", ".", " ", "4", "2"};

std::string mutate(std::string text, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = rng() % text.size();
        switch (rng() % 5) {
            case 0: text[at] = static_cast<char>(rng()); break;
            case 1: text.insert(at, kTokens[rng() % (sizeof kTokens / sizeof *kTokens)]); break;
            case 2: text.erase(at, 1 + rng() % 16); break;
            case 3: {  // duplicate a line
                const size_t end = text.find('\n', at);
                if (end != std::string::npos) text.insert(end + 1, text.substr(at, end + 1 - at));
                break;
            }
            default: {  // replace a number with another token
                size_t end = at;
                while (end < text.size() && text[end] != ';') ++end;
                text.replace(at, end - at, kTokens[rng() % (sizeof kTokens / sizeof *kTokens)]);
            }
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    std::vector<std::string> seeds;
    for (int bits = 0; bits < 32; ++bits) {
        const Sample s{.normals = (bits & 1) != 0, .skin = (bits & 2) != 0, .motions = (bits & 6) == 6,
                       .shapekeys = (bits & 8) != 0, .hair = (bits & 16) != 0};
        seeds.push_back(samplePt3(s));
    }
    std::mt19937 rng(12345);
    for (long round = 0; round < rounds; ++round) {
        const std::string input = mutate(seeds[round % seeds.size()], rng);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::printf("%ld PT3 inputs read\n", rounds);
    return 0;
}
