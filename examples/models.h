// The demo's 3D models: the sample X files of examples/assets, animated with
// their motions and drawn with RenderImage (opaque pass, then the others).
#pragma once

#include <string>
#include <vector>

namespace demo {

struct DemoModel {
    int image = -1;
    int motions = 0;
    int lastFrame = 0;  // last key frame of motion 0
};

struct DemoModels {
    std::vector<DemoModel> models;
};

// Loads every sample model found in `assetFolder`, builds the model buffers
// and places one instance of each; a missing or unreadable file is left out
// with a note on stderr.
void prepareModels(const std::string& assetFolder, DemoModels& out);

// Draws every model at `frame`, playing motion 0 in a loop.
void drawModels(const DemoModels& models, int frame);

}  // namespace demo
