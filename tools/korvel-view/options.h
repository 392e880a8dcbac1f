// Command line of korvel-view.
#pragma once

#include <string>

namespace view {

struct Options {
    std::string model;          // PT3 or X file (".x" selects the X importer)
    int normalmode = 1;         // 1 normals (lit smoothly), 0 flat
    double scale = 1.0;         // load scale
    int motion = 0;             // -1 bind pose
    int shapekey = -1;          // -1 none
    int firstFrame = 0;
    int lastFrame = -1;         // -1: the motion's last key frame
    int step = 1;               // frames advanced per picture
    double orbitDegrees = 90;   // camera turn over the frame range
    double distance = 0;        // 0: three times the model's radius
    int pass = -1;              // -1: pass 1 then pass 0; else RenderImage's pass
    bool tool = false;          // edges and vertex markers (ToolRenderImage)
    std::string out = "view-frames";
    bool window = false;
    int count = -1;             // window: stop after this many pictures; -1 at Escape
};

// Parses argv into options; false (with usage on stderr) for a bad line.
bool parseOptions(int argc, char** argv, Options& out);

}  // namespace view
