// The headless device of the tests: one fixture that brings the library's
// device up at 800 x 600 behind the fault-injecting, recording wrapper of
// gpu_doubles.h, back-buffer captures, textures loaded from generated images, and
// a scene set-up (camera, light, emissive quads) for the drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "Korvelv0.h"
#include "support/gpu_doubles.h"
#include "support/models.h"
#include "support/pixels.h"

namespace korvel::testing {

// The back buffer as it is now (whatever target is bound).
gpu::Image captureBackBuffer();

struct Probe {
    uint32_t x, y;
    Rgba colour;
};
void expectPixels(const std::vector<Probe>& probes);

// Writes a PNG of the given size and loads it with readtexture; returns the
// slot (or -1).
int loadTexture(uint32_t width, uint32_t height, const std::function<Rgba(uint32_t, uint32_t)>& texel);
inline int loadSolidTexture(uint32_t width, uint32_t height, Rgba c) {
    return loadTexture(width, height, [c](uint32_t, uint32_t) { return c; });
}

// Brings up a headless 800 x 600 device for each test; releases it and
// empties the model store after.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScreenSizeSet(1);
        ASSERT_GE(InitDevice(nullptr), 0);
        backend.log->clear();
    }
    void TearDown() override {
        CleanupDevice();
        clearStore();
    }

    InjectedBackend backend;
};

// An axis-aligned rectangle at depth z facing the camera (which looks along
// +z from z = -5): two clockwise triangles, texture (0, 0) at the top left.
struct Quad {
    int part = 0;
    int material = 0;
    float x0 = -1, y0 = -1, x1 = 1, y1 = 1, z = 0;
};

// Four vertices and two faces per quad, in the order given (faces of one
// (part, material) pair must be given together).
ModelBlueprint quadModel(const std::vector<Quad>& quads, int numpart, int nummaterial);

// Emissive-only material: the pixel shows (r, g, b) exactly when lit by
// nothing else; alpha is the material alpha.
void setEmissive(int model, int material, int blendmode, int r, int g, int b, double alpha = 1.0, int texsrvno = -1);

// Installs the model and builds its layout group.
int installAndBuild(const ModelBlueprint& blueprint);

// The device with a camera at z = -5 looking at the origin, a light at the
// camera, no ambient light and a cleared frame.
class SceneTest : public DeviceTest {
protected:
    void SetUp() override;

    // Clears the back buffer to near black and the depth to 1, and forgets
    // the calls made so far.
    void clearFrame() {
        ClearColorZ(1, 0, 0, 1.0);
        backend.log->clear();
    }
    gpu::Image capture() const { return captureBackBuffer(); }
    // Screen pixel of a world point under the current camera, and the
    // capture's colour there.
    static void toScreen(double x, double y, double z, int& px, int& py);
    static Rgba at(const gpu::Image& image, double x, double y, double z = 0.0);

    // Records of one kind after the last clearFrame.
    std::vector<const gpu::Record*> calls(gpu::Call call) const { return backend.log->all(call); }
};

}  // namespace korvel::testing
