// Writing a converted model: its texture files and the PT3 file, all or
// nothing.
#pragma once

#include <filesystem>
#include <vector>

#include "materials.h"
#include "model.h"

namespace korvel_import {

// Creates the texture files, then the PT3 file under a temporary name in
// output's folder, reads it back with the library (the counts must be the
// model's) and renames it to output. Throws ImportError, having removed
// every file it created.
void writeModelFiles(const Model& model, const std::vector<TextureFile>& textures,
                     const std::filesystem::path& output);

}  // namespace korvel_import
