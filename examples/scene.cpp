#include "scene.h"

#include <cmath>
#include <cstdio>

#include "Korvelv0.h"

namespace demo {
namespace {

std::wstring widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Sprites are depth-tested: later layers use smaller z to stay in front.
constexpr double kBackgroundZ = 0.99;
constexpr double kLayerZ = 0.5;
constexpr double kFrontZ = 0.3;

// The rotating arrow drawn into the off-screen target (256 x 256). Pixel
// coordinates are screen pixels, so the arrow is placed in the screen-sized
// frame that the target's viewport stretches over.
void drawOffscreen(const SceneTextures& t, int frame) {
    SetViewportsandRenderTargets(101);
    ClearColorZ(30, 90, 40, 1.0);
    RenderSprite(t.disc, 250, 150, 4.0, 4.0, 0, 0, 1, 1, 3, 0.0, 0, 0, kLayerZ, 1.0);
    RenderSprite(t.arrow, 272, 236, 8.0, 8.0, 0, 0, 1, 1, 3, -0.2 * frame, 128, 64, kFrontZ, 1.0);
    SetViewportsandRenderTargets(0);
}

void drawBlendRow(const SceneTextures& t) {
    // A white bar behind the discs shows what each blend mode does to it.
    RenderSprite(t.checker, 20, 40, 12.0, 1.5, 0, 0, 1, 1, 0, 0.0, 0, 0, kLayerZ + 0.1, 1.0);
    for (int mode = 0; mode < 6; ++mode) {
        const int x = 40 + mode * 125;
        RenderSprite(t.disc, x, 20, 1.5, 1.5, 0, 0, 1, 1, mode, 0.0, 0, 0, kLayerZ, 0.5);
    }
}

void draw3dSprite(const SceneTextures& t, int frame) {
    // Turns back and forth about the vertical axis, never showing its back.
    const double turn = 0.9 * std::sin(frame * 0.25);
    const double c = std::cos(turn), s = std::sin(turn);
    const double cx = -2.2, cy = -1.0;
    const double X[4] = {cx - c, cx + c, cx - c, cx + c};
    const double Y[4] = {cy + 0.8, cy + 0.8, cy - 0.8, cy - 0.8};
    const double Z[4] = {s, -s, s, -s};
    const double U[4] = {0, 2, 0, 2};
    const double V[4] = {0, 0, 2, 2};
    RenderSprite3d(t.checker, 3, 1.0, X, Y, Z, U, V);
}

}  // namespace

bool prepareScene(const std::vector<std::string>& texturePaths, SceneTextures& out) {
    if (texturePaths.size() != 3) return false;
    int* slots[3] = {&out.checker, &out.disc, &out.arrow};
    for (size_t i = 0; i < 3; ++i) {
        *slots[i] = readtexture(widen(texturePaths[i]).c_str());
        if (*slots[i] < 0) {
            std::fprintf(stderr, "korvel-demo: cannot load %s\n", texturePaths[i].c_str());
            return false;
        }
    }
    out.target = CreateTextureforRTandSRV(256, 256);
    if (out.target != 101) {
        std::fprintf(stderr, "korvel-demo: off-screen target failed (%d)\n", out.target);
        return false;
    }
    ViewMatrixValueSet(0, 0, -5, 0, 0, 0, 0, 1, 0);
    prepareModels(KORVEL_DEMO_ASSETS, out.models);
    return prepareOverlay(out.disc, out.overlay);
}

void drawScene(const SceneTextures& t, int frame) {
    drawOffscreen(t, frame);
    ClearColorZ(25, 25, 50, 1.0);
    // Background: the checker tiled over the whole screen (wrap sampler).
    RenderSprite(t.checker, 0, 0, 1.0, 1.0, 0, 0, 12.5, 9.375, 0, 0.0, 0, 0, kBackgroundZ, 1.0);
    drawBlendRow(t);
    // A big arrow spinning about its centre.
    RenderSprite(t.arrow, 340, 240, 6.0, 6.0, 0, 0, 1, 1, 3, 0.35 * frame, 96, 48, kFrontZ, 1.0);
    // The off-screen target, shown at half size.
    RenderSprite(t.target, 600, 380, 0.75, 0.75, 0, 0, 1, 1, 0, 0.0, 0, 0, kFrontZ, 1.0);
    draw3dSprite(t, frame);
    drawModels(t.models, frame);
    drawOverlay(t.overlay, frame);
}

}  // namespace demo
