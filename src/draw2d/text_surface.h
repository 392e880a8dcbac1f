// The text surface: the shared 1024 x 1024 text texture (texture number 100)
// and the 24-bit bitmap that text is drawn into before it is copied there.
// The bitmap keeps its pixels between calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gpu/gpu.h"
#include "platform/text/bgr_surface.h"

namespace korvel::draw2d {

inline constexpr int kTextSurfaceSize = 1024;
inline constexpr size_t kTextBitmapRowBytes = 3 * kTextSurfaceSize;

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
    // InitDevice: the dynamic RGBA8 texture (failure -36), its view (-37),
    // then the black bitmap. Returns 0 on success.
    int create(gpu::Device& device);
    void releaseTexture();  // the texture and its view
    void releaseBitmap();

    // Draws the text into the bitmap and copies the rectangle to the
    // texture (write-discard: the rest of the texture is undefined after).
    // Does nothing without a bitmap, for a font slot holding no font, or for
    // a rectangle not inside the 1024 x 1024 surface.
    void write(const TextWrite& request);

private:
    std::unique_ptr<gpu::Texture2D> texture_;
    std::unique_ptr<gpu::ShaderResourceView> view_;
    std::unique_ptr<uint8_t[]> bitmap_;
    std::u32string text_;  // working copy reused by every write
};

// The library-wide text surface.
TextSurface& textSurface();

}  // namespace korvel::draw2d
