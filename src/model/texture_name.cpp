#include "model/texture_name.h"

namespace korvel::model {

std::string_view directoryOf(std::string_view path) {
    const size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? std::string_view{} : path.substr(0, last + 1);
}

std::string_view lastComponent(std::string_view name) {
    const size_t last = name.find_last_of("\\/");
    return last == std::string_view::npos ? name : name.substr(last + 1);
}

int loadModelTexture(TextureLoader& textures, std::string_view name, std::string_view modelPath) {
    if (const int slot = textures.load(std::string(name)); slot >= 0) return slot;
    std::string second(directoryOf(modelPath));
    second += lastComponent(name);
    const int slot = textures.load(second);
    return slot >= 0 ? slot : -1;
}

}  // namespace korvel::model
