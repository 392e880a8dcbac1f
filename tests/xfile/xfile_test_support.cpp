#include "xfile_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvel::model::xfile::testing {

int FakeTextures::load(const std::string& utf8Path) {
    loads.push_back(utf8Path);
    if (std::find(existing.begin(), existing.end(), utf8Path) == existing.end()) return -1;
    return nextSlot_++;
}

std::string withHeader(const std::string& body) {
    std::string text = "xof 0303txt 0032\n";
    for (int i = 1; i < 212; ++i) text += "// header\n";
    return text + body;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string tempDir() {
    const std::string dir = (std::filesystem::temp_directory_path() / ("korvel_xfile_" + std::to_string(getpid()))).string() + "/";
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace korvel::model::xfile::testing
