#include "model/text_scan.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <locale.h>
#include <stdlib.h>

namespace korvel::model {

namespace {

using scan::isDigit;
using scan::kPow10;
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(const char* p, const char* word) {
    for (; *word != '\0'; ++p, ++word)
        if (lower(*p) != *word) return false;
    return true;
}

#ifdef _WIN32
// The C runtime has no strtof that ignores the host's locale: from_chars
// converts the span instead, rounded as strtof rounds, with strtof's results
// out of range: infinity above the largest float, zero below the smallest.
float cLocaleStrtof(const char* text) {
    const bool negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text += 2;
    const char* end = text + std::strlen(text);
    const auto format = hex ? std::chars_format::hex : std::chars_format::general;
    float value = 0;
    if (std::from_chars(text, end, value, format).ec == std::errc::result_out_of_range) {
        const char* exponent = std::find_if(text, end, [hex](char c) { return lower(c) == (hex ? 'p' : 'e'); });
        const bool tiny = exponent != end && exponent[1] == '-';
        value = tiny ? 0.0f : std::numeric_limits<float>::infinity();
    }
    return negative ? -value : value;
}
#else
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

float cLocaleStrtof(const char* text) { return strtof_l(text, nullptr, cLocale()); }
#endif

const char* skipDigits(const char* p, bool hex, bool& any) {
    while (hex ? isHexDigit(*p) : isDigit(*p)) {
        ++p;
        any = true;
    }
    return p;
}

// The end of the text glibc's %f takes from p (after white space), or null
// when it converts nothing; special is set for inf and nan.
const char* floatSpan(const char* p, bool& special, bool& hex) {
    special = false;
    if (*p == '+' || *p == '-') ++p;
    if (startsWithNoCase(p, "nan")) {
        special = true;
        return p + 3;
    }
    if (startsWithNoCase(p, "inf")) {
        special = true;
        p += 3;
        if (lower(*p) != 'i') return p;
        return startsWithNoCase(p, "inity") ? p + 5 : nullptr;
    }
    hex = p[0] == '0' && lower(p[1]) == 'x';
    if (hex) p += 2;
    bool digits = false;
    p = skipDigits(p, hex, digits);
    const bool dot = *p == '.';
    if (dot) p = skipDigits(p + 1, hex, digits);
    // glibc takes "0x." (as 0) but not a bare "0x" or ".".
    if (!digits) return hex && dot ? p : nullptr;
    if (lower(*p) == (hex ? 'p' : 'e')) {
        ++p;
        if (*p == '+' || *p == '-') ++p;
        bool exponentDigits = false;
        p = skipDigits(p, false, exponentDigits);
    }
    return p;
}

// A short decimal number with or without an exponent, converted without
// strtof as scan::real converts one without (see there); false leaves it to
// strtof.
bool fastDecimal(const char* p, const char* end, float& out) {
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    uint64_t digits = 0;
    int significant = 0, scale = 0;
    bool fraction = false;
    for (; p < end && (isDigit(*p) || (*p == '.' && !fraction)); ++p) {
        if (*p == '.') {
            fraction = true;
            continue;
        }
        if (fraction) --scale;
        if (digits == 0 && *p == '0') continue;
        if (++significant > 16) return false;
        digits = digits * 10 + static_cast<uint64_t>(*p - '0');
    }
    if (p < end) {  // the exponent: 'e', a sign, digits (all optional after 'e')
        ++p;
        const bool negativeExponent = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        int exponent = 0;
        for (; p < end; ++p) {
            if (exponent > 1000) return false;
            exponent = exponent * 10 + (*p - '0');
        }
        scale += negativeExponent ? -exponent : exponent;
    }
    if (digits == 0) {
        out = negative ? -0.0f : 0.0f;
        return true;
    }
    if (digits > (uint64_t{1} << 53) || scale < -22 || scale > 22) return false;
    const double value =
        scale < 0 ? static_cast<double>(digits) / kPow10[-scale] : static_cast<double>(digits) * kPow10[scale];
    if (value < 0x1p-125 || value > 0x1p127) return false;  // float subnormals and overflow
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits & 0x1FFFFFFF) == 0x10000000) return false;  // halfway between two floats
    const float f = static_cast<float>(value);
    out = negative ? -f : f;
    return true;
}

}  // namespace

CScan& CScan::literal(const char* text) {
    if (!ok_) return *this;
    const size_t n = std::strlen(text);
    if (std::strncmp(p_, text, n) != 0) {
        ok_ = false;
        return *this;
    }
    p_ += n;
    return *this;
}

namespace scan {

const char* longInteger(const char* p, int32_t& out) {
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!isDigit(*p)) return nullptr;
    // As strtol: saturate at the 64-bit limits; then keep the low 32 bits.
    uint64_t magnitude = 0;
    bool saturated = false;
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    for (; isDigit(*p); ++p) {
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (saturated || magnitude > (limit - digit) / 10) {
            saturated = true;
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (saturated) magnitude = limit;
    const uint64_t bits = negative ? ~magnitude + 1 : magnitude;
    out = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return p;
}

const char* anyReal(const char* p, float& out) {
    bool special = false, hex = false;
    const char* end = floatSpan(p, special, hex);
    if (end == nullptr) return nullptr;
    if (special) {
        const bool negative = *p == '-';
        const bool nan = startsWithNoCase(p + (*p == '+' || negative ? 1 : 0), "nan");
        const float value = nan ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
        out = negative ? -value : value;
    } else if (hex || !fastDecimal(p, end, out)) {
        char text[512];
        const size_t n = std::min(static_cast<size_t>(end - p), sizeof text - 1);
        std::memcpy(text, p, n);
        text[n] = '\0';
        out = cLocaleStrtof(text);
    }
    return end;
}

}  // namespace scan

size_t MemoryText::read(char* out, size_t capacity) {
    const size_t n = std::min(capacity, text_.size() - pos_);
    if (n > 0) std::memcpy(out, text_.data() + pos_, n);
    pos_ += n;
    return n;
}

platform::FileRead FileText::open(const std::string& utf8Path, uint64_t maxBytes) {
    path_ = utf8Path;
    maxBytes_ = maxBytes;
    const platform::FileRead result = file_.emplace().open(utf8Path, maxBytes);
    if (result != platform::FileRead::ok) {
        file_.reset();
        return result;
    }
    size_ = file_->size();
    return result;
}

size_t FileText::read(char* out, size_t capacity) { return file_.has_value() ? file_->read(out, capacity) : 0; }

bool FileText::rewind() {
    failed_ = failed();
    file_.reset();
    if (failed_ || path_.empty()) return false;
    if (file_.emplace().open(path_, maxBytes_) != platform::FileRead::ok || file_->size() != size_) {
        file_.reset();
        failed_ = true;
    }
    return !failed_;
}

bool LineReader::nextWithoutEnd(char* start, size_t available) {
    // No line end within reach: the next 511 bytes are a line of their own.
    const size_t length = std::min(available, kLineMax);
    if (length == available && sourceEnded_) {
        // The text's last line: the window's spare byte ends it.
        start[length] = '\0';
        line_ = start;
    } else {
        std::memcpy(held_.data(), start, length);
        held_[length] = '\0';
        line_ = held_.data();
    }
    pos_ += length;
    return true;
}

void LineReader::passLinesWithout(std::string_view text) {
    for (;;) {
        if (!sourceEnded_ && size_ - pos_ <= kLineMax) refill();
        const std::string_view ahead(window_.data() + pos_, size_ - pos_);
        const size_t found = ahead.find(text);
        if (found == std::string_view::npos && sourceEnded_) {
            pos_ = size_;
            return;
        }
        // No occurrence starts before `clear`: the text's first one, or the
        // window's end, after which the window's last line may go on.
        const size_t clear = found != std::string_view::npos ? found : ahead.size();
        if (clear == 0) return;
        // Every '\n' ends a line, so the lines up to the last one before
        // `clear` pass whole. After it, without a line end in reach, lines
        // come in pieces of kLineMax bytes; those that end, with the byte
        // after them, before `clear` pass too.
        const size_t lastEnd = ahead.rfind('\n', clear - 1);
        size_t passed = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
        if (clear > passed) passed += (clear - passed - 1) / kLineMax * kLineMax;
        pos_ += passed;
        if (found != std::string_view::npos || passed == 0) return;
        refill();
    }
}

// Moves the unread rest to the window's start and fills the window behind it,
// until it is full or the source ends.
void LineReader::refill() {
    consumed_ += pos_;
    const size_t rest = size_ - pos_;
    if (rest > 0) std::memmove(window_.data(), window_.data() + pos_, rest);
    size_t filled = rest;
    while (!sourceEnded_ && filled < kWindowBytes) {
        const size_t got = source_.read(window_.data() + filled, kWindowBytes - filled);
        if (got == 0) sourceEnded_ = true;
        filled += got;
    }
    size_ = filled;
    pos_ = 0;
}

bool LineReader::rewind() {
    size_ = pos_ = 0;
    consumed_ = lineOffset_ = 0;
    held_[0] = '\0';
    line_ = held_.data();
    sourceEnded_ = !source_.rewind();
    return !sourceEnded_;
}

bool LineReader::seek(uint64_t offset) {
    if (!rewind()) return false;
    while (!sourceEnded_ && offset - consumed_ >= kWindowBytes) {
        const size_t got = source_.read(window_.data(), kWindowBytes);
        if (got == 0) sourceEnded_ = true;
        consumed_ += got;
    }
    refill();
    pos_ = static_cast<size_t>(std::min<uint64_t>(offset - consumed_, size_));
    return true;
}

}  // namespace korvel::model
