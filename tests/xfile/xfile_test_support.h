// Shared pieces of the X importer tests: a texture loader without a device,
// a fixture that empties the model store around each test, the 212-line
// header that precedes every hand-written body, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/store.h"
#include "model/xfile/import.h"
#include "xfile-writer/writer.h"

namespace korvel::model::xfile::testing {

using xfile::sampleScene;

// Loads succeed for the paths in `existing`, each into the next slot from 0.
class FakeTextures : public TextureLoader {
public:
    std::vector<std::string> existing;
    std::vector<std::string> loads;
    std::vector<int> released;
    int load(const std::string& utf8Path) override;
    void release(int slot) override { released.push_back(slot); }

private:
    int nextSlot_ = 0;
};

class XfileTest : public ::testing::Test {
protected:
    void SetUp() override { clearAllModels(textures); }
    void TearDown() override { clearAllModels(textures); }
    int import(const std::string& text, const XfileOptions& options, const std::string& path = "models/model.x") {
        return readXfileBytes(text, path, options, textures);
    }
    Obj3dModel& model(int m) { return *modelSlot(m); }
    FakeTextures textures;
};

// The exporter's 212 header lines followed by body.
std::string withHeader(const std::string& body);

// Two record arrays (vectors or model tables) compared byte for byte, so
// that NaN and -0 count.
template <class A, class B>
bool sameBytes(const A& a, const B& b) {
    return a.size() == b.size() && (a.size() == 0 || std::memcmp(a.data(), b.data(), a.size() * sizeof *a.data()) == 0);
}

std::string readFile(const std::string& path);
std::string tempDir();

}  // namespace korvel::model::xfile::testing
