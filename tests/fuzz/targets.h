// The fuzz targets: one per reader of files a host hands the library (PT3
// models, X files, images, the effect file). Each drives the library through
// its public C interface only, exactly as a host would, so that libFuzzer
// (libfuzzer_entry.cpp) and the deterministic replay that CI runs
// (replay.cpp) exercise the same calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvel::fuzz {

struct Target {
    const char* name;
    // The input's first byte picks the call's arguments (modes, a frame);
    // the file is the rest. Mutators keep such a byte apart from the file.
    bool optionsByte;
    // Once per process, before the first input.
    void (*prepare)();
    // Runs one input; true when the reader accepted it (a model, a texture or
    // a device was made), so a replay can tell that its seeds reach past the
    // reader's first checks.
    bool (*run)(const uint8_t* data, size_t size);
};

// The target of that name, or null.
const Target* findTarget(std::string_view name);

// A comma-separated list of the target names, for usage messages.
const char* targetNames();

// The targets' run functions.
bool runPt3(const uint8_t* data, size_t size);
bool runXfile(const uint8_t* data, size_t size);
bool runImage(const uint8_t* data, size_t size);
bool runEffect(const uint8_t* data, size_t size);

}  // namespace korvel::fuzz
