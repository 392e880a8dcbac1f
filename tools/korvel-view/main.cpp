// korvel-view: shows a model (PT3, X, or any format korvel-import converts)
// with a motion, a frame range and a camera orbit.
//
//   korvel-view MODEL [options]            headless: PNG frames into view-frames/
//   korvel-view MODEL --window [options]   an X11 window; keys change motion,
//                                          shape key, pass and overlays
//
// Run it from a folder that holds Korvelv0.fx (the build folder does). See
// --help for the options.
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "Korvelv0.h"
#include "view_scene.h"
#include "window.h"

namespace view {
namespace {

constexpr const char* kUsage =
    "usage: korvel-view MODEL [options]\n"
    "  MODEL            a PT3 file, an X file (name ending in .x), or a file\n"
    "                   korvel-import converts (glTF, FBX, OBJ, ...: by name)\n"
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

// Parses argv into options; false (with usage on stderr) for a bad line.
bool parseOptions(int argc, char** argv, Options& out) {
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::string_view arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto take = [&](auto parse) {
            ok = value != nullptr && parse(value);
            ++i;
        };
        if (arg == "--flat")
            out.normalmode = 0;
        else if (arg == "--scale")
            take([&](const char* v) { return toDouble(v, out.scale); });
        else if (arg == "--motion")
            take([&](const char* v) { return toInt(v, out.motion); });
        else if (arg == "--shapekey")
            take([&](const char* v) { return toInt(v, out.shapekey); });
        else if (arg == "--frames")
            take([&](const char* v) { return toRange(v, out.firstFrame, out.lastFrame); });
        else if (arg == "--step")
            take([&](const char* v) { return toInt(v, out.step) && out.step > 0; });
        else if (arg == "--orbit")
            take([&](const char* v) { return toDouble(v, out.orbitDegrees); });
        else if (arg == "--distance")
            take([&](const char* v) { return toDouble(v, out.distance); });
        else if (arg == "--pass")
            take([&](const char* v) { return toInt(v, out.pass); });
        else if (arg == "--count")
            take([&](const char* v) { return toInt(v, out.count) && out.count >= 0; });
        else if (arg == "--out")
            take([&](const char* v) {
                out.out = v;
                return !out.out.empty();
            });
        else if (arg == "--tool")
            out.tool = true;
        else if (arg == "--window")
            out.window = true;
        else if (!arg.empty() && arg[0] != '-' && out.model.empty())
            out.model = argv[i];
        else
            ok = false;
    }
    if (!ok || out.model.empty()) {
        std::fputs(kUsage, stderr);
        return false;
    }
    return true;
}

// The keys korvel-view reacts to in its --window mode.
enum class Key { Nothing, Quit, MotionPrevious, MotionNext, ShapekeyPrevious, ShapekeyNext, Pass, Tool, Pause };

// The next pending key the viewer uses (Quit also for a closed window), or
// Nothing; other keys are skipped.
Key nextKey(host::Window& window) {
    for (int key = window.nextKey(); key != 0; key = window.nextKey()) {
        switch (key) {
            case host::kKeyEscape:
                return Key::Quit;
            case host::kKeyLeft:
                return Key::MotionPrevious;
            case host::kKeyRight:
                return Key::MotionNext;
            case host::kKeyDown:
                return Key::ShapekeyPrevious;
            case host::kKeyUp:
                return Key::ShapekeyNext;
            case 'P':
                return Key::Pass;
            case 'T':
                return Key::Tool;
            case host::kKeySpace:
                return Key::Pause;
            default:
                break;
        }
    }
    return Key::Nothing;
}

}  // namespace view

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Range {
    int first;
    int last;
};

Range frameRange(const view::Options& options, const view::Scene& scene, int motion) {
    const int last = options.lastFrame >= 0 ? options.lastFrame : view::lastKeyFrame(scene, motion);
    return {options.firstFrame, last < options.firstFrame ? options.firstFrame : last};
}

bool savePicture(const std::string& folder, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%04d.png", index);
    const std::string path = folder + name;
    BackBufferToFile(3, std::wstring(path.begin(), path.end()).c_str());
    return std::filesystem::exists(path);
}

int runHeadless(const view::Options& options, const view::Scene& scene, view::ViewState state) {
    std::error_code error;
    std::filesystem::create_directories(options.out, error);
    const Range range = frameRange(options, scene, state.motion);
    const int pictures = (range.last - range.first) / options.step + 1;
    int written = 0;
    for (int i = 0; i < pictures; ++i) {
        const double turn = pictures > 1 ? static_cast<double>(i) / (pictures - 1) : 0.0;
        view::drawPicture(scene, state, range.first + i * options.step, turn * options.orbitDegrees * kPi / 180.0,
                          options.distance);
        written += savePicture(options.out, i) ? 1 : 0;
    }
    std::printf("korvel-view: frames %d to %d of motion %d, %d pictures written to %s/\n", range.first, range.last,
                state.motion, written, options.out.c_str());
    return written == pictures ? 0 : 1;
}

void applyKey(view::Key key, const view::Scene& scene, view::ViewState& state, bool& paused) {
    auto cycle = [](int value, int delta, int lowest, int count) {
        const int span = count - lowest;
        return span <= 0 ? value : lowest + ((value - lowest + delta) % span + span) % span;
    };
    switch (key) {
        case view::Key::MotionPrevious:
            state.motion = cycle(state.motion, -1, -1, scene.motions);
            break;
        case view::Key::MotionNext:
            state.motion = cycle(state.motion, 1, -1, scene.motions);
            break;
        case view::Key::ShapekeyPrevious:
            state.shapekey = cycle(state.shapekey, -1, -1, scene.shapekeys);
            break;
        case view::Key::ShapekeyNext:
            state.shapekey = cycle(state.shapekey, 1, -1, scene.shapekeys);
            break;
        case view::Key::Pass:
            state.pass = state.pass == -1 ? 1 : state.pass == 1 ? 0 : state.pass == 0 ? 2 : -1;
            break;
        case view::Key::Tool:
            state.tool = !state.tool;
            break;
        case view::Key::Pause:
            paused = !paused;
            break;
        case view::Key::Nothing:
        case view::Key::Quit:
            break;
    }
    std::printf("motion %d, shape key %d, pass %d, overlays %s%s\n", state.motion, state.shapekey, state.pass,
                state.tool ? "on" : "off", paused ? ", paused" : "");
}

int runWindow(const view::Options& options, const view::Scene& scene, view::ViewState state, host::Window& window) {
    bool paused = false;
    int frame = options.firstFrame;
    double angle = 0;
    for (int picture = 0; options.count < 0 || picture < options.count; ++picture) {
        for (view::Key key = view::nextKey(window); key != view::Key::Nothing; key = view::nextKey(window)) {
            if (key == view::Key::Quit) return 0;
            applyKey(key, scene, state, paused);
        }
        const Range range = frameRange(options, scene, state.motion);
        if (frame < range.first || frame > range.last) frame = range.first;
        view::drawPicture(scene, state, frame, angle, options.distance);
        SwapChainPresent();
        if (!paused) {
            frame = frame + options.step > range.last ? range.first : frame + options.step;
            angle += options.orbitDegrees * kPi / 180.0 / 240.0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    view::Options options;
    if (!view::parseOptions(argc, argv, options)) return 2;

    std::unique_ptr<host::Window> window;
    if (options.window) {
        window = std::make_unique<host::Window>(800, 600, "korvel-view");
        if (!window->isOpen()) {
            std::fprintf(stderr, "korvel-view: cannot open an X11 window (is DISPLAY set?)\n");
            return 1;
        }
    }
    ScreenSizeSet(1);
    if (const int level = InitDevice(window ? window->handle() : nullptr); level < 0) {
        std::fprintf(stderr, "korvel-view: InitDevice failed with %d\n", level);
        CleanupDevice();
        return 1;
    }
    view::Scene scene;
    if (const std::string error = view::loadScene(options, scene); !error.empty()) {
        std::fprintf(stderr, "korvel-view: %s\n", error.c_str());
        CleanupDevice();
        return 1;
    }
    const view::ViewState state{options.motion < scene.motions ? options.motion : -1, options.shapekey, options.pass,
                                options.tool};
    const int status = window ? runWindow(options, scene, state, *window) : runHeadless(options, scene, state);
    CleanupDevice();
    return status;
}
