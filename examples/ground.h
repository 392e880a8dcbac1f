// The demo's set: the textured ground with a paved square, a campfire's
// logs and stone ring, ruined pillars around the square, and a crate.
#pragma once

#include "mesh_file.h"

namespace demo {

// Where the campfire burns (world units, on the ground).
inline constexpr float kFireX = 0.0f, kFireZ = 0.0f;

// Grass out to 12 units from the centre, flagstones within 5, the fire's
// logs and stones at the centre and pillars on a circle of 6.2. Textures are
// the generated grass.png, stone.png and wood.png.
Mesh buildGround();

// A wooden crate, one unit a side, standing on y = 0 centred on x = z = 0.
Mesh buildCrate();

}  // namespace demo
