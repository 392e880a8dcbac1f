// The windowed sprite frames of bench_present drawn by a peer: SDL2's
// batching 2D renderer (OpenGL through GLX, the same llvmpipe), on an
// 800 x 600 window of a private Xvfb server of the same size. Same texture,
// positions, rotations and pivot as bench/support/sprite_scene.h; SDL2 samples
// bilinear and has no depth buffer, where the library samples trilinear and
// tests depth. Run this and bench_present one after the other on an idle
// machine to compare.
//   BM_PeerSdlSpriteFrame/N  clear, N sprites, present; N = 0 is the empty frame
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "support/xvfb.h"

namespace {

class SdlWindow {
public:
    explicit SdlWindow(benchmark::State& state) : server_("800x600x24") {
        if (server_.display().empty()) {
            state.SkipWithError("Xvfb did not start");
            return;
        }
        setenv("DISPLAY", server_.display().c_str(), 1);
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            state.SkipWithError(SDL_GetError());
            return;
        }
        window_ = SDL_CreateWindow("peer", 0, 0, 800, 600, 0);
        renderer_ = window_ ? SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED) : nullptr;
        if (!renderer_) {
            state.SkipWithError(SDL_GetError());
            return;
        }
        // The scene's 32 x 16 texture: every byte 200, so alpha is 200 too.
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, 32, 16);
        const std::vector<unsigned char> pixels(32 * 16 * 4, 200);
        if (!texture_ || SDL_UpdateTexture(texture_, nullptr, pixels.data(), 32 * 4) != 0) {
            state.SkipWithError(SDL_GetError());
            return;
        }
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_BLEND);
    }
    ~SdlWindow() {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool ready() const { return texture_ != nullptr; }

    void drawFrame(int count) {
        SDL_SetRenderDrawColor(renderer_, 10, 10, 10, 255);
        SDL_RenderClear(renderer_);
        const SDL_Point pivot{16, 8};
        for (int i = 0; i < count; ++i) {
            const SDL_Rect target{(i * 37) % 760, (i * 53) % 570, 32, 16};
            const double degrees = i * 0.01 * 57.29577951308232;
            SDL_RenderCopyEx(renderer_, texture_, nullptr, &target, degrees, &pivot, SDL_FLIP_NONE);
        }
        SDL_RenderPresent(renderer_);
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
    }

private:
    const korvel::testing::XvfbServer server_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
};

void BM_PeerSdlSpriteFrame(benchmark::State& state) {
    SdlWindow window(state);
    if (!window.ready()) return;
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) window.drawFrame(count);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_PeerSdlSpriteFrame)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace
