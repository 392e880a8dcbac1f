// What the X importer tests share: the store fixture with an import of X
// text through the importer, a byte comparison of record arrays, and reading
// back a written file.
#pragma once

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "model/xfile/import.h"
#include "support/models.h"
#include "xfile-writer/writer.h"

namespace korvel::model::xfile {

class XfileTest : public korvel::testing::StoreTest {
protected:
    int import(const std::string& text, const XfileOptions& options, const std::string& path = "models/model.x") {
        return readXfileBytes(text, path, options, textures);
    }
};

// Two record arrays (vectors or model tables) compared byte for byte, so
// that NaN and -0 count.
template <class A, class B>
bool sameBytes(const A& a, const B& b) {
    return a.size() == b.size() && (a.size() == 0 || std::memcmp(a.data(), b.data(), a.size() * sizeof *a.data()) == 0);
}

inline std::string tempDir() { return korvel::testing::tempPath(""); }

inline std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace korvel::model::xfile
