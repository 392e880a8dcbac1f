// korvel-demo: draws a short sprite scene with the library.
//
//   korvel-demo                 headless: renders frames into demo-frames/
//   korvel-demo --window        opens a window (X11, or Win32 on Windows); runs until Escape
//   korvel-demo --frames N      stop after N frames (both modes)
//
// Run it from a folder that holds Korvelv0.fx (the build folder does).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "Korvelv0.h"
#include "scene.h"
#include "textures.h"

#ifdef _WIN32
#include "win32_window.h"
#else
#include "x11_window.h"

#include <X11/keysym.h>
#endif

namespace {

#ifdef _WIN32
using DemoWindow = host::Win32Window;
constexpr unsigned long kEscapeKey = 0x1B;  // VK_ESCAPE
#else
using DemoWindow = host::X11Window;
constexpr unsigned long kEscapeKey = XK_Escape;
#endif

constexpr const char* kFrameFolder = "demo-frames";
constexpr const char* kTextureFolder = "demo-textures";
constexpr int kHeadlessFrames = 12;

struct Options {
    bool window = false;
    int frames = -1;  // -1: the mode's default
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) {
            options.window = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            options.frames = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: korvel-demo [--window] [--frames N]\n");
            return false;
        }
    }
    return true;
}

// Handles the window's pending key presses; true once Escape was pressed or
// the window was closed.
bool escapePressed(DemoWindow& window) {
    for (unsigned long key = window.nextKey(); key != 0; key = window.nextKey()) {
        if (key == kEscapeKey) return true;
    }
    return false;
}

void saveFrame(int frame) {
    char name[64];
    std::snprintf(name, sizeof name, "%s/frame_%03d.png", kFrameFolder, frame);
    const std::string path = name;
    BackBufferToFile(3, std::wstring(path.begin(), path.end()).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) return 2;

    std::error_code error;
    std::filesystem::create_directories(kFrameFolder, error);
    std::filesystem::create_directories(kTextureFolder, error);
    const std::vector<std::string> textures = demo::writeDemoTextures(kTextureFolder);
    if (textures.empty()) {
        std::fprintf(stderr, "korvel-demo: cannot write the textures into %s/\n", kTextureFolder);
        return 1;
    }

    std::unique_ptr<DemoWindow> window;
    if (options.window) {
        window = std::make_unique<DemoWindow>(800, 600, "Korvel demo");
        if (!window->isOpen()) {
            std::fprintf(stderr, "korvel-demo: cannot open a window (on X11: is DISPLAY set?)\n");
            return 1;
        }
    }

    ScreenSizeSet(1);
    const int level = InitDevice(window ? window->handle() : nullptr);
    if (level < 0) {
        std::fprintf(stderr, "korvel-demo: InitDevice failed with %d\n", level);
        CleanupDevice();
        return 1;
    }

    demo::SceneTextures scene;
    if (!demo::prepareScene(textures, scene)) {
        CleanupDevice();
        return 1;
    }

    const int limit = options.frames >= 0 ? options.frames : (window ? -1 : kHeadlessFrames);
    int frame = 0;
    int saved = 0;
    for (; limit < 0 || frame < limit; ++frame) {
        if (window && escapePressed(*window)) break;
        demo::drawScene(scene, frame);
        // Headless runs keep every frame; windowed runs only the last one.
        if (!window) {
            saveFrame(frame);
            ++saved;
        }
        SwapChainPresent();
        if (window) std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    if (window && frame > 0) {
        demo::drawScene(scene, frame);
        saveFrame(frame);
        ++saved;
    }

    CleanupDevice();
    std::printf("korvel-demo: %d frames drawn, %d written to %s/\n", frame, saved, kFrameFolder);
    return 0;
}
