#include "overlay.h"

#include <cstdio>

#include "Korvelv0.h"

namespace demo {
namespace {

constexpr int kAddBlend = 1;
constexpr int kWarmUpSteps = 60;

}  // namespace

bool prepareOverlay(int flameTexture, double x, double z, Overlay& out) {
    out.titleFont = myCreateFont(34, 0, 700, 0, 0, 0, 0, L"DejaVu Sans");
    out.infoFont = myCreateFont(18, 0, 400, 0, 0, 0, 0, L"DejaVu Sans");
    const double rect[4] = {0.0, 0.0, 1.0, 1.0};
    // Flames: large soft glows that rise, spread a little and fade out.
    const double flameAt[3] = {x, 0.2, z};
    const double flameSize[2] = {0.45, 0.45};
    const double flameVelocity[6] = {-0.008, 0.02, -0.008, 0.008, 0.045, 0.008};
    out.flames = CreateParticle(flameAt, flameSize, flameTexture, rect, 1, 30, flameVelocity, 0.0005, 40);
    // Sparks: small, fast, flung higher and pulled back down.
    const double sparkAt[3] = {x, 0.4, z};
    const double sparkSize[2] = {0.07, 0.07};
    const double sparkVelocity[6] = {-0.012, 0.03, -0.012, 0.012, 0.06, 0.012};
    out.sparks = CreateParticle(sparkAt, sparkSize, flameTexture, rect, 3, 40, sparkVelocity, -0.0008, 20);
    if (out.titleFont < 0 || out.infoFont < 0 || out.flames < 0 || out.sparks < 0) {
        std::fprintf(stderr, "korvel-demo: fonts %d %d, particle groups %d %d\n", out.titleFont, out.infoFont,
                     out.flames, out.sparks);
        return false;
    }
    // The warm-up steps draw into the back buffer, which the first frame
    // clears.
    for (int i = 0; i < kWarmUpSteps; ++i) drawFire(out);
    return true;
}

void drawFire(const Overlay& o) {
    ParticleMoveandRender(o.flames, kAddBlend, 1.0);
    ParticleMoveandRender(o.sparks, kAddBlend, 1.0);
}

void drawCaption(const Overlay& o, const wchar_t* status) {
    // Colours are given blue first: the title shows warm white, the status
    // line pale yellow. Each rectangle is shown before the next is written.
    WriteTextTexture(L"Korvel demo", o.titleFont, 200, 235, 255, 0.8, 0, 0, 230, 44, 1);
    RenderText(0, 0, 230, 44, 16, 12);
    WriteTextTexture(status, o.infoFont, 150, 230, 250, 0.8, 0, 48, 400, 26, 1);
    RenderText(0, 48, 400, 26, 16, 58);
}

}  // namespace demo
