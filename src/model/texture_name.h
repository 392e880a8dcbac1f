// Finding a material's texture from the name a model file gives: the name as
// written, else the model file's directory followed by the name's last
// component, so that a texture written with another machine's absolute path
// is found next to the model. Both '\' and '/' separate path components.
#pragma once

#include <string>
#include <string_view>

#include "model/texture_loader.h"

namespace korvel::model {

// The path up to and including its last separator; empty when it has none.
std::string_view directoryOf(std::string_view path);
// The text after the name's last separator, or the whole name.
std::string_view lastComponent(std::string_view name);
// The texture slot, or -1 when neither name loads.
int loadModelTexture(TextureLoader& textures, std::string_view name, std::string_view modelPath);

}  // namespace korvel::model
