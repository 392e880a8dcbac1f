#include "models.h"

#include <cstdio>

#include "Korvelv0.h"

namespace demo {

SceneModel loadModel(const std::string& path, double height, int motion) {
    SceneModel m;
    const int model = ReadPT3file(std::wstring(path.begin(), path.end()).c_str(), 1, 1.0);
    if (model < 0) {
        std::fprintf(stderr, "korvel-demo: %s not loaded (%d)\n", path.c_str(), model);
        return m;
    }
    const int image = CreateImage3d(model);
    if (image < 0) {
        std::fprintf(stderr, "korvel-demo: no instance for %s (%d)\n", path.c_str(), image);
        ClearObj3d(model, 1);
        return m;
    }
    m.model = model;
    m.image = image;
    if (motion >= 0 && motion < Obj3dGetMotionnum(model)) {
        m.motion = motion;
        m.lastFrame = Obj3dGetMotionkindframe(model, motion);
    }
    // The box of the first pose gives the model's height and its lowest
    // point.
    double center[3] = {}, extents[3] = {};
    Image3dCalcAaboxOboxVtxCpu(image, m.motion, 0, 1);
    GetImage3dAabox(image, center, extents);
    if (height > 0 && extents[1] > 0) m.scale = height / (2.0 * extents[1]);
    m.lift = -(center[1] - extents[1]) * m.scale;
    return m;
}

void tintModel(const SceneModel& m, int r, int g, int b) {
    if (!m.loaded()) return;
    int info[12] = {};
    Obj3dInfoGet(m.model, info);
    constexpr int kAlphaBlend = 3;  // what the PT3 reader gives every material
    for (int k = 0; k < info[3]; ++k)
        Obj3dSetMaterialParam(m.model, k, kAlphaBlend, r, g, b, 1.0, 12.0, 60, 60, 60, 0, 0, 0,
                              Obj3dGetMaterialParamTexsrvno(m.model, k));
}

void placeModel(const SceneModel& m, double x, double z, double yaw) {
    const double s = m.scale;
    ImageSetScaleRotTransAlpha(m.image, s, s, s, 0.0, yaw, 0.0, x, m.lift, z, 1.0);
}

void drawModel(const SceneModel& m, int motion, int frame) {
    if (!m.loaded()) return;
    RenderImage(m.image, 1, -1, 0, motion, frame);
    RenderImage(m.image, 0, -1, 0, motion, frame);
}

void drawPlaying(const SceneModel& m, int tick) { drawModel(m, m.motion, m.animated() ? tick % m.lastFrame : 0); }

}  // namespace demo
