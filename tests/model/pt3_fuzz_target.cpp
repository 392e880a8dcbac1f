// Fuzz entry for the PT3 reader, usable by libFuzzer (LLVMFuzzerTestOneInput)
// and by the deterministic driver that CTest runs. The first byte picks the
// normalmode; a loaded model is also packed for the GPU and written back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/buffer_packing.h"
#include "model/layout_group.h"
#include "model/pt3_reader.h"
#include "model/pt3_writer.h"
#include "model/store.h"

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
    const int normalmode = size > 0 ? data[0] & 1 : 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int m = readPt3Bytes(bytes, "fuzz/model.pt3", normalmode, 1.5, textures);
    if (Obj3dModel* model = completeModel(m)) {
        Obj3dModel* models[1] = {model};
        packVertices(models, groupOf(*model->head()));
        resetDrawRanges(models);
        packIndices(models);
        packHairIndices(models);
        const std::string text = pt3Text(*model, {});
        readPt3Bytes(text, "fuzz/model.pt3", normalmode, 1.0, textures);
    }
    clearAllModels(textures);
    return 0;
}
