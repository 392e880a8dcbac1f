// Picking in the demo: the face of the crate under a screen point is found
// with the library's ray test and drawn highlighted with the tool overlays.
#pragma once

#include "models.h"

namespace demo {

struct Picker {
    SceneModel target;  // the model that is picked (the crate)
    int face = -1;      // the face picked last, -1 for none
};

// Makes the selection arrays for the target model.
void preparePicker(Picker& picker);

// Finds the face of the target under screen pixel (x, y) with the current
// camera and selects it and its neighbour (the two triangles of one side).
void pickAt(Picker& picker, int x, int y);

// Draws the target with its edges and the picked side tinted, then a small
// cross-hair cursor at (x, y).
void drawPicked(const Picker& picker, int x, int y);

}  // namespace demo
