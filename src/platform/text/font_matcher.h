// Picks font files for a request through fontconfig.
#pragma once

#include <string>

#include "platform/text/font_request.h"

namespace korvel::platform::text {

struct FontFile {
    std::string path;  // empty when nothing matched
    int index = 0;     // face index within a collection
    bool needsBold = false;    // bold was asked for and the face is lighter
    bool needsOblique = false; // italic was asked for and the face is upright
};

// The best face for the family, weight, slant, pitch and language of the
// request.
FontFile matchFont(const FontRequest& request);

// The face used for characters the matched face lacks: the best face for
// the request's weight and slant with Japanese coverage, ignoring family
// and pitch.
FontFile matchFallbackFont(const FontRequest& request);

}  // namespace korvel::platform::text
