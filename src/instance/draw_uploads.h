// What a model draw puts on the GPU: the constant-buffer records b7
// (material and lighting) and b11 (one particle-hair face) byte for byte as
// the effect file declares them, the shaders and states of each layout group
// that model drawing and tool drawing bind, material textures and blend
// states, the world matrix (b2), and the pose: shape-key flag and offsets
// (b9, b10) and the joint palette (b8), each by a write-discard map. The
// records are pure functions of their inputs; nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/camera.h"
#include "device/pipeline.h"
#include "instance/pose.h"
#include "math/types.h"
#include "model/model_buffers.h"
#include "model/records.h"
#include "model/store.h"
#include "platform/gpu/gpu.h"

namespace korvel::instance {

struct MaterialConstants {
    float diffuse[3];              //  0
    float alpha;                   // 12: effective alpha
    float power;                   // 16
    float specular[3];             // 20
    int32_t texsrvno;              // 32 (vertex markers: 0 selected, -1 not)
    float emissive[3];             // 36
    float ktex, kdif, kemi, kspc;  // 48
    float lightPos[3];             // 64
    int32_t zero;                  // 76
    float eye[3];                  // 80
    float mparam0;                 // 92 (vertex markers: screen width)
    float ambient[3];              // 96
    float mparam1;                 // 108 (vertex markers: screen height)
};
static_assert(sizeof(MaterialConstants) == 112);
static_assert(offsetof(MaterialConstants, alpha) == 12 && offsetof(MaterialConstants, specular) == 20);
static_assert(offsetof(MaterialConstants, texsrvno) == 32 && offsetof(MaterialConstants, emissive) == 36);
static_assert(offsetof(MaterialConstants, ktex) == 48 && offsetof(MaterialConstants, lightPos) == 64);
static_assert(offsetof(MaterialConstants, eye) == 80 && offsetof(MaterialConstants, mparam0) == 92);
static_assert(offsetof(MaterialConstants, ambient) == 96 && offsetof(MaterialConstants, mparam1) == 108);

struct HairConstants {
    int32_t hairparam0;  //  0
    float hairlength;    //  4
    float hairparam1;    //  8: converted to float
    int32_t hairparam2;  // 12
    float hairvec[3];    // 16
    int32_t zero;        // 28
    math::Matrix rot;    // 32: transposed WorldParticlehairRotMatrix
    int32_t colormode;   // 96: 2 texture, 1 hair colour, 0 material diffuse
    float color[3];      // 100
};
static_assert(sizeof(HairConstants) == 112);
static_assert(offsetof(HairConstants, hairparam2) == 12 && offsetof(HairConstants, hairvec) == 16);
static_assert(offsetof(HairConstants, rot) == 32 && offsetof(HairConstants, colormode) == 96);
static_assert(offsetof(HairConstants, color) == 100);

// The scene values every b7 carries: light, eye, ambient and coefficients.
struct SceneValues {
    const device::SceneLighting& lighting;
    math::Float3 eye;
};

// Effective alpha for the pass filter, in double precision: the instance (or
// part) alpha times the material alpha.
inline double effectiveAlpha(double alpha, const model::Obj3dMaterial& material) {
    return alpha * static_cast<double>(material.alpha);
}

// Pass 1 takes effective alphas of 1 or more, pass 0 those not exactly 1,
// any other pass every material.
inline bool passAccepts(int pass, double effective) {
    if (pass == 1) return effective >= 1.0;
    if (pass == 0) return effective != 1.0;
    return true;
}

// b7 for a model material drawn with instance or part alpha `alpha`.
MaterialConstants materialConstants(const model::Obj3dMaterial& material, double alpha, const SceneValues& scene);

// b7 of the tool's selected-face overlay.
MaterialConstants selectedFaceConstants(const SceneValues& scene);

// b7 of the tool's vertex markers; the screen size replaces Mparam0 and 1.
MaterialConstants vertexMarkerConstants(const SceneValues& scene, bool selected, uint32_t screenWidth,
                                        uint32_t screenHeight);

// b11 for one hair face whose face uses `material`.
HairConstants hairConstants(const model::ParticlehairFace& hair, const model::Obj3dMaterial& material,
                            const math::Matrix& hairRotation);

// The shaders of each layout group.
struct GroupShaders {
    device::VertexShaderId triangleShader;  // "VSshade0", "VSshade1", ...
    device::InputLayoutId triangleLayout;
    device::VertexShaderId overlayShader;  // the "ph" variant: hair and tool overlays
    device::InputLayoutId overlayLayout;
    bool flatShading;  // groups without normals add "GSshade0"
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

// Uploads the pose. A model with motions gets its palette; a skinned-layout
// model without motions gets identity matrices in every palette entry, so it
// draws unposed instead of with the last instance's palette; other models
// leave b8 as it is. Returns false, and the draw must stop, when a buffer
// cannot be mapped or the instances module refuses the pose (too many joints
// or shape-key vertices, or a motion or shape key the model does not have).
bool uploadPose(gpu::Context& context, const device::Pipeline& objects, const model::Obj3dModel& model,
                model::LayoutGroup group, const PoseRequest& request);

}  // namespace korvel::instance
