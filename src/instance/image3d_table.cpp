#include "instance/image3d.h"

#include <array>
#include <new>

#include "model/store.h"

namespace korvel::instance {

namespace {

std::array<std::unique_ptr<Image3dInstance>, kImage3dMax>& table() {
    static std::array<std::unique_ptr<Image3dInstance>, kImage3dMax> slots;
    return slots;
}

}  // namespace

int createImage3d(int model) {
    auto& slots = table();
    int free = -1;
    for (int i = 0; i < kImage3dMax && free < 0; ++i) {
        if (!slots[i]) free = i;
    }
    if (free < 0) return kImage3dTableFull;

    const model::Obj3dModel* source = model::completeModel(model);
    if (source == nullptr || source->head()->NumPart < 0) return kImage3dNoModel;
    const model::Obj3dHeader& header = *source->head();

    std::unique_ptr<Image3dInstance> record(new (std::nothrow) Image3dInstance);
    if (!record) return kImage3dNoMemory;
    record->partinfo.reset(new (std::nothrow) Partinfo[static_cast<size_t>(header.NumPart) + 1]);
    if (!record->partinfo) return kImage3dNoMemory;
    record->modelno = model;
    record->numpart = header.NumPart;
    record->hairmode = header.NumParticlehairFace != 0 ? 1 : 0;
    slots[free] = std::move(record);
    return free;
}

void clearImage3d(int image) {
    if (image >= 0 && image < kImage3dMax) table()[image].reset();
}

void clearAllImage3d() {
    for (auto& slot : table()) slot.reset();
}

Image3dInstance* image3d(int image) {
    return image >= 0 && image < kImage3dMax ? table()[image].get() : nullptr;
}

}  // namespace korvel::instance
