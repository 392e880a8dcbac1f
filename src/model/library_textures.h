// The model loaders' view of the library's texture table, and the model
// module's steps of CleanupDevice.
#pragma once

#include "model/texture_loader.h"

namespace korvel::model {

// Loads into and releases slots of the library's texture table.
TextureLoader& libraryTextures();

// CleanupDevice: every model with its textures.
void releaseAllModels();

}  // namespace korvel::model
