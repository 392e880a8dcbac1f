// Reading model text with the rules of the C library, whatever the process
// locale is: lines split as a text-mode fgets with a 512-byte buffer splits
// them, and numbers and literals scanned as sscanf scans them.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace korvel::model {

// Number and literal scanning with the rules of C sscanf in the "C" locale,
// whatever the process locale is: %d and %f skip leading white space, a
// literal character must match exactly, and a scan stops for good at the
// first mismatch, leaving later targets untouched. %d wraps a value that does
// not fit as the C library does; %f consumes exactly the characters that
// glibc's scanf does (so "1.5e;" reads 1.5 and then matches ';').

namespace scan {

constexpr bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The general conversions, from p after white space: the end of the text
// converted, or null when nothing converts.
const char* longInteger(const char* p, int32_t& out);
const char* anyReal(const char* p, float& out);

// Powers of ten that a double holds exactly.
inline constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// %d from p after white space. Up to 18 digits cannot reach the 64-bit
// limits at which the C library saturates, so they convert here.
inline const char* integer(const char* p, int32_t& out) {
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    const char* const digits = q;
    uint64_t magnitude = 0;
    for (; isDigit(*q) && q - digits < 18; ++q) magnitude = magnitude * 10 + static_cast<uint64_t>(*q - '0');
    if (q == digits) return nullptr;
    if (isDigit(*q)) return longInteger(p, out);
    out = static_cast<int32_t>(static_cast<uint32_t>(negative ? ~magnitude + 1 : magnitude));
    return q;
}

// %f from p after white space. The common short decimal ([sign] digits
// [. digits], at most 19 digits, no exponent) converts here: its digits (at
// most 2^53) and a power of ten up to 10^22 are exact doubles, so one IEEE
// division or multiplication rounds the exact value to the nearest double
// d, and rounding d to float gives the correctly rounded float unless d lies
// exactly halfway between two floats. That case, float subnormals and
// overflow, and every other form go to the general conversion.
inline const char* real(const char* p, float& out) {
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '+' || *q == '-') ++q;
    const char* const whole = q;
    uint64_t digits = 0;
    for (; isDigit(*q); ++q) digits = digits * 10 + static_cast<uint64_t>(*q - '0');
    ptrdiff_t count = q - whole, fraction = 0;
    if (*q == '.') {
        const char* const first = ++q;
        for (; isDigit(*q); ++q) digits = digits * 10 + static_cast<uint64_t>(*q - '0');
        fraction = q - first;
        count += fraction;
    }
    const char next = static_cast<char>(*q | 0x20);  // lower case for letters
    if (count == 0 || count > 19 || fraction > 22 || next == 'e' || next == 'x' || digits > (uint64_t{1} << 53))
        return anyReal(p, out);
    if (digits == 0) {
        out = negative ? -0.0f : 0.0f;
        return q;
    }
    const double value = static_cast<double>(digits) / kPow10[fraction];
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (value < 0x1p-125 || value > 0x1p127 || (bits & 0x1FFFFFFF) == 0x10000000) return anyReal(p, out);
    const float f = static_cast<float>(value);
    out = negative ? -f : f;
    return q;
}

}  // namespace scan

class CScan {
public:
    explicit CScan(const char* text) : p_(text) {}

    // Each call does nothing once an earlier one failed.
    CScan& literal(const char* text);
    CScan& literal(char c) {
        if (ok_) {
            ok_ = *p_ == c;
            p_ += ok_ ? 1 : 0;
        }
        return *this;
    }
    CScan& integer(int32_t& out) { return convert(scan::integer, out); }
    CScan& real(float& out) { return convert(scan::real, out); }
    // "%d;" and "%f;": the number, then a semicolon.
    CScan& intField(int32_t& out) { return integer(out).literal(';'); }
    CScan& realField(float& out) { return real(out).literal(';'); }

    bool ok() const { return ok_; }
    // Conversions stored so far.
    int converted() const { return converted_; }
    const char* rest() const { return p_; }

private:
    template <class T>
    CScan& convert(const char* (*conversion)(const char*, T&), T& out) {
        if (!ok_) return *this;
        const char* p = p_;
        while (scan::isSpace(*p)) ++p;
        if (const char* end = conversion(p, out)) {
            p_ = end;
            ++converted_;
        } else {
            ok_ = false;
        }
        return *this;
    }

    const char* p_;
    bool ok_ = true;
    int converted_ = 0;
};

// Where a LineReader gets its text: bytes in memory or a file, read front to
// back in pieces; rewind starts again from the first byte.
class TextSource {
public:
    virtual ~TextSource() = default;
    // Writes up to capacity bytes to out and returns how many; 0 at the end.
    virtual size_t read(char* out, size_t capacity) = 0;
    // Starts again from the first byte; false when the text cannot be read
    // again, after which reads return 0.
    virtual bool rewind() = 0;
    // Whether a read or rewind failed, so that the text read may be incomplete.
    virtual bool failed() const { return false; }
};

// Text already in memory.
class MemoryText final : public TextSource {
public:
    explicit MemoryText(std::string_view text) : text_(text) {}
    size_t read(char* out, size_t capacity) override;
    bool rewind() override {
        pos_ = 0;
        return true;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// A regular file read in order, opened with the checks of every whole-file
// read. Rewinding opens it again; a file that no longer opens or has changed
// size since the first open fails.
class FileText final : public TextSource {
public:
    platform::FileRead open(const std::string& utf8Path, uint64_t maxBytes);
    // The size at the first open.
    uint64_t size() const { return size_; }
    size_t read(char* out, size_t capacity) override;
    bool rewind() override;
    bool failed() const override { return failed_ || (file_.has_value() && file_->failed()); }

private:
    std::string path_;
    uint64_t maxBytes_ = 0;
    uint64_t size_ = 0;
    std::optional<platform::InputFile> file_;
    bool failed_ = false;
};

// Reads text line by line as a C text-mode fgets with a 512-byte buffer
// does: a line holds at most 511 bytes with its '\n', so a line longer than
// 510 characters plus its end is split and its rest is the next line;
// "\r\n" counts as one '\n', so files written on either system read alike.
// A line is given without its end ('\n' or "\r\n"), null-terminated. That
// end is white space after the last character, where every scan of a line
// stops anyway, so scans give what they give on the line with its '\n'. At
// the end of the text next() fails and line() keeps the last line read.
//
// The text goes through a window of a few hundred kilobytes that stays in
// cache, whatever the file's size. A line is ended in place by writing its
// terminating null over the '\n' (or the '\r' of "\r\n"), so it is not
// copied; only a split piece of an overlong line, whose next byte belongs to
// the next line, is copied out.

class LineReader {
public:
    explicit LineReader(TextSource& source) : source_(source), window_(kWindowBytes + 1) { held_[0] = '\0'; }

    bool next() {
        if (!sourceEnded_ && size_ - pos_ <= kLineMax) refill();
        if (pos_ >= size_) return false;
        lineOffset_ = consumed_ + pos_;
        char* start = window_.data() + pos_;
        const size_t available = size_ - pos_;
        // A line end within reach; "\r\n" shrinks to '\n', so one more raw byte may fit.
        if (auto* end = static_cast<char*>(std::memchr(start, '\n', std::min(available, kLineMax + 1)))) {
            const bool crlf = end > start && end[-1] == '\r';
            char* contentEnd = crlf ? end - 1 : end;
            if (contentEnd - start < static_cast<ptrdiff_t>(kLineMax)) {
                *contentEnd = '\0';
                line_ = start;
                pos_ += static_cast<size_t>(end - start) + 1;
                return true;
            }
        }
        return nextWithoutEnd(start, available);
    }
    // Skips n lines; false when the text ended first.
    bool skip(long long n) {
        for (long long i = 0; i < n; ++i)
            if (!next()) return false;
        return true;
    }
    // Passes over the lines ahead whose text does not hold `text` (which
    // holds no '\n') without splitting them, so that the next line read is
    // the first that may hold it. A search for a rare line costs a scan of
    // the bytes rather than a split of every line.
    void passLinesWithout(std::string_view text);
    // The current line, null-terminated; scans stop at an embedded NUL as
    // they do on a C string.
    const char* line() const { return line_; }
    // Starts again at the first line; false when the source cannot.
    bool rewind();
    // Where in the text the current line starts, and where the next one does.
    uint64_t lineOffset() const { return lineOffset_; }
    uint64_t position() const { return consumed_ + pos_; }
    // Starts again at the line that starts at offset, which an earlier pass
    // read there; the text before it is read past without splitting it.
    bool seek(uint64_t offset);

private:
    static constexpr size_t kWindowBytes = size_t{256} << 10;
    // Characters of a line, its '\n' included, as the 512-byte buffer holds them.
    static constexpr size_t kLineMax = 511;

    bool nextWithoutEnd(char* start, size_t available);
    void refill();

    TextSource& source_;
    // The text read, with one spare byte to end the text's last line in place.
    std::vector<char> window_;
    size_t size_ = 0;
    size_t pos_ = 0;
    // The text before the window, and where the current line starts.
    uint64_t consumed_ = 0;
    uint64_t lineOffset_ = 0;
    bool sourceEnded_ = false;
    std::array<char, kLineMax + 1> held_{};
    const char* line_ = held_.data();
};

}  // namespace korvel::model
