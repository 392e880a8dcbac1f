// Textures by number, as sprites, particles and model materials refer to
// them: 0 to 99 are the slots of the TextureTable, filled from image files,
// 100 the shared 1024 x 1024 text texture, 101 the off-screen render target,
// -1 none.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gpu/gpu.h"

namespace korvel::draw2d {

class TextureTable {
public:
    static constexpr int kSlotCount = 100;

    // Loads an image file into the lowest free slot and returns its number;
    // -1 when every slot is taken, there is no device, or the file cannot be
    // loaded (the slot then stays free).
    int read(const std::string& utf8Path);

    // Frees a slot; numbers outside 0 to 99 and free slots are ignored.
    void release(int slot);

    // The slot's view (null when free or out of range) and the pixel size of
    // the texture it holds or last held (0 x 0 if never loaded), also across
    // CleanupDevice (see TextureSizes).
    gpu::ShaderResourceView* view(int slot) const;
    uint32_t width(int slot) const;
    uint32_t height(int slot) const;

private:
    struct Slot {
        std::unique_ptr<gpu::Texture2D> texture;
        std::unique_ptr<gpu::ShaderResourceView> view;  // released before its texture
    };
    static bool inRange(int slot) { return slot >= 0 && slot < kSlotCount; }

    std::array<Slot, kSlotCount> slots_;
};

// The pixel size each slot last held: a free slot keeps drawing at that size,
// so the sizes outlive the textures and CleanupDevice.
struct TextureSizes {
    std::array<uint32_t, TextureTable::kSlotCount> width{};
    std::array<uint32_t, TextureTable::kSlotCount> height{};
};

// The library-wide table (device-owned).
TextureTable& textureTable();

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

}  // namespace korvel::draw2d
