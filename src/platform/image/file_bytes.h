// Whole-file reads and writes for the image loaders and savers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::image {

// Largest file the loaders read into memory.
inline constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

// Reads a regular file of at most kMaxFileBytes into out.
bool readFileBytes(const std::string& utf8Path, std::vector<uint8_t>& out);

// Creates or truncates the file and writes size bytes to it.
bool writeFileBytes(const std::string& utf8Path, const uint8_t* data, size_t size);

}  // namespace korvel::image
