#include "fuzz/scratch.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "Korvelv0.h"

namespace korvel::fuzz {

namespace {

void removeFolder();

// $TMPDIR when set, else shared memory where there is some: a disk file
// system may write back a file truncated and rewritten at every close,
// which made inputs ten times slower than the readers.
std::filesystem::path scratchBase() {
    std::error_code error;
    if (!std::getenv("TMPDIR") && access("/dev/shm", W_OK | X_OK) == 0 &&
        std::filesystem::is_directory("/dev/shm", error))
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// Never destroyed, so that the exit handler that removes it can still read it.
const std::string& folder() {
    static const std::string* const path = [] {
        std::string pattern = (scratchBase() / "korvel-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("korvel fuzz: cannot make a scratch folder");
            std::abort();
        }
        std::atexit(removeFolder);
        return new std::string(pattern);
    }();
    return *path;
}

void removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder(), ignored);
}

}  // namespace

std::wstring writeScratchFile(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = folder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror("korvel fuzz: cannot write a scratch file");
        std::abort();
    }
    return std::filesystem::path(path).wstring();  // the library takes wide paths
}

void removeScratchFile(const std::string& name) { std::remove((folder() + "/" + name).c_str()); }

int initDeviceWithEffect(const uint8_t* effect, size_t size) {
    writeScratchFile("Korvelv0.fx", effect, size);
    const int previous = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (previous < 0 || chdir(folder().c_str()) != 0) {
        std::perror("korvel fuzz: cannot enter the scratch folder");
        std::abort();
    }
    const int result = InitDevice(nullptr);
    if (fchdir(previous) != 0) std::abort();
    close(previous);
    return result;
}

void initDeviceWithShippedEffect() {
    std::ifstream file(KORVEL_EFFECT_SOURCE, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const int result = initDeviceWithEffect(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (result < 0) {
        std::fprintf(stderr, "korvel fuzz: InitDevice with %s returned %d\n", KORVEL_EFFECT_SOURCE, result);
        std::abort();
    }
}

}  // namespace korvel::fuzz
