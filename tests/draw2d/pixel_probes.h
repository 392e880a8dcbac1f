// Probes of the back buffer: each pixel's expected colour, checked in one
// capture.
#pragma once

#include <vector>

#include "device/device_fixture.h"

namespace korvel::testing {

struct Probe {
    uint32_t x, y;
    Rgba colour;
};

inline void expectPixels(const std::vector<Probe>& probes) {
    const gpu::Image image = captureBackBuffer();
    for (const Probe& p : probes) EXPECT_PIXEL(image, p.x, p.y, p.colour);
}

}  // namespace korvel::testing
