/*
 * Picking with the mouse position with Korvel, in C99.
 *
 *   picking [MODEL.pt3 | MODEL.x] [PICTURE.png] [X Y]
 *
 * Loads a model, looks at it, and picks at screen position (X, Y) as a host
 * would at the mouse position: the nearest vertex within a few pixels, and
 * the face under the position along the ray from the eye. The picked face
 * is drawn highlighted with the tool overlays and the frame saved as a PNG
 * file. Without X Y the position is the screen point of the model's centre.
 * Korvelv0.fx must be in the working directory.
 */
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "Korvelv0.h"

int main(int argc, char** argv) {
    const char* modelPath = argc > 1 ? argv[1] : "model.pt3";
    const char* picturePath = argc > 2 ? argv[2] : "picking.png";
    wchar_t path[512], picture[512];
    size_t length = strlen(modelPath);
    int model, image, vertex, face, counts[2], mouse[2];
    double sphere[4], depth, nearPoint[3], farPoint[3];

    setlocale(LC_ALL, "");
    if (mbstowcs(path, modelPath, 512) >= 512 || mbstowcs(picture, picturePath, 512) >= 512) return 1;
    if (InitDevice(NULL) < 0) {
        fprintf(stderr, "no device (is Korvelv0.fx in the working directory?)\n");
        CleanupDevice();
        return 1;
    }
    /* Geometry only: picks work on the model's stored positions. */
    if (length > 2 && strcmp(modelPath + length - 2, ".x") == 0)
        model = ReadXfile(path, 1, 1.0, 0, 0);
    else
        model = ReadPT3file(path, 1, 1.0);
    if (model < 0) {
        fprintf(stderr, "cannot load %s (%d)\n", modelPath, model);
        CleanupDevice();
        return 1;
    }
    if (MakeVertexIndexBuffer1() != 1 || (image = CreateImage3d(model)) < 0) {
        fprintf(stderr, "%s: cannot build its buffers or an instance\n", modelPath);
        CleanupDevice();
        return 1;
    }
    GetObj3dSphere(model, sphere);
    /* The camera in front of the model's +z side, looking back along -z. */
    ViewMatrixValueSet(sphere[0], sphere[1] + sphere[3], sphere[2] + 2.5 * sphere[3], sphere[0], sphere[1], sphere[2],
                       0, 1, 0);
    ProjectionMatrixValueSet(0, 0.8, 800.0 / 600.0, sphere[3] * 0.05, sphere[3] * 20);
    SetPointLightPos(sphere[0], sphere[1] + 2 * sphere[3], sphere[2] + 3 * sphere[3]);

    if (argc > 4) {
        mouse[0] = atoi(argv[3]);
        mouse[1] = atoi(argv[4]);
    } else {
        PosFromWorldToScreen(sphere, mouse, &depth);
    }
    /* The vertex nearest the position on screen, and the first face the ray through it meets. */
    vertex = ScreenxyObj3dPointCheck(mouse[0], mouse[1], model, -1, 0);
    PosFromScreenToWorld(mouse, nearPoint, farPoint);
    face = LineNZObj3dTriangleCheck(nearPoint, farPoint, model);
    printf("at (%d, %d): vertex %d, face %d\n", mouse[0], mouse[1], vertex, face);

    /* Selection arrays for the model, the picked face and vertex selected, drawn with edges and markers. */
    ToolSelectPreparation(model, counts);
    if (face >= 0) ToolFaceSetSelect(face, 1);
    if (vertex >= 0) ToolPointSetSelect(vertex, 1);
    ClearColorZ(30, 34, 44, 1.0);
    ToolRenderImage(image, -1, 0, -1, 0, 1, 1);
    BackBufferToFile(3, picture);
    SwapChainPresent();
    CleanupDevice();
    return face >= 0 ? 0 : 1;
}
