// The model that korvel-import builds from a scene and writes as PT3: plain
// tables in the library's units and left-handed or kept axes, already
// scaled. Parts remember the scene mesh they came from, so that skins and
// morph targets can be attached to their vertices. A conversion that cannot
// go on throws an ImportError with the reason, in words for the user.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvel_import {

using Vec3 = std::array<double, 3>;

struct ImportError : std::runtime_error {
    explicit ImportError(const std::string& reason) : std::runtime_error(reason) {}
};

struct Vertex {
    int part = 0;
    int material = 0;
    int original = -1;  // the earlier vertex of the part it duplicates, or -1
    Vec3 position{};
    double u = 0, v = 0;
    Vec3 normal{};
    int joint[2] = {-1, -1};
    double weight[2] = {0, 0};
};

struct Face {
    int part = 0;
    int material = 0;
    int vertex[3] = {0, 0, 0};
};

struct Material {
    std::string name;
    Vec3 diffuse{1, 1, 1};
    double alpha = 1;
    double power = 0;
    Vec3 specular{};
    Vec3 emissive{};
    std::string texture;  // file name next to the PT3 file, or empty
};

struct Part {
    std::string name;
    unsigned mesh = 0;    // index of the scene mesh
    int firstVertex = 0;  // its vertices are firstVertex .. firstVertex + vertexCount - 1,
    int vertexCount = 0;  // in the mesh's own order
};

struct Joint {
    std::string name;
    int parent = -1;
    Vec3 rest{};  // model-space position
};

// Rotation w, x, y, z; the translation is the key column of the file.
struct Key {
    Vec3 scale{1, 1, 1};
    std::array<double, 4> rotation{1, 0, 0, 0};
    Vec3 translation{};
};

struct Motion {
    std::string name;
    int frames = 0;         // key frames 0 .. frames - 1
    std::vector<Key> keys;  // joint by joint, frame by frame: joint * frames + frame
};

// One shape key: the displacement of each moved vertex at each key frame.
struct Shapekey {
    std::string name;
    std::vector<int> frameNumbers;
    std::vector<int> vertices;  // shape-key identities of the moved vertices
    std::vector<Vec3> offsets;  // vertex by vertex, frame by frame
};

struct Model {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    std::vector<Material> materials;
    std::vector<Part> parts;
    std::vector<Joint> joints;
    std::vector<Motion> motions;
    std::vector<Shapekey> shapekeys;
    std::vector<int> shapekeyVertices;  // every identity any shape key moves
};

// A vertex's shape-key identity: the vertex it duplicates, else itself.
inline int shapekeyIdentity(const Model& model, int vertex) {
    const int original = model.vertices[static_cast<size_t>(vertex)].original;
    return original >= 0 ? original : vertex;
}

}  // namespace korvel_import
