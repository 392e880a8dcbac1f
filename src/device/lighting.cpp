#include "device/lighting.h"

namespace korvel::device {
namespace {

SceneLighting& state() {
    static SceneLighting values;
    return values;
}

}  // namespace

const SceneLighting& lighting() { return state(); }

void setSceneAmbientColor(int red, int green, int blue) {
    state().sceneAmbientColor = {static_cast<float>(red) / 255.0f, static_cast<float>(green) / 255.0f,
                                 static_cast<float>(blue) / 255.0f};
}

void setPointLightPos(double x, double y, double z) {
    state().pointLightPos = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

void setLightingCoefficients(double ktex, double kdif, double kemi, double kspc, double mparam0, double mparam1) {
    SceneLighting& values = state();
    values.ktex = static_cast<float>(ktex);
    values.kdif = static_cast<float>(kdif);
    values.kemi = static_cast<float>(kemi);
    values.kspc = static_cast<float>(kspc);
    values.mparam0 = static_cast<float>(mparam0);
    values.mparam1 = static_cast<float>(mparam1);
}

}  // namespace korvel::device
