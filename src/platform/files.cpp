#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

// Opens without blocking (a FIFO with no writer would otherwise wait forever
// in open), then checks the kind and size before any byte is read.
FileRead InputFile::open(const std::string& utf8Path, uint64_t maxBytes) {
    fd_ = ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) return FileRead::missing;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return FileRead::failed;
    if (!S_ISREG(info.st_mode)) return FileRead::notRegular;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxBytes) return FileRead::tooLarge;
    size_ = remaining_ = static_cast<uint64_t>(info.st_size);
    return FileRead::ok;
}

size_t InputFile::read(void* out, size_t capacity) {
    while (remaining_ > 0 && capacity > 0) {
        const ssize_t got = ::read(fd_, out, static_cast<size_t>(std::min<uint64_t>(capacity, remaining_)));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            failed_ = true;
            return 0;
        }
        remaining_ -= static_cast<uint64_t>(got);
        return static_cast<size_t>(got);
    }
    return 0;
}

std::string utf8FromWide(const wchar_t* wide) {
    std::string out;
    if (wide == nullptr) return out;
    for (; *wide != L'\0'; ++wide) appendUtf8(out, scalarValue(*wide));
    return out;
}

FileRead readFileBytes(const std::string& utf8Path, uint64_t maxBytes, std::vector<uint8_t>& out) {
    return readInto(utf8Path, maxBytes, out);
}

FileRead readFileText(const std::string& utf8Path, uint64_t maxBytes, std::string& out) {
    return readInto(utf8Path, maxBytes, out);
}

bool writeFileBytes(const std::string& utf8Path, const uint8_t* data, size_t size) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(utf8Path.c_str(), "wb"), &std::fclose);
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file.get()) == size;
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace korvel::platform
