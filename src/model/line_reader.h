// Reads text line by line into a 512-byte buffer, as a C text-mode fgets with
// that buffer does: a line keeps its '\n' and holds at most 511 bytes, so a
// line longer than 510 characters plus its end is split and its rest is the
// next line. "\r\n" counts as one '\n', so files written on either system
// read alike. At the end of the text next() fails and the buffer keeps the
// last line read.
#pragma once

#include <array>
#include <string_view>

namespace korvel::model {

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) { line_[0] = '\0'; }

    bool next();
    // Skips n lines.
    void skip(long long n) {
        for (long long i = 0; i < n && next(); ++i) {
        }
    }
    // The current line, null-terminated; scans stop at an embedded NUL as
    // they do on a C string.
    const char* line() const { return line_.data(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
    std::array<char, 512> line_{};
};

}  // namespace korvel::model
