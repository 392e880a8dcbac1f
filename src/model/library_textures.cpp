#include "model/library_textures.h"

#include "draw2d/texture_table.h"
#include "model/store.h"

namespace korvel::model {
namespace {

class TableTextures final : public TextureLoader {
public:
    int load(const std::string& utf8Path) override { return draw2d::textureTable().read(utf8Path); }
    void release(int slot) override { draw2d::textureTable().release(slot); }
};

}  // namespace

TextureLoader& libraryTextures() {
    static TableTextures textures;
    return textures;
}

void releaseAllModels() { clearAllModels(libraryTextures()); }

}  // namespace korvel::model
