// Saving the back buffer to an image file.
#pragma once

#include <string>

namespace korvel::device {

// Reads the back buffer (whatever target is bound) and writes it, opaque as
// the screen shows it, as kind 0 BMP, 1 JPG, 3 PNG or 4 DDS; any other kind
// writes nothing. The outcome is not reported.
void saveBackBuffer(int kind, const std::string& utf8Path);

}  // namespace korvel::device
