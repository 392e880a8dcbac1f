// Files on POSIX systems: the non-blocking, checked open of InputFile and
// whole-file writes through stdio.
#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::platform {

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

bool writeFileBytes(const std::string& utf8Path, const uint8_t* data, size_t size) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(utf8Path.c_str(), "wb"), &std::fclose);
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file.get()) == size;
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace korvel::platform
