// The demo scene: a paved square in a meadow, ringed by ruined pillars, with
// a campfire, a walking figure, a crate whose corner under the cursor is
// picked, and models converted from other formats at build time; drawn
// through the library's C interface only.
#pragma once

#include <string>

#include "models.h"
#include "overlay.h"
#include "picking.h"

namespace demo {

struct Scene {
    SceneModel ground;
    SceneModel walker;
    SceneModel wuson;  // converted models; each may be missing
    SceneModel dancer;
    SceneModel spider;
    Picker crate;
    Overlay overlay;
    double walkerAngle = 2.5;  // where the walker is on its circle round the fire (radians)
};

// Writes the generated textures and models into workFolder, loads them and
// the converted models found in modelFolder, builds the model buffers and
// sets the lights; false with a message on stderr when a generated part
// fails (a missing converted model is only noted).
bool prepareScene(const std::string& workFolder, const std::string& modelFolder, Scene& scene);

// Draws one frame: the camera turned to `frame`, the walker one step
// further in `walkerMotion` (see walker.h).
void drawScene(Scene& scene, int frame, int walkerMotion);

}  // namespace demo
