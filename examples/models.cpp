#include "models.h"

#include <cstdio>

#include "Korvelv0.h"

namespace demo {
namespace {

// Where each sample goes on screen (world units, camera at z = -5) and how
// large it is drawn (radius of its bounding sphere).
struct Placement {
    const char* file;
    double x, y, z, radius;
};
constexpr Placement kPlacements[] = {
    {"sample_skinned.x", 2.3, 0.9, 1.0, 0.8},
    {"sample_grid.x", 0.2, -1.6, 1.5, 0.7},
};

}  // namespace

void prepareModels(const std::string& assetFolder, DemoModels& out) {
    for (const Placement& p : kPlacements) {
        const std::string path = assetFolder + "/" + p.file;
        const int model = ReadXfile(std::wstring(path.begin(), path.end()).c_str(), 1, 1.0, 2, 0);
        if (model < 0) {
            std::fprintf(stderr, "korvel-demo: %s not loaded (%d)\n", path.c_str(), model);
            continue;
        }
        double sphere[4] = {0, 0, 0, 1};
        GetObj3dSphere(model, sphere);
        const double scale = sphere[3] > 0 ? p.radius / sphere[3] : 1.0;
        DemoModel m;
        m.image = CreateImage3d(model);
        if (m.image < 0) continue;
        ImageSetScaleRotTransAlpha(m.image, scale, scale, scale, 0, 0, 0, p.x - sphere[0] * scale,
                                   p.y - sphere[1] * scale, p.z - sphere[2] * scale, 1.0);
        m.motions = Obj3dGetMotionnum(model);
        m.lastFrame = m.motions > 0 ? Obj3dGetMotionkindframe(model, 0) : 0;
        out.models.push_back(m);
    }
    MakeVertexIndexBuffer0();
    MakeVertexIndexBuffer1();
    MakeVertexIndexBuffer0ba();
    MakeVertexIndexBuffer1ba();
    MakeParticleHairIndexBuffer();
    SceneAmbientColorSet(50, 50, 60);
    SetPointLightPos(-3, 4, -6);
}

void drawModels(const DemoModels& models, int frame) {
    for (const DemoModel& m : models.models) {
        const int motion = m.motions > 0 ? 0 : -1;
        const int keyFrame = m.lastFrame > 0 ? frame % (m.lastFrame + 1) : 0;
        RenderImage(m.image, 1, -1, 0, motion, keyFrame);
        RenderImage(m.image, 0, -1, 0, motion, keyFrame);
    }
}

}  // namespace demo
