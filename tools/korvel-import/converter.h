// korvel-import's conversion: a model file that the asset importer reads,
// to a PT3 file and the texture files it names. Usable from other tools.
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <filesystem>
#include <string>
#include <vector>

#include "materials.h"
#include "model.h"

namespace korvel_import {

struct Options {
    double scale = 1.0;
    bool leftHanded = false;  // mirror z: +y-up right-handed to the library's left-handed axes
    int fps = 30;
};

// Reads a scene with the importer's steps the conversion relies on
// (triangles, shared vertices, normals where missing). Throws ImportError
// when the file cannot be read, or when the reader had to drop malformed
// faces.
const aiScene& readScene(Assimp::Importer& importer, const std::filesystem::path& source);

// The model of a scene; textures to write next to output go to files.
Model convertScene(const aiScene& scene, const std::filesystem::path& source, const std::filesystem::path& output,
                   const Options& options, std::vector<TextureFile>& files, std::vector<std::string>& warnings);

// Reads, converts and writes: the textures first, then the PT3 file under a
// temporary name that becomes output only once the library has read it
// back. On failure nothing it created is left. Throws ImportError.
Model importFile(const std::filesystem::path& source, const std::filesystem::path& output, const Options& options,
                 std::vector<std::string>& warnings);

}  // namespace korvel_import
