// One draw of one instance into the current render target with the current
// camera, and what it may read: the instance's model checked against the
// instance record and the shared buffers of its layout group, so that no draw
// reads outside a buffer or a table. Stale instances (model cleared or
// reloaded with another part count), models whose group was never built or
// was built before they were loaded, and ranges outside the buffers are
// refused here. RenderImage runs the steps in order (pose, the CPU boxes of
// the queries, culling, hair and triangles); the tool's overlays draw
// through the same description.
#pragma once

#include <cstdint>
#include <optional>

#include "instance/draw_uploads.h"
#include "instance/image3d.h"
#include "model/model_buffers.h"
#include "model/store.h"
#include "platform/gpu/gpu.h"

namespace korvel::instance {

enum class RenderOutcome {
    Skipped,  // no device, empty slot, or nothing the draw may read: nothing uploaded
    Refused,  // the pose could not be uploaded (see uploadPose): nothing drawn
    Culled,   // pose and world matrix uploaded, nothing drawn
    Drawn,    // hair and triangles issued (possibly none, by the pass filter)
};

struct DrawableModel {
    const model::Obj3dModel* model = nullptr;
    model::LayoutGroup group{};
    int numpart = 0;                     // NumPart, equal to the instance's part count
    int nummaterial = 0;                 // NumMaterial, all present in the material table
    int numvertex = 0;                   // NumVertex, all inside the group's vertex buffer
    int numface = 0;                     // NumFace, all present in the face table
    gpu::Buffer* indexBuffer = nullptr;  // the group's, null when not built
    uint64_t indexCount = 0;             // indices in indexBuffer

    const model::Obj3dHeader& head() const { return *model->head(); }

    // The instance record `image` as drawable, or none (see above).
    static std::optional<DrawableModel> of(const Image3dInstance& image);

    // Whether `count` indices from the model's startindex + start lie inside
    // the group's index buffer (false for a count of 0).
    bool indicesInside(int64_t start, int64_t count) const;

    // The draw range of (part, material): null when its count is 0 or when it
    // points outside the index buffer.
    const model::Obj3dDrawRange* range(int part, int material) const;

    // Whether the particle-hair index buffer holds the range of hair face i.
    bool hairIndicesInside(int i) const;
};

// The instance alpha, or with a non-zero partmode the alpha of `part`. Null
// when partmode asks for a part the record does not have.
inline const double* drawAlpha(const Image3dInstance& image, int part) {
    if (image.partmode == 0) return &image.whole().alpha;
    const Partinfo* info = image.part(part);
    return info ? &info->alpha : nullptr;
}

// Edges and vertex markers are drawn only on opaque parts (alpha 1 or more,
// or not a number).
inline bool opaqueForOverlay(double alpha) { return !(alpha < 1.0); }

class ModelDraw {
public:
    // The draw of instance `image`, or none when there is no device, the slot
    // is empty, or its model is not drawable (RenderOutcome::Skipped).
    static std::optional<ModelDraw> of(int image);

    // Uploads the pose, then the world matrix unless partmode is 1. False,
    // and nothing may be drawn, when the pose is refused (see uploadPose).
    bool applyPose(const PoseRequest& pose);

    // Frustum culling on the boxes stored in the instance record. cullmode 1:
    // culled when the aabox is present (x extent above 0) and lies wholly
    // outside the camera's frustum. cullmode 2: culled when the instance has
    // no part, or when every part box is present and outside. Any other
    // cullmode: never.
    bool culled() const;

    // Particle hair (whatever the pass), then the triangles part by part and
    // material by material. pass 1 takes materials of effective alpha 1 or
    // more, pass 0 those not exactly 1, other values all.
    void drawHairAndTriangles(int pass);

    // With partmode 1 a primitive of part `part` is placed by the part's
    // matrix, uploaded when b2 holds another; false when the part is not one
    // of the instance's. Other partmodes leave b2 alone.
    bool place(int part);

    // b7 uploaded and bound to `stage`.
    void uploadMaterial(const MaterialConstants& constants, gpu::ShaderStage stage);

    gpu::Context& context;
    const device::Pipeline& objects;
    const Image3dInstance& image;
    const DrawableModel model;
    const math::Matrix world;
    const SceneValues scene;

private:
    ModelDraw(gpu::Context& context, const device::Pipeline& objects, const Image3dInstance& image,
              const DrawableModel& model, const math::Matrix& world, const SceneValues& scene)
        : context(context), objects(objects), image(image), model(model), world(world), scene(scene) {}

    bool drawHair();
    void drawTriangles(int pass);

    int placedPart_ = -1;  // part whose matrix b2 holds (see place), -1 none yet
};

}  // namespace korvel::instance
