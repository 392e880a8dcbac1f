// The demo's campfire (two particle groups) and its caption text.
#pragma once

namespace demo {

struct Overlay {
    int titleFont = -1;
    int infoFont = -1;
    int flames = -1;  // particle group
    int sparks = -1;  // particle group
};

// Creates the two fonts and the fire's particle groups, textured with
// flameTexture, at (x, z) on the ground, and lets the fire burn for a
// moment so that the first frame already shows it; false with a message on
// stderr when any of them fails.
bool prepareOverlay(int flameTexture, double x, double z, Overlay& out);

// One step of the fire: moves and draws its particles, added onto the
// scene. Draw it after the opaque models.
void drawFire(const Overlay& overlay);

// The title and a line of status text (frame, motion, picked face) in the
// top-left corner.
void drawCaption(const Overlay& overlay, const wchar_t* status);

}  // namespace demo
