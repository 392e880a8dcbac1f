// Reading a file within bounds. Some broken files make the importer loop
// over a count far beyond the file's size, taking memory and time without
// end. While a program reads, the process's address space may grow by at
// most 4 GiB plus 64 bytes per byte of the file (past that the importer
// fails for want of memory at once, as it reserves what the file declares),
// and a read that lasts past the time limit ends the program with one
// message: the importer offers no way to interrupt it.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "converter.h"

namespace korvel_import {

namespace fs = std::filesystem;

namespace {

constexpr rlim_t kHeadroom = rlim_t{4} << 30;
constexpr rlim_t kHeadroomPerByte = 64;

// Made before the alarm, as the handler may only write it.
char gLateMessage[4096];
size_t gLateLength = 0;

extern "C" void readingTooLong(int) {
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, gLateMessage, gLateLength);
    _exit(1);
}

// The process's address space now, in bytes; 0 when unknown.
rlim_t addressSpace() {
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    const long pageSize = sysconf(_SC_PAGESIZE);
    return statm && pageSize > 0 ? static_cast<rlim_t>(pages) * static_cast<rlim_t>(pageSize) : 0;
}

// The bounds, from construction to destruction: the soft address-space
// limit lowered (and then restored), the alarm set (and then cancelled).
class Bounds {
public:
    Bounds(const ReadBounds& bounds, const fs::path& source) {
        std::snprintf(gLateMessage, sizeof gLateMessage,
                      "%s: %s: still reading after %u s; the file probably declares far more than it holds\n",
                      bounds.program, source.c_str(), bounds.seconds);
        gLateLength = std::strlen(gLateMessage);
        std::error_code error;
        const rlim_t size = std::min<rlim_t>(fs::file_size(source, error), rlim_t{1} << 40);
        const rlim_t now = addressSpace();
        if (now > 0 && getrlimit(RLIMIT_AS, &saved_) == 0) {
            rlimit capped = saved_;
            capped.rlim_cur = std::min(saved_.rlim_cur, now + kHeadroom + (error ? 0 : size * kHeadroomPerByte));
            capped_ = setrlimit(RLIMIT_AS, &capped) == 0;
        }
        std::signal(SIGALRM, readingTooLong);
        alarm(bounds.seconds);
    }
    ~Bounds() {
        alarm(0);
        if (capped_) setrlimit(RLIMIT_AS, &saved_);
    }
    Bounds(const Bounds&) = delete;
    Bounds& operator=(const Bounds&) = delete;

private:
    rlimit saved_{};
    bool capped_ = false;
};

}  // namespace

const aiScene& readScene(Assimp::Importer& importer, const fs::path& source, const ReadBounds& bounds) {
    const Bounds within(bounds, source);
    return readScene(importer, fs::absolute(source));
}

}  // namespace korvel_import
