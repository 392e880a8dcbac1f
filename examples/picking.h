// Picking in the demo: the face of the crate under a screen point is found
// with the library's ray test, and its corner nearest the hit is marked with
// the tool overlays.
#pragma once

#include <vector>

#include "models.h"

namespace demo {

struct Picker {
    SceneModel target;         // the model that is picked (the crate)
    std::vector<int> corners;  // its faces' three vertex numbers each, in file order
    int face = -1;             // the face picked last, -1 for none
    int vertex = -1;           // its corner nearest the hit, -1 for none
};

// Makes the selection arrays for the target model.
void preparePicker(Picker& picker);

// Finds the face of the target under screen pixel (x, y) with the current
// camera, and selects the face's corner nearest the point hit.
void pickAt(Picker& picker, int x, int y);

// Draws the target with its vertex markers (the picked one larger, in red),
// then a small cross-hair cursor at (x, y).
void drawPicked(const Picker& picker, int x, int y);

}  // namespace demo
