// What the X importer's passes collect before the model tables are built:
// the working tables of raw vertices, faces, materials, skin-weight entries
// and joints, numbered across all meshes of the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"

namespace korvel::model::xfile {

struct RawVertex {
    int32_t part = 0;
    int32_t material = -1;  // -1 until a face uses the vertex
    int32_t original = -1;  // first earlier vertex of the part at the same position
    float pos[3] = {};
    float tex[2] = {};
};

// Diffuse r, g, b, alpha, power, specular r, g, b, emissive r, g, b, as read.
inline constexpr int kColourValues = 11;

struct RawMaterial {
    float colour[kColourValues] = {};
    std::string texture;  // empty: no texture name
};

struct SkinEntry {
    int32_t bone;    // index into the bone names
    int32_t vertex;  // raw vertex index
    float weight;
};

struct RawJoint {
    std::string name;
    int32_t parent = -1;
    float pos[3] = {};  // model space once the joint pass has finished
};

struct RawModel {
    std::vector<std::string> partNames;
    std::vector<RawVertex> vertices;
    std::vector<Obj3dFace> faces;  // corners and materials in raw numbering
    std::vector<RawMaterial> materials;
    std::vector<std::string> boneNames;
    std::vector<SkinEntry> skin;
};

}  // namespace korvel::model::xfile
