// Fuzz entry for the X importer, usable by libFuzzer (LLVMFuzzerTestOneInput)
// and by the deterministic driver that CTest runs. The first byte picks
// normalmode and skinmode; a loaded model is also written as PT3 text and
// read back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/pt3_reader.h"
#include "model/pt3_writer.h"
#include "model/store.h"
#include "model/xfile_reader.h"

namespace {

class NoTextures final : public korvel::model::TextureLoader {
public:
    int load(const std::string&) override { return -1; }
    void release(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvel::model;
    NoTextures textures;
    const int flags = size > 0 ? data[0] : 0;
    const XfileOptions options{.normalmode = flags & 1, .scale = 1.5, .skinmode = (flags >> 1) % 3, .writept3 = 0};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int m = readXfileBytes(bytes, "fuzz/model.x", options, textures);
    if (const Obj3dModel* model = completeModel(m)) {
        const std::string text = pt3Text(*model, {});
        readPt3Bytes(text, "fuzz/model.pt3", options.normalmode, 1.0, textures);
    }
    clearAllModels(textures);
    return 0;
}
