// Reading PT3 text with the rules of the C library, whatever the process
// locale is: lines split as a text-mode fgets with a 512-byte buffer splits
// them, and numbers and literals scanned as sscanf scans them.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace korvel::model {

// Number and literal scanning with the rules of C sscanf in the "C" locale,
// whatever the process locale is: %d and %f skip leading white space, a
// literal character must match exactly, and a scan stops for good at the
// first mismatch, leaving later targets untouched. %d wraps a value that does
// not fit as the C library does; %f consumes exactly the characters that
// glibc's scanf does (so "1.5e;" reads 1.5 and then matches ';').

class CScan {
public:
    explicit CScan(const char* text) : p_(text) {}

    // Each call does nothing once an earlier one failed.
    CScan& literal(const char* text);
    CScan& integer(int32_t& out);
    CScan& real(float& out);
    // "%d;" and "%f;": the number, then a semicolon.
    CScan& intField(int32_t& out) { return integer(out).literal(";"); }
    CScan& realField(float& out) { return real(out).literal(";"); }

    bool ok() const { return ok_; }
    // Conversions stored so far.
    int converted() const { return converted_; }
    const char* rest() const { return p_; }

private:
    const char* p_;
    bool ok_ = true;
    int converted_ = 0;
};

// Where a LineReader reading a file piece by piece gets its text.
class TextSource {
public:
    virtual ~TextSource() = default;
    // Writes up to capacity bytes to out and returns how many; 0 at the end.
    virtual size_t read(char* out, size_t capacity) = 0;
};

// Reads text line by line into a 512-byte buffer, as a C text-mode fgets with
// that buffer does: a line keeps its '\n' and holds at most 511 bytes, so a
// line longer than 510 characters plus its end is split and its rest is the
// next line. "\r\n" counts as one '\n', so files written on either system
// read alike. At the end of the text next() fails and the buffer keeps the
// last line read.
//
// The text is either all in memory or read from a source through a window of
// a few hundred kilobytes that stays in cache; a line never needs more than
// the 512 bytes ahead of it, so both read alike.

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) { line_[0] = '\0'; }
    explicit LineReader(TextSource& source) : source_(&source), window_(kWindowBytes) { line_[0] = '\0'; }

    bool next() {
        const size_t capacity = line_.size() - 1;  // 511 bytes and the terminating null
        if (source_ != nullptr && !sourceEnded_ && text_.size() - pos_ <= capacity) refill();
        if (pos_ >= text_.size()) return false;
        const char* start = text_.data() + pos_;
        const size_t available = text_.size() - pos_;
        // A line end within reach; "\r\n" shrinks to '\n', so one more raw byte may fit.
        if (const auto* end = static_cast<const char*>(std::memchr(start, '\n', std::min(available, capacity + 1)))) {
            const size_t raw = static_cast<size_t>(end - start) + 1;
            const size_t length = raw >= 2 && start[raw - 2] == '\r' ? raw - 1 : raw;
            if (length <= capacity) {
                std::memcpy(line_.data(), start, length - 1);
                line_[length - 1] = '\n';
                line_[length] = '\0';
                pos_ += raw;
                return true;
            }
        }
        // No line end among the next 511 bytes: they are a line of their own.
        const size_t length = std::min(available, capacity);
        std::memcpy(line_.data(), start, length);
        line_[length] = '\0';
        pos_ += length;
        return true;
    }
    // Skips n lines.
    void skip(long long n) {
        for (long long i = 0; i < n && next(); ++i) {
        }
    }
    // The current line, null-terminated; scans stop at an embedded NUL as
    // they do on a C string.
    const char* line() const { return line_.data(); }

private:
    static constexpr size_t kWindowBytes = size_t{256} << 10;

    // Moves the unread rest to the window's start and fills the window behind
    // it, until it is full or the source ends.
    void refill() {
        const size_t rest = text_.size() - pos_;
        if (rest > 0) std::memmove(window_.data(), text_.data() + pos_, rest);
        size_t filled = rest;
        while (!sourceEnded_ && filled < window_.size()) {
            const size_t got = source_->read(window_.data() + filled, window_.size() - filled);
            if (got == 0) sourceEnded_ = true;
            filled += got;
        }
        text_ = std::string_view(window_.data(), filled);
        pos_ = 0;
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::array<char, 512> line_{};
    TextSource* source_ = nullptr;
    std::vector<char> window_;
    bool sourceEnded_ = false;
};

}  // namespace korvel::model
