#include "model/c_scan.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace korvel::model {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(const char* p, const char* word) {
    for (; *word != '\0'; ++p, ++word)
        if (lower(*p) != *word) return false;
    return true;
}

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

const char* skipDigits(const char* p, bool hex, bool& any) {
    while (hex ? isHexDigit(*p) : isDigit(*p)) {
        ++p;
        any = true;
    }
    return p;
}

// The end of the text glibc's %f takes from p (after white space), or null
// when it converts nothing; special is set for inf and nan.
const char* floatSpan(const char* p, bool& special) {
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
    const bool hex = p[0] == '0' && lower(p[1]) == 'x';
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

CScan& CScan::integer(int32_t& out) {
    if (!ok_) return *this;
    const char* p = p_;
    while (isSpace(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!isDigit(*p)) {
        ok_ = false;
        return *this;
    }
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
    p_ = p;
    ++converted_;
    return *this;
}

CScan& CScan::real(float& out) {
    if (!ok_) return *this;
    const char* p = p_;
    while (isSpace(*p)) ++p;
    bool special = false;
    const char* end = floatSpan(p, special);
    if (end == nullptr) {
        ok_ = false;
        return *this;
    }
    char text[512];
    const size_t n = std::min(static_cast<size_t>(end - p), sizeof text - 1);
    std::memcpy(text, p, n);
    text[n] = '\0';
    if (special) {
        const bool negative = text[0] == '-';
        const bool nan = startsWithNoCase(text + (text[0] == '+' || negative ? 1 : 0), "nan");
        const float value = nan ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
        out = negative ? -value : value;
    } else {
        out = strtof_l(text, nullptr, cLocale());
    }
    p_ = end;
    ++converted_;
    return *this;
}

}  // namespace korvel::model
