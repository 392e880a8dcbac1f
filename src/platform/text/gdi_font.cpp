#include "platform/text/gdi_font.h"

#include "platform/files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

namespace korvel::platform::text {

namespace {

// The memory device context and the 24-bit top-down DIB section selected
// into it that every font draws through, made for the surface's size on
// first use and again when the size changes.
class Canvas {
public:
    ~Canvas() { release(); }

    // False when GDI cannot make the context or the bitmap.
    bool prepare(int width, int height) {
        if (dc_ && width == width_ && height == height_) return true;
        release();
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        if (!dc_) return false;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // rows top first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap_ || !bits) {
            release();
            return false;
        }
        previous_ = SelectObject(dc_, bitmap_);
        pixels_ = static_cast<uint8_t*>(bits);
        width_ = width;
        height_ = height;
        rowBytes_ = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);  // DIB rows are 4-byte aligned
        return true;
    }

    HDC dc() const { return dc_; }

    // Copies the rectangle (inside both) from one surface to the other.
    void copyIn(const BgrSurface& from, const PixelRect& r) { copy(from.pixels, from.rowBytes, pixels_, rowBytes_, r); }
    void copyOut(BgrSurface& to, const PixelRect& r) const { copy(pixels_, rowBytes_, to.pixels, to.rowBytes, r); }

private:
    static void copy(const uint8_t* from, size_t fromRow, uint8_t* to, size_t toRow, const PixelRect& r) {
        const size_t bytes = static_cast<size_t>(r.right - r.left) * 3;
        for (int y = r.top; y < r.bottom; ++y) {
            std::memcpy(to + static_cast<size_t>(y) * toRow + static_cast<size_t>(r.left) * 3,
                        from + static_cast<size_t>(y) * fromRow + static_cast<size_t>(r.left) * 3, bytes);
        }
    }

    void release() {
        if (dc_ && previous_) SelectObject(dc_, previous_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
        dc_ = nullptr;
        bitmap_ = nullptr;
        previous_ = nullptr;
        pixels_ = nullptr;
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint8_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    size_t rowBytes_ = 0;
};

Canvas& canvas() {
    static Canvas instance;
    return instance;
}

void appendUtf16(std::wstring& out, char32_t value) {
    if (value < 0x10000) {
        out += static_cast<wchar_t>(value);
    } else {
        value -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (value >> 10));
        out += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
    }
}

}  // namespace

std::unique_ptr<Font> Font::create(const FontRequest& request) {
    // GDI reads at most 31 characters of a face name (LF_FACESIZE - 1).
    const std::wstring face = platform::wideFromUtf8(request.face).substr(0, LF_FACESIZE - 1);
    HFONT font = CreateFontW(request.height, request.width, 0, 0, request.weight, request.italic, request.underline,
                             request.strikeout, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, request.fixedPitch ? FIXED_PITCH : DEFAULT_PITCH, face.c_str());
    if (!font) return nullptr;
    return std::unique_ptr<Font>(new Font(font));
}

Font::~Font() { DeleteObject(static_cast<HFONT>(font_)); }

void Font::drawText(const char32_t* text, BgrSurface& surface, const PixelRect& rect, TextColor color) {
    if (text == nullptr) return;
    const PixelRect clip = rect.intersect({0, 0, surface.width, surface.height});
    if (clip.empty()) return;
    Canvas& gdi = canvas();
    if (!gdi.prepare(surface.width, surface.height)) return;
    wide_.clear();
    for (; *text != 0; ++text) appendUtf16(wide_, *text);

    gdi.copyIn(surface, clip);
    HDC dc = gdi.dc();
    const HGDIOBJ previousFont = SelectObject(dc, static_cast<HFONT>(font_));
    SetTextColor(dc, RGB(color.red, color.green, color.blue));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    RECT area{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextW(dc, wide_.c_str(), -1, &area, 0);
    SelectObject(dc, previousFont);
    GdiFlush();  // the DIB's memory holds GDI's drawing only after a flush
    gdi.copyOut(surface, clip);
}

}  // namespace korvel::platform::text
