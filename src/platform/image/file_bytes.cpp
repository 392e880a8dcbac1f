#include "platform/image/file_bytes.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace korvel::image {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool readFileBytes(const std::string& utf8Path, std::vector<uint8_t>& out) {
    out.clear();
    File file(std::fopen(utf8Path.c_str(), "rb"));
    if (!file) return false;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > kMaxFileBytes) return false;
    out.resize(static_cast<size_t>(info.st_size));
    if (std::fread(out.data(), 1, out.size(), file.get()) != out.size()) {
        out.clear();
        return false;
    }
    return true;
}

bool writeFileBytes(const std::string& utf8Path, const uint8_t* data, size_t size) {
    File file(std::fopen(utf8Path.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(data, 1, size, file.get()) == size;
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace korvel::image
