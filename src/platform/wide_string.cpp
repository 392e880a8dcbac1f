#include "platform/wide_string.h"

#include <cstdint>

namespace korvel::platform {

static_assert(sizeof(wchar_t) == 4, "wide strings are expected to hold UTF-32");

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

uint32_t scalarValue(wchar_t unit) {
    const auto value = static_cast<uint32_t>(unit);  // negative units wrap above U+10FFFF
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return (surrogate || value > 0x10FFFF) ? kReplacement : value;
}

void appendUtf8(std::string& out, uint32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

}  // namespace

std::string utf8FromWide(const wchar_t* wide) {
    std::string out;
    if (wide == nullptr) return out;
    for (; *wide != L'\0'; ++wide) appendUtf8(out, scalarValue(*wide));
    return out;
}

}  // namespace korvel::platform
