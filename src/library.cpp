// InitDevice and CleanupDevice: the two exports that span every module. Each
// module contributes its own steps; this file only puts them in order. A
// module that adds a step puts its call at the numbered place below.
#include <cstdlib>
#include <ctime>
#include <exception>

#include "Korvelv0.h"
#include "device/camera.h"
#include "device/lifecycle.h"
#include "device/pipeline.h"
#include "device/render_target.h"
#include "draw2d/text_surface.h"
#include "draw2d/texture_table.h"
#include "input/keyboard.h"
#include "instance/image3d.h"
#include "model/model_buffers.h"
#include "model/store.h"
#include "particle/particles.h"

using namespace korvel;

namespace {

// Releases everything InitDevice and the modules built, in one pass; copes
// with a partly built state and with nothing built at all.
void releaseAll() {
    // 1. Unbind everything, so that no binding outlives its object.
    device::clearContextState();
    // 2. The texture table.
    draw2d::textureTable().releaseAll();
    // 3. GPU objects of every module, then the device itself (last: the
    //    backend's objects need their device while they are released).
    device::releasePipeline();
    // 3a. The shared model vertex and index buffers (model module).
    model::releaseModelBuffers();
    device::releaseOffscreenTarget();
    // 3b. The text texture and its view (text module).
    draw2d::textSurface().releaseTexture();
    device::releaseDevice();
    // 4. The text surface's bitmap (text module).
    draw2d::textSurface().releaseBitmap();
    // 5. The fonts (text module).
    draw2d::fontTable().releaseAll();
    // 6. The particle groups (particle module), and the X server connection
    //    the keyboard reads from (input module; the counters stay).
    particle::particleTable().releaseAll();
    input::releaseKeyboard();
    // 7. The models, releasing their textures (model module).
    model::releaseAllModels();
    // 8. The model instances (instance module).
    instance::clearAllImage3d();
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
