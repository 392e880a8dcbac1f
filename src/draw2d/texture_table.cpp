#include "draw2d/texture_table.h"

#include <vector>

#include "device/lifecycle.h"
#include "device/render_target.h"
#include "draw2d/text_surface.h"
#include "platform/image/image.h"

namespace korvel::draw2d {

int TextureTable::read(const std::string& utf8Path) {
    int free = -1;
    for (int i = 0; i < kSlotCount; ++i) {
        if (!slots_[i].view) {
            free = i;
            break;
        }
    }
    if (free < 0) return -1;
    gpu::Device* device = device::currentDevice();
    if (!device) return -1;

    image::TextureImage image;
    if (!image::loadTextureFile(utf8Path, image) || image.mips.empty()) return -1;

    std::vector<gpu::SubresourceData> levels;
    levels.reserve(image.mips.size());
    for (const image::MipLevel& mip : image.mips) levels.push_back({mip.rgba.data(), mip.width * 4u});

    gpu::Texture2DDesc desc;
    desc.width = image.width;
    desc.height = image.height;
    desc.mipLevels = static_cast<uint32_t>(image.mips.size());
    desc.format = gpu::Format::R8G8B8A8_UNorm;
    desc.usage = gpu::Usage::Default;
    desc.bindFlags = gpu::BindShaderResource;
    std::unique_ptr<gpu::Texture2D> texture = device->createTexture2D(desc, levels.data());
    if (!texture) return -1;
    std::unique_ptr<gpu::ShaderResourceView> view = device->createShaderResourceView(*texture);
    if (!view) return -1;

    Slot& slot = slots_[free];
    slot.width = texture->desc().width;
    slot.height = texture->desc().height;
    slot.texture = std::move(texture);
    slot.view = std::move(view);
    return free;
}

void TextureTable::release(int slot) {
    if (!inRange(slot)) return;
    slots_[slot].view.reset();
    slots_[slot].texture.reset();
}

void TextureTable::releaseAll() {
    for (int i = 0; i < kSlotCount; ++i) release(i);
}

gpu::ShaderResourceView* TextureTable::view(int slot) const {
    return inRange(slot) ? slots_[slot].view.get() : nullptr;
}

uint32_t TextureTable::width(int slot) const { return inRange(slot) ? slots_[slot].width : 0; }

uint32_t TextureTable::height(int slot) const { return inRange(slot) ? slots_[slot].height : 0; }

TextureTable& textureTable() {
    static TextureTable table;
    return table;
}

bool resolveTexture(int texno, TextureBinding& out) {
    if (texno >= 0 && texno < TextureTable::kSlotCount) {
        const TextureTable& table = textureTable();
        out = {table.view(texno), table.width(texno), table.height(texno)};
        return true;
    }
    switch (texno) {
        case -1:
            out = {};
            return true;
        case kTextTextureNumber:
            out = {textSurface().view(), kTextTextureSize, kTextTextureSize};
            return true;
        case device::kRenderTargetTextureNumber:
            out = {device::offscreenTextureView(), device::rtWidth(), device::rtHeight()};
            return true;
        default:
            return false;
    }
}

}  // namespace korvel::draw2d
