// Models for the tests, made two ways: blueprints put straight into the model
// store (no file, no GPU), including a generated skinned model, and a small
// sample written as PT3 text by hand (independently of the PT3 writer). One
// fixture empties the store and the instance table around each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "instance/image3d.h"
#include "model/store.h"
#include "support/pixels.h"

namespace korvel::testing {

// Each vector becomes one table; an empty vector leaves its table absent
// (except vertex, face and material, which every model has).
struct ModelBlueprint {
    int numpart = 1;
    std::vector<model::Obj3dVertex> vertices;
    std::vector<model::Obj3dWeight> weights;
    std::vector<model::Obj3dFace> faces;
    int nummaterial = 1;
    std::vector<model::Obj3dJoint> joints;
    std::vector<model::Obj3dMotion> motions;
    std::vector<int32_t> frameno;
    std::vector<model::Obj3dKeyframe> keyframes;
    std::vector<model::Shapekeyinfo> shapekeyinfo;
    std::vector<int32_t> shapekeyvertex;
    std::vector<model::Shapekeytrans> shapekeytrans;
    int numhairface = 0;
};

inline model::Obj3dVertex vertexAt(int part, float x, float y, float z, int original = -1) {
    return {part, 0, original, x, y, z, 0.0f, 0.0f};
}

inline model::Obj3dFace faceOf(int part, int a, int b, int c) { return {part, {a, b, c}, 0}; }

// Occupies the lowest free model slot with the blueprint's tables and marks it
// complete; returns the slot.
int installModel(const ModelBlueprint& blueprint);

// A random skeleton of chains and siblings, motions whose consecutive keys
// turn the quaternion's sign (negative dot products), and vertices bound to
// one or two joints, in contiguous parts with split copies following their
// sources.
struct SkinnedOptions {
    int joints = 8;
    int motions = 2;
    std::vector<int32_t> keyFrames = {0, 10, 25, 40};  // the same frames in every motion
    int vertices = 64;
    int parts = 3;
    int copyEvery = 4;  // every copyEvery-th vertex is a split copy of the one before; 0: none
    unsigned seed = 1;
};
ModelBlueprint skinnedModel(const SkinnedOptions& options);

// Loads succeed for the paths in `existing`, each into a new slot counted
// from 0, as the texture table does for files that load.
class FakeTextures : public model::TextureLoader {
public:
    std::vector<std::string> existing;
    std::vector<std::string> loads;
    std::vector<int> released;
    int nextSlot = 0;

    int load(const std::string& utf8Path) override;
    void release(int slot) override { released.push_back(slot); }
};

// Empties the model store and the instance table.
inline void clearStore() {
    FakeTextures textures;
    instance::clearAllImage3d();
    model::clearAllModels(textures);
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { clearStore(); }
    void TearDown() override { clearStore(); }
    // Installs the blueprint and returns the model.
    model::Obj3dModel& install(const ModelBlueprint& blueprint) {
        return *model::completeModel(installModel(blueprint));
    }
    // Loads PT3 text as the file "<dir>/model.pt3" would load.
    int load(const std::string& text, int normalmode = 0, double scale = 1.0,
             const std::string& modelPath = "models/model.pt3");
    model::Obj3dModel& model(int m) { return *model::modelSlot(m); }

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

// path is UTF-8 (on Windows a plain string would be read in the ANSI code page).
inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(std::filesystem::path(std::u8string(path.begin(), path.end()))) << text;
}

// Table contents compared byte for byte (present, size and records).
bool sameModel(const model::Obj3dModel& a, const model::Obj3dModel& b, std::string& difference);

}  // namespace korvel::testing
