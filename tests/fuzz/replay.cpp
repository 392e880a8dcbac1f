// The deterministic fuzz driver that CI runs with any compiler:
//   fuzz_replay TARGET CORPUS_FOLDER [MUTATIONS]
// runs every file of the corpus folder (in name order) through the target,
// then MUTATIONS mutated seeds, taking the seeds in turn, each mutated by a
// PRNG of its own seeded by the seed's position, so every run feeds the same
// inputs and the run time does not grow with the corpus. A crash, a sanitizer
// report or a target's own check ends the program; it also fails when no
// seed is accepted, since a replay that never gets past the reader's first
// checks would test nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz/targets.h"

namespace {

// Values at the edges of what readers parse, and the separators of the text
// formats, so that mutations reach the count, index and nesting checks.
const char* const kTokens[] = {"-1",         "0",           "1",    "255",    "65536", "2147483647", "-2147483648",
                               "4294967296", "99999999999", "1e38", "-1e-38", "nan",   "inf",        ";",
                               ",",          "\n",          "\r\n", "{",      "}",     "(",          ")",
                               "\"",         " ",           "-",    "."};
const uint32_t kWords[] = {0, 1, 0x7fffffff, 0x80000000, 0xffffffff, 0x10000, 0xffff};

using Rng = std::mt19937;

size_t below(Rng& rng, size_t n) { return n == 0 ? 0 : rng() % n; }

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The first decimal number at or after `at` moved by one: a count or index
// one past its table, or one short of it.
void stepNumber(std::string& text, size_t at, Rng& rng) {
    while (at < text.size() && !isDigit(text[at])) ++at;
    if (at == text.size()) return;
    while (at > 0 && isDigit(text[at - 1])) --at;
    size_t end = at;
    while (end < text.size() && end - at < 9 && isDigit(text[end])) ++end;
    const long value = std::stol(text.substr(at, end - at)) + (rng() % 2 == 0 ? 1 : -1);
    text.replace(at, end - at, std::to_string(value));
}

void mutateOnce(std::string& text, Rng& rng) {
    const size_t at = below(rng, text.size());
    switch (rng() % 8) {
        case 0:
            text[at] = static_cast<char>(rng());
            break;
        case 1:
            text.insert(at, kTokens[below(rng, std::size(kTokens))]);
            break;
        case 2:
            text.erase(at, 1 + below(rng, 32));
            break;
        case 3:
            text.insert(below(rng, text.size()), text.substr(at, 1 + below(rng, 64)));
            break;
        case 4: {  // a number replaced by an edge value
            size_t end = at;
            while (end < text.size() && (isDigit(text[end]) || text[end] == '.')) ++end;
            text.replace(at, end - at, kTokens[below(rng, std::size(kTokens))]);
            break;
        }
        case 5:  // cut anywhere, or just short of the data a header asks for
            text.resize(rng() % 2 == 0 ? at : text.size() - std::min(text.size(), 1 + below(rng, 4)));
            break;
        case 6:
            stepNumber(text, at, rng);
            break;
        default: {  // a little-endian word of a binary header replaced
            const uint32_t word = kWords[below(rng, std::size(kWords))];
            for (size_t i = 0; i < 4 && at + i < text.size(); ++i) text[at + i] = static_cast<char>(word >> (8 * i));
        }
    }
}

// The options byte, when the target has one, is drawn apart from the file.
std::string mutate(const std::string& seed, bool optionsByte, Rng& rng) {
    const size_t fileStart = optionsByte && !seed.empty() ? 1 : 0;
    std::string file = seed.substr(fileStart);
    for (size_t edits = 1 + below(rng, 4); edits > 0 && !file.empty(); --edits) mutateOnce(file, rng);
    if (fileStart == 0) return file;
    const char options = rng() % 2 == 0 ? static_cast<char>(rng()) : seed[0];
    return options + file;
}

std::vector<std::string> readCorpus(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> seeds;
    for (const auto& path : paths) {
        std::ifstream file(path, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return seeds;
}

bool run(const korvel::fuzz::Target& target, const std::string& input) {
    return target.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
    const korvel::fuzz::Target* target = argc >= 3 ? korvel::fuzz::findTarget(argv[1]) : nullptr;
    if (!target) {
        std::fprintf(stderr, "usage: %s TARGET CORPUS_FOLDER [MUTATIONS]\n  targets: %s\n", argv[0],
                     korvel::fuzz::targetNames());
        return 2;
    }
    const long mutations = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 1000;
    const std::vector<std::string> seeds = readCorpus(argv[2]);
    if (seeds.empty()) {
        std::fprintf(stderr, "%s: no corpus files in %s\n", target->name, argv[2]);
        return 1;
    }
    target->prepare();

    size_t seedsAccepted = 0, accepted = 0;
    std::vector<Rng> rngs;
    for (size_t index = 0; index < seeds.size(); ++index) {
        seedsAccepted += run(*target, seeds[index]);
        rngs.emplace_back(static_cast<uint32_t>(20261206 + index));
    }
    for (long round = 0; round < mutations; ++round) {
        const size_t index = static_cast<size_t>(round) % seeds.size();
        accepted += run(*target, mutate(seeds[index], target->optionsByte, rngs[index]));
    }
    std::printf("%s: %zu of %zu seeds accepted; %zu of %ld mutations accepted\n", target->name, seedsAccepted,
                seeds.size(), accepted, mutations);
    return seedsAccepted > 0 ? 0 : 1;
}
