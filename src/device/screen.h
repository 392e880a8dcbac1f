// The screen size in pixels: read by InitDevice for the swap chain, depth
// buffer and viewport, and by every pixel-addressed drawing call for the
// pixel-to-clip mapping. Survives CleanupDevice.
#pragma once

#include <cstdint>

namespace korvel::device {

struct ScreenSize {
    uint32_t width = 800;
    uint32_t height = 600;
};

const ScreenSize& screenSize();

// Mode 0: 640 x 480, 1: 800 x 600, 2: 1024 x 768; any other mode keeps the
// size. A size set after InitDevice does not resize the back buffer.
void setScreenSizeMode(int mode);

}  // namespace korvel::device
