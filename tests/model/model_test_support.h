// Shared pieces of the model tests: a texture loader that needs no device, a
// fixture that empties the model store around each test, and a small sample
// model written as PT3 text by hand (independently of the PT3 writer).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/store.h"
#include "model/texture_loader.h"

namespace korvel::model::testing {

// Loads succeed for the paths in `existing`, each into a new slot counted
// from 0, as the texture table does for files that load.
class FakeTextures : public TextureLoader {
public:
    std::vector<std::string> existing;
    std::vector<std::string> loads;
    std::vector<int> released;
    int nextSlot = 0;

    int load(const std::string& utf8Path) override;
    void release(int slot) override { released.push_back(slot); }
};

class ModelStoreTest : public ::testing::Test {
protected:
    void SetUp() override { clearAllModels(textures); textures.released.clear(); }
    void TearDown() override { clearAllModels(textures); }
    // Loads PT3 text as the file "<dir>/model.pt3" would load.
    int load(const std::string& text, int normalmode = 0, double scale = 1.0,
             const std::string& modelPath = "models/model.pt3");
    Obj3dModel& model(int m) { return *modelSlot(m); }

    FakeTextures textures;
};

// Which optional sections the sample carries.
struct Sample {
    bool normals = false;
    bool skin = false;     // joints (2) with skin columns
    bool motions = false;  // 2 motions of 2 and 3 frames (needs skin)
    bool shapekeys = false;
    bool hair = false;
};
// 4 vertices, 2 faces, 2 materials (the first with texture "tex0.png"), 2
// parts, plus the chosen sections. Values are the ones the tests expect.
std::string samplePt3(const Sample& sample);

// A fresh temporary folder for this process, with a trailing '/'.
std::string tempDir();
void writeFile(const std::string& path, const std::string& text);

// Table contents compared byte for byte (present, size and records).
bool sameModel(const Obj3dModel& a, const Obj3dModel& b, std::string& difference);

}  // namespace korvel::model::testing
