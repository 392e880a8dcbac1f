// The viewed model: loaded, its buffers built, one instance, and the camera
// that orbits it.
#pragma once

#include <string>

#include "options.h"

namespace view {

struct Scene {
    int model = -1;
    int image = -1;
    double center[3] = {0, 0, 0};
    double radius = 1;
    int motions = 0;
    int shapekeys = 0;
};

// What a picture shows; the window's keys change it.
struct ViewState {
    int motion = 0;
    int shapekey = -1;
    int pass = -1;  // -1: pass 1 then pass 0
    bool tool = false;
};

// Loads the model (X importer for ".x" names, else the PT3 reader), builds
// every layout group's buffers and the hair buffer, creates the instance and
// sets the lights. Needs the device. Returns an error text, empty on success.
std::string loadScene(const Options& options, Scene& out);

// The motion's last key frame, 0 for the bind pose or a model without motions.
int lastKeyFrame(const Scene& scene, int motion);

// Clears and draws one picture at `frame`, the camera `angle` radians round
// the model's vertical axis at `distance` (0: three radii).
void drawPicture(const Scene& scene, const ViewState& state, int frame, double angle, double distance);

}  // namespace view
