// The demo's text, lines and particle fountain, drawn over the sprite scene.
#pragma once

namespace demo {

struct Overlay {
    int font = -1;
    int fountain = -1;
};

// Creates the font and the fountain (particles textured with particleTexture);
// false with a message on stderr when either fails.
bool prepareOverlay(int particleTexture, Overlay& out);

// A caption with the frame number and the space bar's hold count, a fan of
// fading lines, a 3D square outline and one step of the fountain.
void drawOverlay(const Overlay& overlay, int frame);

}  // namespace demo
