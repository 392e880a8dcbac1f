// The demo scene, drawn through the library's C interface only.
#pragma once

#include <string>
#include <vector>

#include "models.h"
#include "overlay.h"

namespace demo {

struct SceneTextures {
    int checker = -1;
    int disc = -1;
    int arrow = -1;
    int target = -1;    // the off-screen render target, texture number 101
    Overlay overlay;    // text, lines and particles
    DemoModels models;  // animated sample models
};

// Loads the generated textures (paths from writeDemoTextures) and creates the
// off-screen target; false with a message on stderr when any step fails.
bool prepareScene(const std::vector<std::string>& texturePaths, SceneTextures& out);

// One frame: a tiled background, a sprite per blend mode, a rotating sprite,
// a sprite of the off-screen target and a turning 3D sprite.
void drawScene(const SceneTextures& textures, int frame);

}  // namespace demo
