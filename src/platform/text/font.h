// A font as the text surface uses it: matched by fontconfig, rasterised by
// FreeType with grayscale anti-aliasing, each line shaped by HarfBuzz, and
// drawn with the rules of the Windows DrawText call in its default format.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text/bgr_surface.h"
#include "platform/text/font_face.h"

struct hb_buffer_t;

namespace korvel::platform::text {

// The line and prefix rules of the text drawing call: lines end at CR, LF or
// CR LF; "&" underlines the character after it and "&&" stands for one "&".
// Length of the line starting at text[0] and the number of characters that
// end it (0 at the end of the text, 1 for CR or LF, 2 for CR LF).
struct LineBreak {
    size_t length = 0;
    size_t breakLength = 0;
};
LineBreak nextLine(std::u32string_view text);

// The characters of a line as drawn, with "&" prefixes removed, and the
// positions (in shown) of the characters to underline. A lone "&" at the
// end of the line is dropped. shown and underlined are cleared first.
void resolvePrefixes(std::u32string_view line, std::u32string& shown, std::vector<uint32_t>& underlined);

struct FontMetrics {
    int cellHeight = 0;       // line advance: ascent + descent
    int ascent = 0;           // from the top of the cell to the baseline
    int underlineOffset = 0;  // first underline row below the baseline
    int underlineThickness = 1;
    int strikeoutOffset = 0;  // first strikeout row above the baseline
    int strikeoutThickness = 1;
};

class Font {
public:
    // Null when no font file could be matched and opened.
    static std::unique_ptr<Font> create(const FontRequest& request);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontMetrics& metrics() const { return metrics_; }

    // Draws text (null-terminated, UTF-32) into rect of the surface: lines
    // from the top-left corner, one cell height apart, broken at CR, LF and
    // CR LF and never wrapped; "&" underlines the next character and "&&"
    // draws "&"; each line's character cells are first filled with opaque
    // black; nothing is drawn outside rect.
    void drawText(const char32_t* text, BgrSurface& surface, const PixelRect& rect, TextColor color);

private:
    struct Placement {
        uint8_t face;  // 0 primary, 1 fallback
        unsigned glyph;
        int x;        // pen position from the line's left edge
        int yOffset;  // upwards from the baseline
        int advance;
        uint32_t cluster;
    };

    Font(std::unique_ptr<SizedFace> primary, std::unique_ptr<SizedFace> fallback, const FontMetrics& metrics,
         bool underline, bool strikeout);
    const SizedFace& faceFor(uint8_t index) const { return index == 0 ? *primary_ : *fallback_; }
    uint8_t faceIndexFor(char32_t character) const;
    // The rasterised glyph of a face, rendered on first use and kept while
    // the font's cache holds under 8 MiB of coverage (an
    // empty image when it cannot be rendered). Valid until the next call.
    GlyphImage cachedGlyph(uint8_t face, unsigned glyph);
    // Shapes shown_ into placements_; returns the line's width in pixels.
    int layoutLine();
    void drawLine(BgrSurface& surface, const PixelRect& clip, int left, int top, int width, TextColor color);

    std::unique_ptr<SizedFace> primary_;
    std::unique_ptr<SizedFace> fallback_;  // may be null
    FontMetrics metrics_;
    bool underline_;
    bool strikeout_;
    hb_buffer_t* buffer_;
    // Working storage reused by every call.
    std::u32string shown_;
    std::vector<uint32_t> underlined_;
    std::vector<Placement> placements_;
    // Rendered glyphs by face and glyph id, their coverage rows packed
    // (pitch = width) in glyphPixels_ from offset.
    struct CachedGlyph {
        size_t offset;
        int width, rows, left, top;
    };
    std::unordered_map<uint64_t, CachedGlyph> glyphs_;
    std::vector<unsigned char> glyphPixels_;
};

}  // namespace korvel::platform::text
