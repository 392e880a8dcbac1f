// The demo's 3D models: PT3 files (written by the demo or converted from
// other formats at build time) loaded into the library, one instance each,
// stood on the ground and drawn with RenderImage.
#pragma once

#include <string>

namespace demo {

struct SceneModel {
    int model = -1;     // model slot, -1 when the file did not load
    int image = -1;     // its instance
    int motion = -1;    // the motion it plays, -1 for none
    int lastFrame = 0;  // last key frame of that motion (0 without one)
    double scale = 1.0;
    double lift = 0.0;  // raises the scaled model so that its lowest point is at y = 0

    bool loaded() const { return image >= 0; }
    bool animated() const { return lastFrame > 0; }
};

// Loads a PT3 file with its normals and makes an instance of it that plays
// `motion` (-1 for none; a motion the model lacks is none); `height` above
// 0 scales the model to that height in the motion's first pose, 0 keeps its
// size. A file that does not load leaves the model unloaded, with a note on
// stderr.
SceneModel loadModel(const std::string& path, double height, int motion = -1);

// Gives every material of the model the diffuse colour (r, g, b), 0 to 255,
// and a soft highlight, keeping its texture: for models whose files carry
// no colour.
void tintModel(const SceneModel& m, int r, int g, int b);

// Stands the model on the ground at (x, z), turned by yaw (radians) about
// the vertical axis.
void placeModel(const SceneModel& m, double x, double z, double yaw);

// Draws the model's opaque materials, then its translucent ones, in motion
// `motion` (-1 for none) at key frame `frame`.
void drawModel(const SceneModel& m, int motion, int frame);

// Draws the model playing its own motion in a loop, one key frame per tick.
void drawPlaying(const SceneModel& m, int tick);

}  // namespace demo
