#include "models.h"

#include <cstdio>

#include "Korvelv0.h"

namespace demo {

SceneModel loadModel(const std::string& path, double height) {
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
    m.lastFrame = Obj3dGetMotionnum(model) > 0 ? Obj3dGetMotionkindframe(model, 0) : 0;
    // The unposed box gives the model's height and its lowest point.
    double center[3] = {}, extents[3] = {};
    Image3dCalcAaboxOboxVtxCpu(image, -1, 0, 1);
    GetImage3dAabox(image, center, extents);
    if (height > 0 && extents[1] > 0) m.scale = height / (2.0 * extents[1]);
    m.lift = -(center[1] - extents[1]) * m.scale;
    return m;
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

int loopFrame(const SceneModel& m, int tick) { return m.animated() ? tick % m.lastFrame : 0; }

}  // namespace demo
