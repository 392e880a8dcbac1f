// The image and effect-file targets, and the table of all targets.
#include "fuzz/targets.h"

#include "Korvelv0.h"
#include "fuzz/scratch.h"

namespace korvel::fuzz {

namespace {

void noPreparation() {}

const Target kTargets[] = {
    {"pt3", true, initDeviceWithShippedEffect, runPt3},
    {"xfile", true, initDeviceWithShippedEffect, runXfile},
    {"image", false, initDeviceWithShippedEffect, runImage},
    {"effect", false, noPreparation, runEffect},
};

}  // namespace

// The decoded texture is drawn once, rotated and scaled, so that its size
// and format reach the upload and the sampler.
bool runImage(const uint8_t* data, size_t size) {
    const std::wstring path = writeScratchFile("texture", data, size);
    const int texture = readtexture(path.c_str());
    if (texture < 0) return false;
    ClearColorZ(1, 2, 3, 1.0);
    RenderSprite(texture, 20, 30, 1.5, 0.75, 0.0, 0.0, 1.0, 1.0, 3, 0.4, 8, 8, 0.5, 1.0);
    SwapChainPresent();
    CleanupDeviceSRV(texture);
    return true;
}

// A whole device per input: the effect file is read and compiled by
// InitDevice, and everything it built is released by CleanupDevice.
bool runEffect(const uint8_t* data, size_t size) {
    const int result = initDeviceWithEffect(data, size);
    CleanupDevice();
    return result >= 0;
}

const Target* findTarget(std::string_view name) {
    for (const Target& target : kTargets)
        if (name == target.name) return &target;
    return nullptr;
}

const char* targetNames() { return "pt3, xfile, image, effect"; }

}  // namespace korvel::fuzz
