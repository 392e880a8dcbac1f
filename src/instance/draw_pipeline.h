// The shaders of each layout group and the bindings that model drawing and
// tool drawing share: the triangle pipeline, the hair-and-overlay vertex
// shader, material textures and blend states, and matrix uploads to b2.
#pragma once

#include "device/pipeline.h"
#include "math/types.h"
#include "model/model_buffers.h"
#include "platform/gpu/gpu.h"

namespace korvel::instance {

struct GroupShaders {
    device::VertexShaderId triangleShader;  // "VSshade0", "VSshade1", ...
    device::InputLayoutId triangleLayout;
    device::VertexShaderId overlayShader;   // the "ph" variant: hair and tool overlays
    device::InputLayoutId overlayLayout;
    bool flatShading;                       // groups without normals add "GSshade0"
};

GroupShaders groupShaders(model::LayoutGroup group);

// Whether the pipeline objects model drawing binds exist (a device is up).
bool pipelineReady(const device::Pipeline& objects);

// Triangle list, pixel sampler 0, default depth and rasterizer states, the
// group's index buffer (32-bit, offset 0), layout and shaders, "PSshade0".
void bindTrianglePipeline(gpu::Context& context, const device::Pipeline& objects, model::LayoutGroup group,
                          gpu::Buffer* indexBuffer);

// The group's "ph" vertex shader with its input layout.
void bindOverlayVertexShader(gpu::Context& context, const device::Pipeline& objects, model::LayoutGroup group);

// Uploads the transpose of m to b2 and binds b2 to the vertex stage.
void uploadWorld(gpu::Context& context, const device::Pipeline& objects, const math::Matrix& m);

// A material's texture on resource slot 0 of `stage`: the texture-number
// resolution of sprites; -1 (and any number outside -1 to 101) binds nothing.
void bindMaterialTexture(gpu::Context& context, gpu::ShaderStage stage, int texsrvno);

// A material's blend mode: 0 none, 1 add, 2 subtract, 3 alpha, 4 and 5 the
// factor blend with `alpha` in all four components; others bind nothing.
void bindMaterialBlend(int blendmode, float alpha);

}  // namespace korvel::instance
