// InitDevice and CleanupDevice: the two exports that span every module, and
// the library's state, declared here in one place by lifetime. Each module
// contributes its own InitDevice steps; this file puts them in order (a
// module that adds a step puts its call at the numbered place below).
// CleanupDevice is the destruction of what a device owns.
#include <cstdlib>
#include <ctime>
#include <exception>
#include <optional>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/lifecycle.h"
#include "device/pipeline.h"
#include "device/render_target.h"
#include "draw2d/sprite_batch.h"
#include "draw2d/text_surface.h"
#include "draw2d/texture_table.h"
#include "input/keyboard.h"
#include "instance/image3d.h"
#include "instance/tool_draw.h"
#include "model/model_buffers.h"
#include "model/store.h"
#include "particle/particles.h"
#include "platform/module_state.h"

using namespace korvel;

namespace {

template <class... State>
void install(State&... states) {
    (installModuleState(&states), ...);
}

template <class... State>
void withdraw(State&...) {
    (installModuleState<State>(nullptr), ...);
}

// What outlives CleanupDevice: the screen size, camera and lighting, the
// render-target settings, the size each texture slot last held, the keyboard
// counters, the particle-hair rotation and the tool's selection. Made when
// the library is loaded and kept until it is unloaded.
struct LastingState {
    device::ScreenSize screen;
    device::CameraState camera;
    device::SceneLighting lighting;
    device::RenderTargetSettings renderTarget;
    draw2d::TextureSizes textureSizes;
    input::Keyboard keyboard;
    instance::HairRotation hairRotation;
    instance::ToolSelection toolSelection;

    LastingState() {
        install(screen, camera, lighting, renderTarget, textureSizes, keyboard, hairRotation, toolSelection);
    }
    ~LastingState() {
        withdraw(screen, camera, lighting, renderTarget, textureSizes, keyboard, hairRotation, toolSelection);
    }
    LastingState(const LastingState&) = delete;
    LastingState& operator=(const LastingState&) = delete;
};

// Everything a device owns, declared in the order InitDevice makes it, so
// that destruction releases it in reverse: each object while its device
// still exists, the device last. CleanupDevice destroys it and makes an
// empty one, which is also what calls without a device find.
struct DeviceOwned {
    device::DeviceState device;
    device::Pipeline pipeline;
    draw2d::TextSurface textSurface;
    input::KeyboardConnection keyboard;
    device::OffscreenTargets offscreenTargets;
    draw2d::TextureTable textures;
    draw2d::SpriteBatch spriteBatch;
    draw2d::FontTable fonts;
    particle::ParticleTable particles;
    model::ModelBuffers modelBuffers;
    model::ModelTable models;
    instance::Image3dTable instances;

    DeviceOwned() {
        install(device, pipeline, textSurface, keyboard, offscreenTargets, textures, spriteBatch, fonts, particles,
                modelBuffers, models, instances);
    }
    ~DeviceOwned() {
        // Sprites still collected are drawn, and no binding outlives its object.
        if (gpu::Context* context = device::currentContext()) context->clearState();
        withdraw(device, pipeline, textSurface, keyboard, offscreenTargets, textures, spriteBatch, fonts, particles,
                 modelBuffers, models, instances);
    }
    DeviceOwned(const DeviceOwned&) = delete;
    DeviceOwned& operator=(const DeviceOwned&) = delete;
};

LastingState lasting;
std::optional<DeviceOwned> owned{std::in_place};

// Releases everything a device owns, in one pass; copes with a partly built
// state and with nothing built at all.
void releaseAll() {
    owned.reset();
    owned.emplace();
}

int initDevice(void* window) {
    // A second InitDevice without CleanupDevice would mix objects of two
    // devices; start from a clean state instead.
    if (device::deviceExists()) releaseAll();

    // 1-5. Device and swap chain, back-buffer view, depth buffer, viewport.
    if (const int code = device::createDeviceAndScreenTargets(window); code != 0) return code;
    // 6. Shaders and input layouts from the effect file.
    if (const int code = device::createShaders(); code != 0) return code;
    // 7. Constant buffers, sampler, depth state, blend states.
    if (const int code = device::createStates(); code != 0) return code;
    // 8. The text surface (text module): text texture -36, its view -37.
    if (const int code = draw2d::textSurface().create(*device::currentDevice()); code != 0) return code;
    // 9. The screen's targets become the output.
    device::bindScreenTargets();
    // 10. The random seed of the particle groups (particle module).
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // 11. The keyboard counters (input module); a windowed device also
    //     reads the window's keys from the X server.
    input::resetKeyboard(window);
    // 12. The wireframe rasterizer state.
    if (const int code = device::createWireframeState(); code != 0) return code;
    // 13. The particle-hair rotation matrix (instance module).
    instance::resetWorldParticlehairRotMatrix();
    // 14. The default projection, which also builds the first view frustum.
    device::installDefaultProjection();
    // 15.
    return static_cast<int>(device::featureLevel());
}

}  // namespace

extern "C" {

KORVEL_API int InitDevice(void* window) {
    try {
        return initDevice(window);
    } catch (const std::exception&) {
        return -1;
    }
}

KORVEL_API void CleanupDevice(void) { releaseAll(); }

}  // extern "C"
