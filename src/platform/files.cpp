// The platform-independent half of the file layer: wide strings to UTF-8
// and whole-file reads through InputFile (files_posix.cpp and
// files_windows.cpp open and read the files themselves).
#include "platform/files.h"

namespace korvel::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

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

template <typename Buffer>
FileRead readInto(const std::string& utf8Path, uint64_t maxBytes, Buffer& out) {
    out.clear();
    InputFile file;
    const FileRead opened = file.open(utf8Path, maxBytes);
    if (opened != FileRead::ok) return opened;
    out.resize(static_cast<size_t>(file.size()));
    size_t done = 0;
    while (done < out.size()) {
        const size_t got = file.read(out.data() + done, out.size() - done);
        if (got == 0) {
            out.clear();
            return FileRead::failed;
        }
        done += got;
    }
    return FileRead::ok;
}

}  // namespace

char32_t nextScalarValue(const wchar_t*& wide) {
    const auto unit = static_cast<uint32_t>(*wide++);  // negative UTF-32 units wrap above U+10FFFF
    if constexpr (sizeof(wchar_t) == 2) {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            const auto low = static_cast<uint32_t>(*wide);
            if (low < 0xDC00 || low > 0xDFFF) return kReplacement;
            ++wide;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    return (surrogate || unit > 0x10FFFF) ? kReplacement : unit;
}

std::string utf8FromWide(const wchar_t* wide) {
    std::string out;
    if (wide == nullptr) return out;
    while (*wide != L'\0') appendUtf8(out, nextScalarValue(wide));
    return out;
}

FileRead readFileBytes(const std::string& utf8Path, uint64_t maxBytes, std::vector<uint8_t>& out) {
    return readInto(utf8Path, maxBytes, out);
}

FileRead readFileText(const std::string& utf8Path, uint64_t maxBytes, std::string& out) {
    return readInto(utf8Path, maxBytes, out);
}

}  // namespace korvel::platform
