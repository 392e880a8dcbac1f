#pragma once

// Model drawing on a headless 800 x 600 device behind the recording
// wrapper: every test can probe pixels of the back buffer and read the
// calls the library made. Models are put straight into the store and their
// layout group is built with the library's builders.

#include <gtest/gtest.h>

#include <vector>

#include "device/device_fixture.h"
#include "device/injected_backend.h"
#include "instance/test_models.h"
#include "platform/gpu/recording_log.h"

namespace korvel::testing {

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

// Installs the model and builds its layout group (group 0 unless skinned).
int installAndBuild(const ModelBlueprint& blueprint);

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Clears the back buffer to near black and the depth to 1, and forgets
    // the calls made so far.
    void clearFrame();
    gpu::Image capture() const { return captureBackBuffer(); }
    // Screen pixel of a world point under the current camera, and the
    // capture's colour there.
    static void toScreen(double x, double y, double z, int& px, int& py);
    static Rgba at(const gpu::Image& image, double x, double y, double z = 0.0);

    // Records of one kind after the last clearFrame.
    std::vector<const gpu::Record*> calls(gpu::Call call) const { return backend.log->all(call); }

    InjectedBackend backend;
};

}  // namespace korvel::testing
