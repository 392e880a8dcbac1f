#include "draw2d/texture_numbers.h"

#include "device/render_target.h"
#include "draw2d/texture_table.h"

namespace korvel::draw2d {
namespace {

gpu::ShaderResourceView*& textTextureView() {
    static gpu::ShaderResourceView* view = nullptr;
    return view;
}

}  // namespace

void setTextTextureView(gpu::ShaderResourceView* view) { textTextureView() = view; }

bool resolveTexture(int texno, TextureBinding& out) {
    if (texno >= 0 && texno < TextureTable::kSlotCount) {
        const TextureTable& table = textureTable();
        out = {table.view(texno), table.width(texno), table.height(texno)};
        return true;
    }
    switch (texno) {
        case -1: out = {}; return true;
        case kTextTextureNumber: out = {textTextureView(), kTextTextureSize, kTextTextureSize}; return true;
        case device::kRenderTargetTextureNumber:
            out = {device::offscreenTextureView(), device::rtWidth(), device::rtHeight()};
            return true;
        default: return false;
    }
}

}  // namespace korvel::draw2d
