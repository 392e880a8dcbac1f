// C export of the X importer. Nothing throws across the interface: running
// out of working memory reports -4.
#include <exception>

#include "Korvelv0.h"
#include "model/library_textures.h"
#include "model/store.h"
#include "model/xfile_reader.h"
#include "platform/files.h"

extern "C" KORVEL_API int ReadXfile(const wchar_t* path, int normalmode, double scale, int skinmode, int writept3) {
    using namespace korvel;
    try {
        if (model::firstFreeModelSlot() < 0) return -1;
        if (path == nullptr) return -2;
        const model::XfileOptions options{normalmode, scale, skinmode, writept3};
        return model::readXfile(platform::utf8FromWide(path), options, model::libraryTextures());
    } catch (const std::exception&) {
        return -4;
    }
}
