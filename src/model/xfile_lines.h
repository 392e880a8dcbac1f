// The X importer's view of the file: lines read as a C text-mode fgets with a
// 512-byte buffer reads them (at most 511 bytes with the '\n', a longer line
// split; "\r\n" counts as '\n'), a position that a pass can return to, and
// the small helpers the passes share. Past the end of the text every line
// reads as empty, so no pass can loop on stale text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvel::model::xfile {

class XLines {
public:
    explicit XLines(std::string_view text) : text_(text) { line_[0] = '\0'; }

    // Reads the next line; false (and an empty line) at the end.
    bool next();
    const char* line() const { return line_.data(); }
    // Skips n lines (none when n is 0 or less), stopping at the end.
    void skip(int64_t n);
    // Reads lines until one matches the pattern; false at the end.
    bool until(std::string_view pattern);
    // The next line's "%d"; 0 when it does not convert.
    int32_t count();

    size_t position() const { return pos_; }
    void seek(size_t position) {
        pos_ = position;
        line_[0] = '\0';
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    std::array<char, 512> line_{};
};

// Names live in 50-byte fields.
inline constexpr size_t kNameMax = 49;
// Texture file names are at most 255 bytes.
inline constexpr size_t kTextureNameMax = 255;

// The text of line from offset start up to the first `end` character after
// it, without that text's last character; empty when `end` does not follow
// or start lies past the line. At most kNameMax bytes.
std::string nameBefore(const char* line, size_t start, char end);
// The text between the line's first two double quotes, at most max bytes;
// empty when there are fewer than two.
std::string quoted(const char* line, size_t max);

}  // namespace korvel::model::xfile
