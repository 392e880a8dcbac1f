// Text: the five numbered font slots, and the text surface they draw into:
// the shared 1024 x 1024 text texture (texture number 100), the 24-bit
// bitmap that text is drawn into before it is copied there, and the RGBA
// copy of the texture that each write's rectangle is uploaded from. The
// bitmap and the copy keep their pixels between calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gpu/gpu.h"
#include "platform/text/bgr_surface.h"
#ifdef _WIN32
#include "platform/text/gdi_font.h"
#else
#include "platform/text/font.h"
#endif

namespace korvel::draw2d {

// FontTable: five numbered font slots for the text surface.
class FontTable {
public:
    static constexpr int kSlotCount = 5;

    // Takes the lowest free slot and returns its number, or -1 when all
    // five are taken. When no font can be made the number is still
    // returned and the slot stays free.
    int create(const platform::text::FontRequest& request);

    // The slot's font; null when free or out of range.
    platform::text::Font* font(int slot) const;

    // Frees a slot; numbers outside 0 to 4 are ignored.
    void release(int slot);

private:
    std::array<std::unique_ptr<platform::text::Font>, kSlotCount> slots_;
};

// The library-wide table (device-owned).
FontTable& fontTable();

// How text-bitmap pixels become text-texture texels.
// alpha * 255 truncated toward zero, low 8 bits (0.5 gives 127).
uint8_t opacityByte(double alpha);

// Copies the pixels of a rectangle of a 24-bit bitmap (blue, green, red per
// pixel) to the same texels of RGBA8 texture rows: bytes 0 to 2 keep the
// bitmap's byte order and byte 3 is the opacity, so the texture shows red
// and blue swapped.
void copyTextTexels(const uint8_t* bitmap, size_t bitmapRowBytes, uint8_t* texels, size_t texelRowPitch, int x, int y,
                    int width, int height, uint8_t opacity);

inline constexpr int kTextSurfaceSize = 1024;
inline constexpr size_t kTextBitmapRowBytes = 3 * kTextSurfaceSize;
inline constexpr size_t kTextTexelRowBytes = 4 * kTextSurfaceSize;

struct TextWrite {
    const wchar_t* text = nullptr;
    int font = 0;
    int c1 = 0, c2 = 0, c3 = 0;  // red, green, blue as drawn into the bitmap
    double alpha = 1.0;
    int x = 0, y = 0, width = 0, height = 0;
    int clear = 0;  // exactly 1: the rectangle is blacked out first
};

class TextSurface {
public:
    // InitDevice: the RGBA8 texture made from its black, transparent copy
    // (failure -36), its view (-37), then the black bitmap. Returns 0 on
    // success.
    int create(gpu::Device& device);

    // Draws the text into the bitmap, copies the rectangle's pixels to the
    // texture's copy and uploads that rectangle alone; the rest of the
    // texture keeps what earlier writes put there. Does nothing without a
    // bitmap, for a font slot holding no font, or for a rectangle not inside
    // the 1024 x 1024 surface.
    void write(const TextWrite& request);

    // The text texture's view, found through texture number 100; null while
    // there is none.
    gpu::ShaderResourceView* view() const { return view_.get(); }

private:
    std::unique_ptr<gpu::Texture2D> texture_;
    std::unique_ptr<gpu::ShaderResourceView> view_;
    std::unique_ptr<uint8_t[]> texels_;  // what the texture holds, kTextTexelRowBytes a row
    std::unique_ptr<uint8_t[]> bitmap_;
    std::u32string text_;  // working copy reused by every write
};

// The library-wide text surface (device-owned).
TextSurface& textSurface();

}  // namespace korvel::draw2d
