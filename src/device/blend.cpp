#include "device/blend.h"

#include <cstdint>

#include "device/current.h"
#include "device/pipeline.h"

namespace korvel::device {
namespace {
constexpr uint32_t kSampleMask = 0xFFFFFFFFu;
}

bool bindBlendState(int mode, double factor, int highestMode) {
    gpu::Context* context = currentContext();
    if (!context || mode < 0 || mode > highestMode || mode > 5) return false;
    const Pipeline& objects = pipeline();
    const float f = static_cast<float>(factor);
    const float factors[4] = {f, f, f, f};
    static constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    switch (mode) {
        case 0: context->omSetBlendState(nullptr, kZero, kSampleMask); break;
        case 1: context->omSetBlendState(objects.blendAdd.get(), kZero, kSampleMask); break;
        case 2: context->omSetBlendState(objects.blendSubtract.get(), kZero, kSampleMask); break;
        case 3: context->omSetBlendState(objects.blendAlpha.get(), kZero, kSampleMask); break;
        default: context->omSetBlendState(objects.blendFactor.get(), factors, kSampleMask); break;
    }
    return true;
}

void bindSpriteBlendMode(int mode, double factor) {
    if (!bindBlendState(mode, factor, 5)) return;
    const Pipeline& objects = pipeline();
    currentContext()->psSetShader(objects.ps(mode == 5 ? PsDdsAlpha : PsDefault));
}

}  // namespace korvel::device
