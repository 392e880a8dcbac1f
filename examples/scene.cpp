#include "scene.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "Korvelv0.h"
#include "ground.h"
#include "textures.h"
#include "walker.h"

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979;

// The camera circles the fire slowly, above head height, looking slightly
// down at it.
constexpr double kOrbitRadius = 10.0;
constexpr double kOrbitHeight = 4.2;
constexpr double kOrbitStart = 0.0;    // radians
constexpr double kOrbitSpeed = 0.004;  // radians per frame

// The walker's circle round the fire, and its speed in each motion (radians
// per frame, so that its feet keep pace with the ground).
constexpr double kWalkRadius = 2.6;
constexpr double kWalkerSpeed[kWalkerMotions] = {0.019, 0.047, 0.0};

// Where the models stand: x, z and their turn about the vertical axis.
constexpr double kCrateAt[3] = {-2.4, -3.0, 0.5};
constexpr double kWusonAt[3] = {-2.6, 3.1, -kPi * 0.4};
constexpr double kDancerAt[3] = {3.6, -1.2, kPi * 0.2};
constexpr double kSpiderAt[3] = {3.1, 2.7, -kPi * 0.75};
constexpr int kWusonWalk = 1;  // the Wuson's walk cycle among its motions

// A mesh of the demo's own, written into folder and loaded from there (its
// textures are next to it).
SceneModel generated(const std::string& folder, const char* name, const Mesh& mesh, double height) {
    const std::string path = folder + "/" + name;
    if (!writeMeshFile(path, mesh)) {
        std::fprintf(stderr, "korvel-demo: cannot write %s\n", path.c_str());
        return {};
    }
    return loadModel(path, height);
}

void place(const SceneModel& m, const double at[3]) {
    if (m.loaded()) placeModel(m, at[0], at[1], at[2]);
}

void setCamera(int frame) {
    const double a = kOrbitStart + kOrbitSpeed * frame;
    ViewMatrixValueSet(kOrbitRadius * std::sin(a), kOrbitHeight, -kOrbitRadius * std::cos(a), kFireX, 0.6, kFireZ, 0, 1,
                       0);
}

// Moves the walker along its circle; it faces the way it goes, or away from
// the fire when it stands and waves.
void stepWalker(Scene& s, int motion) {
    s.walkerAngle += kWalkerSpeed[motion];
    const double a = s.walkerAngle;
    const double yaw = motion == kWave ? a : a + kPi / 2;
    placeModel(s.walker, kFireX + kWalkRadius * std::sin(a), kFireZ + kWalkRadius * std::cos(a), yaw);
}

}  // namespace

bool prepareScene(const std::string& workFolder, const std::string& modelFolder, Scene& s) {
    if (!writeDemoTextures(workFolder)) {
        std::fprintf(stderr, "korvel-demo: cannot write the textures into %s/\n", workFolder.c_str());
        return false;
    }
    s.ground = generated(workFolder, "ground.pt3", buildGround(), 0.0);
    s.walker = generated(workFolder, "walker.pt3", buildWalker(), 0.0);
    const Mesh crate = buildCrate();  // one material: its faces keep their order in the file
    s.crate.target = generated(workFolder, "crate.pt3", crate, 0.0);
    s.crate.corners = crate.corners;
    if (!s.ground.loaded() || !s.walker.loaded() || !s.crate.target.loaded()) return false;
    // Converted at build time by korvel-import from the test models.
    s.wuson = loadModel(modelFolder + "/Testwuson.pt3", 1.3, kWusonWalk);
    s.dancer = loadModel(modelFolder + "/BCN_Epileptic.pt3", 1.8, 0);
    s.spider = loadModel(modelFolder + "/spider.pt3", 0.9);
    tintModel(s.wuson, 205, 165, 120);
    tintModel(s.dancer, 190, 140, 110);
    place(s.crate.target, kCrateAt);
    place(s.wuson, kWusonAt);
    place(s.dancer, kDancerAt);
    place(s.spider, kSpiderAt);
    preparePicker(s.crate);

    // Every model has normals: rigid ones go in group 1, animated ones in
    // group 1ba.
    if (MakeVertexIndexBuffer1() != 1 || MakeVertexIndexBuffer1ba() != 1) {
        std::fprintf(stderr, "korvel-demo: the model buffers failed\n");
        return false;
    }
    ProjectionMatrixValueSet(0, 0.8, 800.0 / 600.0, 0.1, 60.0);
    SceneAmbientColorSet(95, 95, 120);
    SetPointLightPos(kFireX + 1.5, 5.0, kFireZ - 3.0);

    const std::string flamePath = workFolder + "/" + kFlameTexture;
    const int flame = readtexture(std::wstring(flamePath.begin(), flamePath.end()).c_str());
    if (flame < 0) {
        std::fprintf(stderr, "korvel-demo: cannot load %s\n", flamePath.c_str());
        return false;
    }
    return prepareOverlay(flame, kFireX, kFireZ, s.overlay);
}

void drawScene(Scene& s, int frame, int walkerMotion) {
    setCamera(frame);
    ClearColorZ(110, 150, 200, 1.0);
    stepWalker(s, walkerMotion);

    drawModel(s.ground, -1, 0);
    const int walkerLast = Obj3dGetMotionkindframe(s.walker.model, walkerMotion);
    drawModel(s.walker, walkerMotion, walkerLast > 0 ? frame % walkerLast : 0);
    drawPlaying(s.wuson, frame);
    drawPlaying(s.dancer, frame);
    drawPlaying(s.spider, frame);

    // The cursor hovers over the crate's top, as a mouse pointer would; the
    // face under it is picked, and its nearest corner marked.
    const double hover[3] = {kCrateAt[0], 0.9, kCrateAt[1]};
    int cursor[2] = {};
    double depth = 0.0;
    PosFromWorldToScreen(hover, cursor, &depth);
    pickAt(s.crate, cursor[0], cursor[1]);
    drawPicked(s.crate, cursor[0], cursor[1]);

    drawFire(s.overlay);

    wchar_t status[128];
    std::swprintf(status, 128, L"frame %d   %s   picked face %d, vertex %d", frame, walkerMotionName(walkerMotion),
                  s.crate.face, s.crate.vertex);
    drawCaption(s.overlay, status);
}

}  // namespace demo
