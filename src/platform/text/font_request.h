// What a host asks of a font, in the terms of the Windows font mapper: the
// request both font back ends (FreeType on Linux, GDI on Windows) serve.
#pragma once

#include <string>

namespace korvel::platform::text {

struct FontRequest {
    // > 0: cell height (ascent + descent) in pixels; < 0: character height
    // (the em) in pixels; 0: the default size.
    int height = 0;
    // 0: natural proportions; otherwise the average character width the
    // glyphs are stretched or squeezed to, in pixels.
    int width = 0;
    int weight = 0;  // 1 to 1000 as OpenType weights; 0 = regular (400)
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool fixedPitch = false;
    bool preferJapanese = false;  // character set 128: prefer fonts covering Japanese
    std::string face;             // family name, UTF-8; empty = any
};

}  // namespace korvel::platform::text
