#include "platform/text/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <hb.h>

#include <algorithm>
#include <cmath>

namespace korvel::platform::text {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kLargestSize = 4096;             // heights and widths are clamped to this many pixels
constexpr size_t kGlyphCacheBytes = 8u << 20;  // a font's cache starts over beyond this

int roundToInt(double value) { return static_cast<int>(std::lround(value)); }

// Pixel sizes and line metrics of a face for a request, in the font
// mapper's terms: the cell height is the face's Windows ascent plus descent.
struct Sizing {
    double emX = 16;
    double emY = 16;
    FontMetrics metrics;
};

Sizing sizeFor(FT_Face face, const FontRequest& request) {
    const double unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double ascent = os2 ? os2->usWinAscent : face->ascender;
    double descent = os2 ? os2->usWinDescent : -face->descender;
    if (ascent + descent <= 0) {
        ascent = unitsPerEm * 0.8;
        descent = unitsPerEm * 0.2;
    }
    const double cellUnits = ascent + descent;

    Sizing sizing;
    FontMetrics& m = sizing.metrics;
    const int height = std::clamp(request.height, -kLargestSize, kLargestSize);
    if (height < 0) {
        sizing.emY = -height;
        m.cellHeight = std::max(1, roundToInt(sizing.emY * cellUnits / unitsPerEm));
    } else {
        m.cellHeight = height > 0 ? height : kDefaultCellHeight;
        sizing.emY = m.cellHeight * unitsPerEm / cellUnits;
    }
    m.ascent = roundToInt(m.cellHeight * ascent / cellUnits);
    sizing.emX = sizing.emY;
    if (request.width > 0 && os2 && os2->xAvgCharWidth > 0) {
        sizing.emX = std::min(request.width, kLargestSize) * unitsPerEm / os2->xAvgCharWidth;
    }

    const double scale = sizing.emY / unitsPerEm;
    m.underlineThickness = std::max(1, roundToInt(face->underline_thickness * scale));
    m.underlineOffset = std::max(1, roundToInt(-face->underline_position * scale - m.underlineThickness / 2.0));
    const int below = m.cellHeight - m.ascent;
    m.underlineOffset = std::max(0, std::min(m.underlineOffset, below - m.underlineThickness));
    const double strikeUnits = os2 && os2->yStrikeoutPosition > 0 ? os2->yStrikeoutPosition : unitsPerEm * 0.25;
    const double strikeSize = os2 && os2->yStrikeoutSize > 0 ? os2->yStrikeoutSize : face->underline_thickness;
    m.strikeoutThickness = std::max(1, roundToInt(strikeSize * scale));
    m.strikeoutOffset = roundToInt(strikeUnits * scale + m.strikeoutThickness / 2.0);
    return sizing;
}

}  // namespace

std::unique_ptr<Font> Font::create(const FontRequest& request) {
    const FontFile primaryFile = matchFont(request);
    std::unique_ptr<SizedFace> primary = SizedFace::open(primaryFile);
    if (!primary) return nullptr;
    const Sizing sizing = sizeFor(primary->face(), request);
    primary->resize(sizing.emX, sizing.emY);

    const FontFile fallbackFile = matchFallbackFont(request);
    std::unique_ptr<SizedFace> fallback;
    if (fallbackFile.path != primaryFile.path || fallbackFile.index != primaryFile.index) {
        fallback = SizedFace::open(fallbackFile);
        if (fallback) fallback->resize(sizing.emX, sizing.emY);
    }
    return std::unique_ptr<Font>(
        new Font(std::move(primary), std::move(fallback), sizing.metrics, request.underline, request.strikeout));
}

Font::Font(std::unique_ptr<SizedFace> primary, std::unique_ptr<SizedFace> fallback, const FontMetrics& metrics,
           bool underline, bool strikeout)
    : primary_(std::move(primary)),
      fallback_(std::move(fallback)),
      metrics_(metrics),
      underline_(underline),
      strikeout_(strikeout),
      buffer_(hb_buffer_create()) {}

Font::~Font() { hb_buffer_destroy(buffer_); }

uint8_t Font::faceIndexFor(char32_t character) const {
    if (!fallback_ || primary_->hasCharacter(character)) return 0;
    return fallback_->hasCharacter(character) ? 1 : 0;
}

GlyphImage Font::cachedGlyph(uint8_t face, unsigned glyph) {
    const uint64_t key = (static_cast<uint64_t>(face) << 32) | glyph;
    auto found = glyphs_.find(key);
    if (found == glyphs_.end()) {
        if (glyphPixels_.size() > kGlyphCacheBytes) {
            glyphs_.clear();
            glyphPixels_.clear();
        }
        GlyphImage image;
        if (!faceFor(face).render(glyph, image)) image = GlyphImage{};
        const CachedGlyph cached{glyphPixels_.size(), image.width, image.rows, image.left, image.top};
        for (int row = 0; row < image.rows; ++row) {
            const unsigned char* src = image.coverage + static_cast<ptrdiff_t>(row) * image.pitch;
            glyphPixels_.insert(glyphPixels_.end(), src, src + image.width);
        }
        found = glyphs_.emplace(key, cached).first;
    }
    const CachedGlyph& g = found->second;
    return GlyphImage{glyphPixels_.data() + g.offset, g.width, g.width, g.rows, g.left, g.top};
}

int Font::layoutLine() {
    placements_.clear();
    int pen = 0;
    size_t start = 0;
    while (start < shown_.size()) {
        const uint8_t faceIndex = faceIndexFor(shown_[start]);
        size_t end = start + 1;
        while (end < shown_.size() && faceIndexFor(shown_[end]) == faceIndex) ++end;

        const SizedFace& face = faceFor(faceIndex);
        hb_buffer_clear_contents(buffer_);
        hb_buffer_add_utf32(buffer_, reinterpret_cast<const uint32_t*>(shown_.data()), static_cast<int>(shown_.size()),
                            static_cast<unsigned>(start), static_cast<int>(end - start));
        hb_buffer_guess_segment_properties(buffer_);
        hb_shape(face.shaper(), buffer_, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer_, &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer_, &count);
        for (unsigned i = 0; i < count; ++i) {
            const int advance = roundToInt(positions[i].x_advance / 64.0) + face.boldExtra();
            placements_.push_back({faceIndex, infos[i].codepoint, pen + roundToInt(positions[i].x_offset / 64.0),
                                   roundToInt(positions[i].y_offset / 64.0), advance, infos[i].cluster});
            pen += advance;
        }
        start = end;
    }
    return pen;
}

void Font::drawLine(BgrSurface& surface, const PixelRect& clip, int left, int top, int width, TextColor color) {
    fillRect(surface, PixelRect{left, top, left + width, top + metrics_.cellHeight}.intersect(clip), TextColor{});
    const int baseline = top + metrics_.ascent;
    for (const Placement& placement : placements_) {
        const GlyphImage image = cachedGlyph(placement.face, placement.glyph);
        const int x0 = left + placement.x + image.left;
        const int y0 = baseline - placement.yOffset - image.top;
        const PixelRect area = PixelRect{x0, y0, x0 + image.width, y0 + image.rows}.intersect(clip);
        for (int y = area.top; y < area.bottom; ++y) {
            const unsigned char* row = image.coverage + static_cast<ptrdiff_t>(y - y0) * image.pitch;
            for (int x = area.left; x < area.right; ++x) {
                if (unsigned coverage = row[x - x0]) blendPixel(surface, x, y, color, coverage);
            }
        }
    }
    const int underlineTop = baseline + metrics_.underlineOffset;
    const auto rule = [&](int x0, int x1, int y0, int thickness) {
        fillRect(surface, PixelRect{x0, y0, x1, y0 + thickness}.intersect(clip), color);
    };
    if (underline_) rule(left, left + width, underlineTop, metrics_.underlineThickness);
    if (strikeout_) rule(left, left + width, baseline - metrics_.strikeoutOffset, metrics_.strikeoutThickness);
    for (uint32_t position : underlined_) {
        for (const Placement& placement : placements_) {
            if (placement.cluster != position) continue;
            rule(left + placement.x, left + placement.x + placement.advance, underlineTop, metrics_.underlineThickness);
        }
    }
}

void Font::drawText(const char32_t* text, BgrSurface& surface, const PixelRect& rect, TextColor color) {
    if (text == nullptr) return;
    const PixelRect clip = rect.intersect({0, 0, surface.width, surface.height});
    if (clip.empty()) return;
    std::u32string_view rest(text);
    int top = rect.top;
    while (top < clip.bottom) {
        const LineBreak line = nextLine(rest);
        resolvePrefixes(rest.substr(0, line.length), shown_, underlined_);
        const int width = layoutLine();
        if (top + metrics_.cellHeight > clip.top) drawLine(surface, clip, rect.left, top, width, color);
        if (line.breakLength == 0) break;
        rest.remove_prefix(line.length + line.breakLength);
        top += metrics_.cellHeight;
    }
}

LineBreak nextLine(std::u32string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\n') return {i, 1};
        if (text[i] == U'\r') return {i, (i + 1 < text.size() && text[i + 1] == U'\n') ? 2u : 1u};
    }
    return {text.size(), 0};
}

void resolvePrefixes(std::u32string_view line, std::u32string& shown, std::vector<uint32_t>& underlined) {
    shown.clear();
    underlined.clear();
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != U'&') {
            shown.push_back(line[i]);
            continue;
        }
        if (i + 1 == line.size()) break;
        ++i;
        if (line[i] != U'&') underlined.push_back(static_cast<uint32_t>(shown.size()));
        shown.push_back(line[i]);
    }
}

}  // namespace korvel::platform::text
