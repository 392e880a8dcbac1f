// The demo's walking character: a jointed figure of boxes (pelvis, torso,
// head, thighs, shins, feet, upper arms, forearms), each box moved by one
// joint, with three gaits keyed by code.
#pragma once

#include "mesh_file.h"

namespace demo {

enum WalkerMotion { kWalk = 0, kRun = 1, kWave = 2, kWalkerMotions = 3 };

// The motions' names, for the caption.
const char* walkerMotionName(int motion);

// The figure standing on y = 0, facing +z, about 1.8 units tall, with its
// skeleton and the walk, run and wave motions (each a loop whose last key
// equals its first).
Mesh buildWalker();

}  // namespace demo
