/*
 * Sprites and text with Korvel, in C99.
 *
 *   sprites_text [TEXTURE] [PICTURE.png]
 *
 * Brings up a headless device (pass an X11 Window id to InitDevice instead
 * to draw into a window), loads a texture, draws it as a tiled background,
 * a rotated sprite and a row of half-transparent ones, writes a line of
 * text over them and saves the frame as a PNG file. Korvelv0.fx must be in
 * the working directory.
 */
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "Korvelv0.h"

static int widen(const char* text, wchar_t* out, size_t size) { return mbstowcs(out, text, size) < size; }

int main(int argc, char** argv) {
    const char* texturePath = argc > 1 ? argv[1] : "grid.tga";
    const char* picturePath = argc > 2 ? argv[2] : "sprites_text.png";
    wchar_t texture[512], picture[512];
    int slot, font, i;

    setlocale(LC_ALL, "");
    if (!widen(texturePath, texture, 512) || !widen(picturePath, picture, 512)) return 1;
    ScreenSizeSet(1); /* 800 x 600 */
    if (InitDevice(NULL) < 0) {
        fprintf(stderr, "no device (is Korvelv0.fx in the working directory?)\n");
        CleanupDevice();
        return 1;
    }
    slot = readtexture(texture);
    font = myCreateFont(36, 0, 700, 0, 0, 0, 0, L"DejaVu Sans");
    if (slot < 0 || font < 0) {
        fprintf(stderr, "cannot load %s or a font\n", texturePath);
        CleanupDevice();
        return 1;
    }

    ClearColorZ(30, 34, 44, 1.0);
    /* Background: the texture repeated 10 x 7.5 times over the screen (80 x 80 scale of an 8-pixel texture). */
    RenderSprite(slot, 0, 0, 100.0, 75.0, 0, 0, 10, 7.5, 0, 0.0, 0, 0, 0.9, 1.0);
    /* A large sprite turned by 0.4 radians about its centre, in front. */
    RenderSprite(slot, 300, 150, 25.0, 25.0, 0, 0, 1, 1, 3, 0.4, 100, 100, 0.5, 1.0);
    /* A row of sprites blended with a constant factor that grows along the row. */
    for (i = 0; i < 6; ++i)
        RenderSprite(slot, 60 + 120 * i, 470, 10.0, 10.0, 0, 0, 1, 1, 4, 0.0, 0, 0, 0.4, (i + 1) / 6.0);
    /* Text: drawn into the text texture, then shown at a screen position. Colours are given blue first. */
    WriteTextTexture(L"Korvel from C", font, 80, 220, 255, 1.0, 0, 0, 400, 48, 1);
    RenderText(0, 0, 400, 48, 220, 40);

    BackBufferToFile(3, picture);
    SwapChainPresent();
    CleanupDevice();
    printf("wrote %s\n", picturePath);
    return 0;
}
