#include "draw2d/text_surface.h"

#include <cmath>
#include <new>

#include "device/lifecycle.h"
#include "platform/files.h"
#include "platform/module_state.h"

namespace korvel::draw2d {

int FontTable::create(const platform::text::FontRequest& request) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slots_[static_cast<size_t>(slot)]) continue;
        slots_[static_cast<size_t>(slot)] = platform::text::Font::create(request);
        return slot;
    }
    return -1;
}

platform::text::Font* FontTable::font(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return nullptr;
    return slots_[static_cast<size_t>(slot)].get();
}

void FontTable::release(int slot) {
    if (slot >= 0 && slot < kSlotCount) slots_[static_cast<size_t>(slot)].reset();
}

FontTable& fontTable() { return moduleState<FontTable>(); }

uint8_t opacityByte(double alpha) {
    const double scaled = std::trunc(alpha * 255.0);
    if (!std::isfinite(scaled)) return 0;
    double low = std::fmod(scaled, 256.0);
    if (low < 0) low += 256.0;
    return static_cast<uint8_t>(low);
}

void copyTextTexels(const uint8_t* bitmap, size_t bitmapRowBytes, uint8_t* texels, size_t texelRowPitch, int x, int y,
                    int width, int height, uint8_t opacity) {
    for (int row = y; row < y + height; ++row) {
        const uint8_t* src = bitmap + static_cast<size_t>(row) * bitmapRowBytes + static_cast<size_t>(x) * 3;
        uint8_t* dst = texels + static_cast<size_t>(row) * texelRowPitch + static_cast<size_t>(x) * 4;
        for (int column = 0; column < width; ++column, src += 3, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = opacity;
        }
    }
}

namespace {

bool insideSurface(const TextWrite& r) {
    return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && r.width <= kTextSurfaceSize - r.x &&
           r.height <= kTextSurfaceSize - r.y;
}

}  // namespace

int TextSurface::create(gpu::Device& device) {
    gpu::Texture2DDesc desc;
    desc.width = kTextSurfaceSize;
    desc.height = kTextSurfaceSize;
    desc.mipLevels = 1;
    desc.format = gpu::Format::R8G8B8A8_UNorm;
    desc.usage = gpu::Usage::Default;  // written a rectangle at a time
    desc.bindFlags = gpu::BindShaderResource;
    // Without its copy the texture could never be written: the same failure
    // as the texture's own.
    texels_.reset(new (std::nothrow) uint8_t[kTextTexelRowBytes * kTextSurfaceSize]());
    if (!texels_) return -36;
    const gpu::SubresourceData black{texels_.get(), static_cast<uint32_t>(kTextTexelRowBytes)};
    texture_ = device.createTexture2D(desc, &black);
    if (!texture_) return -36;
    view_ = device.createShaderResourceView(*texture_);
    if (!view_) return -37;
    bitmap_.reset(new (std::nothrow) uint8_t[kTextBitmapRowBytes * kTextSurfaceSize]());
    return 0;
}

void TextSurface::write(const TextWrite& r) {
    platform::text::Font* font = fontTable().font(r.font);
    if (!bitmap_ || !texels_ || !font || !insideSurface(r)) return;

    platform::text::BgrSurface bitmap{bitmap_.get(), kTextSurfaceSize, kTextSurfaceSize, kTextBitmapRowBytes};
    // The clear and the copy cover the whole rectangle; text and its cells
    // stop short of its last column and row, whose right and bottom edges
    // are x + width - 1 and y + height - 1 exclusive.
    const platform::text::PixelRect rect{r.x, r.y, r.x + r.width, r.y + r.height};
    const platform::text::PixelRect cells{r.x, r.y, r.x + r.width - 1, r.y + r.height - 1};
    if (r.clear == 1) platform::text::fillRect(bitmap, rect, {});
    if (r.text) {
        text_.clear();
        for (const wchar_t* c = r.text; *c != 0;) text_.push_back(platform::nextScalarValue(c));
        const platform::text::TextColor color{static_cast<uint8_t>(r.c1), static_cast<uint8_t>(r.c2),
                                              static_cast<uint8_t>(r.c3)};
        font->drawText(text_.c_str(), bitmap, cells, color);
    }

    // The clear, the text and the copy all stay inside the rectangle, so it
    // is the only part of the texture that changes.
    gpu::Context* context = device::currentContext();
    if (!context || !texture_ || rect.empty()) return;
    copyTextTexels(bitmap_.get(), kTextBitmapRowBytes, texels_.get(), kTextTexelRowBytes, r.x, r.y, r.width, r.height,
                   opacityByte(r.alpha));
    const uint8_t* corner =
        texels_.get() + static_cast<size_t>(r.y) * kTextTexelRowBytes + static_cast<size_t>(r.x) * 4;
    context->updateTexture(*texture_, static_cast<uint32_t>(r.x), static_cast<uint32_t>(r.y),
                           static_cast<uint32_t>(r.width), static_cast<uint32_t>(r.height), corner,
                           static_cast<uint32_t>(kTextTexelRowBytes));
}

TextSurface& textSurface() { return moduleState<TextSurface>(); }

}  // namespace korvel::draw2d
