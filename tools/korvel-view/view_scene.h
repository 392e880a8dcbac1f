// The viewed model: the viewer's options, the model loaded with its buffers
// built, one instance, and the camera that orbits it.
#pragma once

#include <string>

namespace view {

// Command line of korvel-view.
struct Options {
    std::string model;   // PT3 or X file (".x" selects the X importer)
    int normalmode = 1;  // 1 normals (lit smoothly), 0 flat
    double scale = 1.0;  // load scale
    int motion = 0;      // -1 bind pose
    int shapekey = -1;   // -1 none
    int firstFrame = 0;
    int lastFrame = -1;        // -1: the motion's last key frame
    int step = 1;              // frames advanced per picture
    double orbitDegrees = 90;  // camera turn over the frame range
    double distance = 0;       // 0: three times the model's radius
    int pass = -1;             // -1: pass 1 then pass 0; else RenderImage's pass
    bool tool = false;         // edges and vertex markers (ToolRenderImage)
    std::string out = "view-frames";
    bool window = false;
    int count = -1;  // window: stop after this many pictures; -1 at Escape
};

struct Scene {
    int model = -1;
    int image = -1;
    double center[3] = {0, 0, 0};
    double radius = 1;
    int motions = 0;
    int shapekeys = 0;
};

// What a picture shows; the window's keys change it.
struct ViewState {
    int motion = 0;
    int shapekey = -1;
    int pass = -1;  // -1: pass 1 then pass 0
    bool tool = false;
};

// Loads the model (X importer for ".x" names, else the PT3 reader), builds
// every layout group's buffers and the hair buffer, creates the instance and
// sets the lights. Needs the device. Returns an error text, empty on success.
std::string loadScene(const Options& options, Scene& out);

// The motion's last key frame, 0 for the bind pose or a model without motions.
int lastKeyFrame(const Scene& scene, int motion);

// Clears and draws one picture at `frame`, the camera `angle` radians round
// the model's vertical axis at `distance` (0: three radii).
void drawPicture(const Scene& scene, const ViewState& state, int frame, double angle, double distance);

}  // namespace view
