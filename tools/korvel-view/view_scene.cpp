#include "view_scene.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "Korvelv0.h"

namespace view {
namespace {

std::wstring wide(const std::string& path) {
    std::wstring out(path.size() + 1, L'\0');
    const size_t n = std::mbstowcs(out.data(), path.c_str(), out.size());
    if (n == static_cast<size_t>(-1)) return std::wstring(path.begin(), path.end());
    out.resize(n);
    return out;
}

bool endsWithX(const std::string& path) {
    return path.size() >= 2 && path[path.size() - 2] == '.' && (path.back() == 'x' || path.back() == 'X');
}

// An X file imported with animations (skin mode 2) is drawn skinned; one
// without joints would then have every vertex weighted 0, so it is imported
// again as plain geometry.
int readXfile(const std::wstring& path, const Options& options) {
    const int model = ReadXfile(path.c_str(), options.normalmode, options.scale, 2, 0);
    int info[12] = {};
    if (model < 0) return model;
    Obj3dInfoGet(model, info);
    if (info[5] > 0) return model;
    ClearObj3d(model, 1);
    return ReadXfile(path.c_str(), options.normalmode, options.scale, 0, 0);
}

}  // namespace

std::string loadScene(const Options& options, Scene& out) {
    const std::wstring path = wide(options.model);
    out.model = endsWithX(options.model) ? readXfile(path, options)
                                         : ReadPT3file(path.c_str(), options.normalmode, options.scale);
    if (out.model < 0) return "cannot load " + options.model + " (code " + std::to_string(out.model) + ")";
    // Each builder answers -1 for a group without models; only failures count.
    for (int (*build)() :
         {MakeVertexIndexBuffer0, MakeVertexIndexBuffer1, MakeVertexIndexBuffer0ba, MakeVertexIndexBuffer1ba})
        if (const int code = build(); code < -1)
            return "cannot build the model buffers (code " + std::to_string(code) + ")";
    if (MakeParticleHairIndexBuffer() == -2) return "cannot build the hair buffer";
    out.image = CreateImage3d(out.model);
    if (out.image < 0) return "cannot create the instance";

    double sphere[4] = {0, 0, 0, 1};
    GetObj3dSphere(out.model, sphere);
    for (int i = 0; i < 3; ++i) out.center[i] = sphere[i];
    out.radius = sphere[3] > 0 ? sphere[3] : 1.0;
    out.motions = Obj3dGetMotionnum(out.model);
    out.shapekeys = Obj3dGetShapekeynum(out.model);
    int counts[2] = {0, 0};
    ToolSelectPreparation(out.model, counts);
    SceneAmbientColorSet(60, 60, 70);
    SetktexkdifkemikspcMparam(1, 1, 1, 0.5, 0, 0);
    return {};
}

int lastKeyFrame(const Scene& scene, int motion) {
    return motion >= 0 && motion < scene.motions ? Obj3dGetMotionkindframe(scene.model, motion) : 0;
}

void drawPicture(const Scene& scene, const ViewState& state, int frame, double angle, double distance) {
    const double d = distance > 0 ? distance : 3.0 * scene.radius;
    const double* c = scene.center;
    const double eye[3] = {c[0] - d * std::sin(angle), c[1] + 0.3 * d, c[2] - d * std::cos(angle)};
    ViewMatrixValueSet(eye[0], eye[1], eye[2], c[0], c[1], c[2], 0, 1, 0);
    ProjectionMatrixValueSet(0, 0.785, 4.0 / 3.0, d * 0.05, d + 4.0 * scene.radius);
    SetPointLightPos(eye[0] + d, eye[1] + d, eye[2]);
    ClearColorZ(40, 44, 52, 1.0);
    const int skframe = frame;
    if (state.tool) {
        ToolRenderImage(scene.image, state.shapekey, skframe, state.motion, frame, 1, 1);
    } else if (state.pass < 0) {
        RenderImage(scene.image, 1, state.shapekey, skframe, state.motion, frame);
        RenderImage(scene.image, 0, state.shapekey, skframe, state.motion, frame);
    } else {
        RenderImage(scene.image, state.pass, state.shapekey, skframe, state.motion, frame);
    }
}

}  // namespace view
