// Writing text X files in the paired exporter's layout, the layout the X
// importer reads by fixed line distances: a 212-line header, then a scene
// frame holding one frame per mesh (positions, triangles, texture
// coordinates, material list with materials, skin header and weights), then
// the joint root frame "ReplacedName2" with nested "_Joint" frames, then the
// animation sets, each with one animation per joint (rotation, scale and
// translation keys, then the target). Used by the sample generator, the
// tests and the benchmarks; not part of the library. Also the scenes that
// they write as sample files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::model::xfile {

struct XMaterial {
    std::array<float, 4> diffuse{1.0f, 1.0f, 1.0f, 1.0f};  // r, g, b, alpha
    float power = 0.0f;
    std::array<float, 3> specular{};
    std::array<float, 3> emissive{};
    std::string texture;  // empty: no TextureFilename block
};

struct XBone {
    std::string name;
    std::vector<int32_t> vertices;
    std::vector<float> weights;
};

struct XMesh {
    std::string name;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> texcoords;  // one per position
    std::vector<std::array<int32_t, 3>> triangles;
    std::vector<int32_t> faceMaterials;  // one per triangle
    std::vector<XMaterial> materials;
    std::vector<XBone> bones;  // written when the scene has skin
};

// Joints in depth-first order; a joint's parent comes before it.
struct XJoint {
    std::string name;  // should end in "_Joint"
    int32_t parent = -1;
    std::array<float, 16> matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

struct XAnimation {
    std::string target;
    std::vector<int32_t> times;
    std::vector<std::array<float, 4>> rotations;  // w, x, y, z
    std::vector<std::array<float, 3>> scales;
    std::vector<std::array<float, 3>> translations;
};

struct XAnimationSet {
    std::string name;
    std::vector<XAnimation> animations;  // one per joint, all with the same key count
};

struct XScene {
    std::vector<XMesh> meshes;
    bool skin = false;  // skin headers and weights in every mesh
    std::vector<XJoint> joints;
    std::vector<XAnimationSet> sets;
};

std::string writeXText(const XScene& scene);

// Scenes written as sample X files by the generator and used by the tests
// and benchmarks.

// Skinned and animated: two meshes, a position shared by two texture
// coordinates, a repeated vertex, identical materials in both meshes, a
// material without texture, a vertex with three bones, three joints (two
// siblings), two animation sets with rotation, scale and translation keys.
XScene sampleScene();

// A grid of quads split into parts, about `vertices` vertices in all, with
// two materials per part (one textured); with skin, every vertex has one to
// three bones of a chain of joints and one animation set of four keys.
XScene gridScene(int vertices, int parts, bool skin);

}  // namespace korvel::model::xfile
