// Texture numbers as sprites and model materials use them: 0 to 99 are
// TextureTable slots, 100 the shared 1024 x 1024 text texture, 101 the
// off-screen render target, -1 none.
#pragma once

#include <cstdint>

#include "platform/gpu/gpu.h"

namespace korvel::draw2d {

inline constexpr int kTextTextureNumber = 100;
inline constexpr uint32_t kTextTextureSize = 1024;

struct TextureBinding {
    gpu::ShaderResourceView* view = nullptr;  // null: nothing to sample
    uint32_t width = 0;
    uint32_t height = 0;
};

// Resolves a texture number. A free slot gives no view and the size it last
// held; -1 gives no view and size 0 x 0. Returns false for any other number
// outside -1 to 101, which draws nothing.
bool resolveTexture(int texno, TextureBinding& out);

// The text module registers the text texture's view when it creates the text
// surface, and null when it releases it.
void setTextTextureView(gpu::ShaderResourceView* view);

}  // namespace korvel::draw2d
