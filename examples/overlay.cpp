#include "overlay.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "Korvelv0.h"

namespace demo {
namespace {

constexpr int kSpaceKey = 0x20;

void drawCaption(const Overlay& o, int frame) {
    wchar_t text[96];
    std::swprintf(text, 96, L"Korvel &demo  frame %d\nspace held: %d  日本語", frame,
                  GetKeyboardCountByIndex(kSpaceKey));
    // Colours are given blue first: this caption shows warm yellow.
    WriteTextTexture(text, o.font, 60, 220, 255, 0.85, 0, 0, 320, 56, 1);
    RenderText(0, 0, 320, 56, 20, 530);
}

void drawLineFan(int frame) {
    const double turn = frame * 0.05;
    for (int i = 0; i < 12; ++i) {
        const double a = turn + i * (3.14159265358979 / 6.0);
        const int x = 700 + static_cast<int>(70 * std::cos(a));
        const int y = 250 + static_cast<int>(70 * std::sin(a));
        RenderLine2d(700, 250, 255, 255, 255, 1.0, x, y, 255, 128 + i * 10, 0, 0.0, 3);
    }
    RenderPoint2d(700, 250, 255, 0, 0, 1.0, 0);
}

void drawSquareOutline() {
    const double corners[4][3] = {{-2.4, 0.2, -0.5}, {-1.2, 0.2, -0.5}, {-1.2, 1.4, -0.5}, {-2.4, 1.4, -0.5}};
    const int cyan[3] = {0, 255, 255};
    const int magenta[3] = {255, 0, 255};
    for (int i = 0; i < 4; ++i) RenderLine3d(corners[i], cyan, 1.0, corners[(i + 1) % 4], magenta, 1.0, 0);
}

}  // namespace

bool prepareOverlay(int particleTexture, Overlay& out) {
    out.font = myCreateFont(22, 0, 700, 0, 0, 0, 0, L"DejaVu Sans");
    const double emitter[3] = {0.0, -2.0, 0.0};
    const double size[2] = {0.25, 0.25};
    const double rect[4] = {0.0, 0.0, 1.0, 1.0};
    const double velocity[6] = {-0.03, 0.08, -0.03, 0.03, 0.14, 0.03};
    out.fountain = CreateParticle(emitter, size, particleTexture, rect, 1, 40, velocity, -0.002, 64);
    if (out.font < 0 || out.fountain < 0) {
        std::fprintf(stderr, "korvel-demo: overlay failed (font %d, particles %d)\n", out.font, out.fountain);
        return false;
    }
    return true;
}

void drawOverlay(const Overlay& o, int frame) {
    GetKeyboardCount();
    drawLineFan(frame);
    drawSquareOutline();
    ParticleMoveandRender(o.fountain, 3, 1.0);
    drawCaption(o, frame);
}

}  // namespace demo
