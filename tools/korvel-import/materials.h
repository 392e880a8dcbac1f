// Materials and their diffuse textures. A texture is looked for where the
// file says and near the source file, then copied next to the PT3 file (or
// referenced when it is already there), so that the library finds it by
// the name the PT3 file gives.
#pragma once

#include <assimp/scene.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model.h"

namespace korvel_import {

// A texture file to create next to the PT3 file: a copy of a file, or the
// bytes of a texture embedded in the scene.
struct TextureFile {
    std::filesystem::path from;
    std::string bytes;
    std::filesystem::path to;
};

// Fills model.materials from the scene materials the model uses; textures
// to write go to files, problems that leave a material untextured to
// warnings.
void addMaterials(const aiScene& scene, const std::vector<unsigned>& sceneMaterials,
                  const std::filesystem::path& source, const std::filesystem::path& output, Model& model,
                  std::vector<TextureFile>& files, std::vector<std::string>& warnings);

// The texture file as written in a scene, looked for as written, relative to
// the source's folder, and by its last one to four names under that folder
// and up to three folders above it (the file name in any case); empty when
// none exists.
std::filesystem::path findTexture(const std::string& written, const std::filesystem::path& sourceFolder);

}  // namespace korvel_import
