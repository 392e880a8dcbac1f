// Font faces on Linux: the font files fontconfig picks for a request, and
// one such file opened with FreeType at a pixel size, with its HarfBuzz
// shaping font and the synthetic bold and oblique it is drawn with.
#pragma once

#include <memory>
#include <string>

#include "platform/text/font_request.h"

struct FT_FaceRec_;
struct FT_LibraryRec_;
struct hb_font_t;

namespace korvel::platform::text {

// Font files picked for a request through fontconfig.
struct FontFile {
    std::string path;           // empty when nothing matched
    int index = 0;              // face index within a collection
    bool needsBold = false;     // bold was asked for and the face is lighter
    bool needsOblique = false;  // italic was asked for and the face is upright
};

// The best face for the family, weight, slant, pitch and language of the
// request.
FontFile matchFont(const FontRequest& request);

// The face used for characters the matched face lacks: the best face for
// the request's weight and slant with Japanese coverage, ignoring family
// and pitch.
FontFile matchFallbackFont(const FontRequest& request);

struct GlyphImage {
    const unsigned char* coverage = nullptr;  // 8-bit rows, top first
    int pitch = 0;
    int width = 0;
    int rows = 0;
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
};

class SizedFace {
public:
    // Opens the file at an em of 16 pixels; null when it cannot be read.
    static std::unique_ptr<SizedFace> open(const FontFile& file);
    ~SizedFace();
    SizedFace(const SizedFace&) = delete;
    SizedFace& operator=(const SizedFace&) = delete;

    FT_FaceRec_* face() const { return face_; }
    hb_font_t* shaper() const { return shaper_; }
    bool hasCharacter(char32_t character) const;
    // Sizes the em to emX by emY pixels (at least 1 each).
    void resize(double emX, double emY);
    // Extra advance in pixels that synthetic bold adds to every glyph.
    int boldExtra() const { return bold_ ? 1 : 0; }

    // Rasterises a glyph with grayscale anti-aliasing; false when it cannot
    // be loaded. The image lives until the next call.
    bool render(unsigned glyph, GlyphImage& out) const;

private:
    SizedFace(std::shared_ptr<FT_LibraryRec_> library, FT_FaceRec_* face, bool bold, bool oblique);

    std::shared_ptr<FT_LibraryRec_> library_;
    FT_FaceRec_* face_;
    hb_font_t* shaper_;
    bool bold_;
    bool oblique_;
};

}  // namespace korvel::platform::text
