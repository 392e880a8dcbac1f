// A mesh built by the demo's own code (the ground, the walking figure) and
// written as a PT3 file, the library's model format, so that it loads with
// ReadPT3file like any converted model: lit, textured, skinned and animated.
#pragma once

#include <string>
#include <vector>

namespace demo {

struct MeshVertex {
    float x, y, z;
    float u, v;
    float nx, ny, nz;
    int joint = 0;  // the one joint that moves the vertex (skinned meshes)
};

struct MeshMaterial {
    int r, g, b;          // diffuse colour, 0 to 255
    float power = 0.0f;   // specular power; 0 leaves the specular colour black
    int specular = 0;     // specular grey level, 0 to 255
    std::string texture;  // file name next to the PT3 file, or empty
    bool glows = false;   // emissive: lit by itself in its diffuse colour
};

struct MeshJoint {
    int parent;     // -1 for the root; parents come before their children
    float x, y, z;  // rest position in model space
};

// One key per joint and frame: a rotation quaternion (w, x, y, z) about the
// joint's rest position, then a move to (tx, ty, tz); a joint at rest has
// the identity rotation and its own rest position as translation.
struct MeshKey {
    float w, x, y, z;
    float tx, ty, tz;
};

struct MeshMotion {
    std::vector<int> frames;    // ascending frame numbers
    std::vector<MeshKey> keys;  // joint by joint, frame by frame
};

struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<int> corners;       // three vertex numbers per face
    std::vector<int> faceMaterial;  // one material number per face
    std::vector<MeshMaterial> materials;
    std::vector<MeshJoint> joints;  // empty: a rigid mesh
    std::vector<MeshMotion> motions;

    // Appends a box of half sizes (hx, hy, hz) centred on (cx, cy, cz),
    // flat-shaded (four vertices per side), moved by joint, textured once
    // per side times uvScale.
    void addBox(float cx, float cy, float cz, float hx, float hy, float hz, int material, int joint = 0,
                float uvScale = 1.0f);
};

// Writes mesh to path (faces grouped by material, as the format wants);
// false when the file cannot be written.
bool writeMeshFile(const std::string& path, const Mesh& mesh);

}  // namespace demo
