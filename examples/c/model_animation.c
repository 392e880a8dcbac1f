/*
 * A model and its animation with Korvel, in C99.
 *
 *   model_animation [MODEL.pt3 | MODEL.x] [PICTURE.png]
 *
 * Loads a model (a PT3 file, for example one written by korvel-import, or
 * an X file of the paired exporter's layout), builds its GPU buffers, places
 * an instance, and plays motion 0 from its first to its last key frame on a
 * headless device, looking at the model's bounding sphere. The last frame
 * is saved as a PNG file. Korvelv0.fx must be in the working directory.
 */
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "Korvelv0.h"

int main(int argc, char** argv) {
    const char* modelPath = argc > 1 ? argv[1] : "model.pt3";
    const char* picturePath = argc > 2 ? argv[2] : "model_animation.png";
    wchar_t path[512], picture[512];
    size_t length = strlen(modelPath);
    int model, image, motions, last, frame, built;
    double sphere[4];

    setlocale(LC_ALL, "");
    if (mbstowcs(path, modelPath, 512) >= 512 || mbstowcs(picture, picturePath, 512) >= 512) return 1;
    if (InitDevice(NULL) < 0) {
        fprintf(stderr, "no device (is Korvelv0.fx in the working directory?)\n");
        CleanupDevice();
        return 1;
    }
    /* normalmode 1 (lit with normals), scale 1; X files: skin, joints and animations (skinmode 2). */
    if (length > 2 && strcmp(modelPath + length - 2, ".x") == 0)
        model = ReadXfile(path, 1, 1.0, 2, 0);
    else
        model = ReadPT3file(path, 1, 1.0);
    if (model < 0) {
        fprintf(stderr, "cannot load %s (%d)\n", modelPath, model);
        CleanupDevice();
        return 1;
    }
    /* Skinned models with motions draw from the skinned layout group. */
    motions = Obj3dGetMotionnum(model);
    built = motions > 0 ? MakeVertexIndexBuffer1ba() : MakeVertexIndexBuffer1();
    image = CreateImage3d(model);
    if (built != 1 || image < 0) {
        fprintf(stderr, "cannot build buffers (%d) or an instance (%d)\n", built, image);
        CleanupDevice();
        return 1;
    }

    GetObj3dSphere(model, sphere);
    ViewMatrixValueSet(sphere[0] + sphere[3], sphere[1] + sphere[3], sphere[2] - 2.5 * sphere[3], sphere[0], sphere[1],
                       sphere[2], 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.8, 800.0 / 600.0, sphere[3] * 0.05, sphere[3] * 20);
    SetPointLightPos(sphere[0], sphere[1] + 3 * sphere[3], sphere[2] - 3 * sphere[3]);
    SceneAmbientColorSet(60, 60, 70);

    last = motions > 0 ? Obj3dGetMotionkindframe(model, 0) : 0;
    for (frame = 0; frame <= last; ++frame) {
        ClearColorZ(30, 34, 44, 1.0);
        /* Opaque materials first (pass 1), then the others (pass 0); no shape key; motion 0 at this frame. */
        RenderImage(image, 1, -1, 0, motions > 0 ? 0 : -1, frame);
        RenderImage(image, 0, -1, 0, motions > 0 ? 0 : -1, frame);
        if (frame == last) BackBufferToFile(3, picture);
        SwapChainPresent();
    }
    printf("%s: %d frames of motion 0, wrote %s\n", modelPath, last + 1, picturePath);
    CleanupDevice();
    return 0;
}
