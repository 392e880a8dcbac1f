// The demo's 3D models: PT3 files (written by the demo or converted from
// other formats at build time) loaded into the library, one instance each,
// stood on the ground and drawn with RenderImage.
#pragma once

#include <string>

namespace demo {

struct SceneModel {
    int model = -1;     // model slot, -1 when the file did not load
    int image = -1;     // its instance
    int lastFrame = 0;  // last key frame of motion 0 (0 without motions)
    double scale = 1.0;
    double lift = 0.0;  // raises the scaled model so that its lowest point is at y = 0

    bool loaded() const { return image >= 0; }
    bool animated() const { return lastFrame > 0; }
};

// Loads a PT3 file with its normals and makes an instance of it; `height`
// above 0 scales the model to that height, 0 keeps its size. A file that
// does not load leaves the model unloaded, with a note on stderr.
SceneModel loadModel(const std::string& path, double height);

// Stands the model on the ground at (x, z), turned by yaw (radians) about
// the vertical axis.
void placeModel(const SceneModel& m, double x, double z, double yaw);

// Draws the model's opaque materials, then its translucent ones, in motion
// `motion` (-1 for none) at key frame `frame`.
void drawModel(const SceneModel& m, int motion, int frame);

// The frame of a looping motion at time `tick` (one key frame per tick).
int loopFrame(const SceneModel& m, int tick);

}  // namespace demo
