#include "models.h"

#include <cmath>
#include <cstdio>

#include "Korvelv0.h"

namespace demo {
namespace {

// Where each sample goes on screen (world units, camera at z = -5), how
// large it is drawn (radius of its bounding sphere) and its turn about the
// vertical axis (the grid faces +z and is turned towards the camera).
struct Placement {
    const char* file;
    double x, y, z, radius, yaw;
};
constexpr Placement kPlacements[] = {
    {"sample_skinned.x", 2.3, 0.9, 1.0, 0.8, 0.0},
    {"sample_grid.pt3", 0.4, -1.5, 1.5, 0.8, 3.14159265358979},
};

// A PT3 file (written by korvel-xconv from sample_grid.x) loads directly.
// An X file is imported with animations; one without joints is imported
// again as plain geometry, since the skinned layout would weight its
// vertices 0.
int readSample(const std::wstring& path) {
    if (path.ends_with(L".pt3")) return ReadPT3file(path.c_str(), 1, 1.0);
    const int model = ReadXfile(path.c_str(), 1, 1.0, 2, 0);
    int info[12] = {};
    if (model < 0) return model;
    Obj3dInfoGet(model, info);
    if (info[5] > 0) return model;
    ClearObj3d(model, 1);
    return ReadXfile(path.c_str(), 1, 1.0, 0, 0);
}

}  // namespace

void prepareModels(const std::string& assetFolder, DemoModels& out) {
    for (const Placement& p : kPlacements) {
        const std::string path = assetFolder + "/" + p.file;
        const int model = readSample(std::wstring(path.begin(), path.end()));
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
        // The sphere's centre, turned by the yaw, lands on (x, y, z).
        const double cx = sphere[0] * scale, cy = sphere[1] * scale, cz = sphere[2] * scale;
        const double c = std::cos(p.yaw), s = std::sin(p.yaw);
        ImageSetScaleRotTransAlpha(m.image, scale, scale, scale, 0, p.yaw, 0, p.x - (cx * c + cz * s), p.y - cy,
                                   p.z - (-cx * s + cz * c), 1.0);
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
