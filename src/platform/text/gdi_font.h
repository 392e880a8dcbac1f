// A font on Windows, drawn by GDI the way the text surface is defined:
// a font made with CreateFontW from the request (Japanese character set,
// default precision and quality), and text drawn with DrawTextW in its
// default format (top-left aligned, lines broken at CR and LF, "&" prefixes,
// clipped to the rectangle) with the background mode opaque, so each line's
// character cells are filled black. GDI draws into a DIB section; the
// rectangle is copied from the text surface's bitmap into it and back.
#pragma once

#include <memory>
#include <string>

#include "platform/text/bgr_surface.h"
#include "platform/text/font_request.h"

namespace korvel::platform::text {

class Font {
public:
    // Null when GDI cannot make the font.
    static std::unique_ptr<Font> create(const FontRequest& request);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Draws text (null-terminated, UTF-32) into rect of the surface in the
    // colour given; nothing is drawn outside rect.
    void drawText(const char32_t* text, BgrSurface& surface, const PixelRect& rect, TextColor color);

private:
    explicit Font(void* font) : font_(font) {}

    void* font_;         // HFONT
    std::wstring wide_;  // the text as UTF-16, reused by every call
};

}  // namespace korvel::platform::text
