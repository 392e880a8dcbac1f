#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace view {
namespace {

constexpr const char* kUsage =
    "usage: korvel-view MODEL [options]\n"
    "  MODEL            a PT3 file, or an X file (name ending in .x)\n"
    "  --flat           load without normals (flat shading)\n"
    "  --scale S        load scale (1)\n"
    "  --motion M       motion number, -1 for the bind pose (0)\n"
    "  --shapekey K     shape key number, -1 for none (-1)\n"
    "  --frames A:B     frame range (0 to the motion's last key frame)\n"
    "  --step N         frames per picture (1)\n"
    "  --orbit DEG      camera turn over the range, degrees (90)\n"
    "  --distance D     camera distance (three model radii)\n"
    "  --pass P         one RenderImage pass (default: pass 1, then pass 0)\n"
    "  --tool           draw with ToolRenderImage's edges and vertex markers\n"
    "  --out DIR        folder of the PNG frames (view-frames)\n"
    "  --window         show an X11 window instead of writing frames; keys:\n"
    "                   Left/Right motion, Up/Down shape key, P pass,\n"
    "                   T overlays, Space pause, Escape quit\n"
    "  --count N        with --window: quit after N pictures\n";

bool toInt(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') return false;
    out = static_cast<int>(value);
    return true;
}

bool toDouble(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool toRange(const char* text, int& first, int& last) {
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr) return false;
    const std::string a(text, colon);
    return toInt(a.c_str(), first) && toInt(colon + 1, last) && first <= last;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& out) {
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::string_view arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto take = [&](auto parse) {
            ok = value != nullptr && parse(value);
            ++i;
        };
        if (arg == "--flat") out.normalmode = 0;
        else if (arg == "--scale") take([&](const char* v) { return toDouble(v, out.scale); });
        else if (arg == "--motion") take([&](const char* v) { return toInt(v, out.motion); });
        else if (arg == "--shapekey") take([&](const char* v) { return toInt(v, out.shapekey); });
        else if (arg == "--frames") take([&](const char* v) { return toRange(v, out.firstFrame, out.lastFrame); });
        else if (arg == "--step") take([&](const char* v) { return toInt(v, out.step) && out.step > 0; });
        else if (arg == "--orbit") take([&](const char* v) { return toDouble(v, out.orbitDegrees); });
        else if (arg == "--distance") take([&](const char* v) { return toDouble(v, out.distance); });
        else if (arg == "--pass") take([&](const char* v) { return toInt(v, out.pass); });
        else if (arg == "--count") take([&](const char* v) { return toInt(v, out.count) && out.count >= 0; });
        else if (arg == "--out") take([&](const char* v) { out.out = v; return !out.out.empty(); });
        else if (arg == "--tool") out.tool = true;
        else if (arg == "--window") out.window = true;
        else if (!arg.empty() && arg[0] != '-' && out.model.empty()) out.model = argv[i];
        else ok = false;
    }
    if (!ok || out.model.empty()) {
        std::fputs(kUsage, stderr);
        return false;
    }
    return true;
}

}  // namespace view
