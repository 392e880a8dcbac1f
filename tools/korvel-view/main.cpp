// korvel-view: shows a PT3 or X model with a motion, a frame range and a
// camera orbit.
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
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "Korvelv0.h"
#include "options.h"
#include "view_scene.h"
#include "view_window.h"

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
        case view::Key::MotionPrevious: state.motion = cycle(state.motion, -1, -1, scene.motions); break;
        case view::Key::MotionNext: state.motion = cycle(state.motion, 1, -1, scene.motions); break;
        case view::Key::ShapekeyPrevious: state.shapekey = cycle(state.shapekey, -1, -1, scene.shapekeys); break;
        case view::Key::ShapekeyNext: state.shapekey = cycle(state.shapekey, 1, -1, scene.shapekeys); break;
        case view::Key::Pass: state.pass = state.pass == -1 ? 1 : state.pass == 1 ? 0 : state.pass == 0 ? 2 : -1; break;
        case view::Key::Tool: state.tool = !state.tool; break;
        case view::Key::Pause: paused = !paused; break;
        case view::Key::Nothing:
        case view::Key::Quit: break;
    }
    std::printf("motion %d, shape key %d, pass %d, overlays %s%s\n", state.motion, state.shapekey, state.pass,
                state.tool ? "on" : "off", paused ? ", paused" : "");
}

int runWindow(const view::Options& options, const view::Scene& scene, view::ViewState state, host::X11Window& window) {
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

    std::unique_ptr<host::X11Window> window;
    if (options.window) {
        window = std::make_unique<host::X11Window>(800, 600, "korvel-view");
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
