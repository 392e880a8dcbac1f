// Scene lighting values: stored here, copied into the material constant
// buffer by model drawing on every draw. Static defaults; survive
// CleanupDevice.
#pragma once

#include "math/types.h"

namespace korvel::device {

struct SceneLighting {
    math::Float3 sceneAmbientColor{0.0f, 0.0f, 0.0f};
    math::Float3 pointLightPos{3.0f, 3.0f, -3.0f};
    float ktex = 1.0f;
    float kdif = 1.0f;
    float kemi = 1.0f;
    float kspc = 1.0f;
    float mparam0 = 0.0f;
    float mparam1 = 0.0f;
};

const SceneLighting& lighting();

// Colours are divided by 255 without clamping.
void setSceneAmbientColor(int red, int green, int blue);
void setPointLightPos(double x, double y, double z);
void setLightingCoefficients(double ktex, double kdif, double kemi, double kspc, double mparam0, double mparam1);

}  // namespace korvel::device
