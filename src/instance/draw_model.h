// What model drawing may read: a model checked against its instance record
// and the shared buffers of its layout group, so that no draw reads outside
// a buffer or a table. Stale instances (model cleared or reloaded with
// another part count), models whose group was never built or was built
// before they were loaded, and ranges outside the buffers are refused here.
#pragma once

#include <cstdint>
#include <optional>

#include "instance/image3d.h"
#include "model/model_buffers.h"
#include "model/store.h"
#include "platform/gpu/gpu.h"

namespace korvel::instance {

struct DrawableModel {
    const model::Obj3dModel* model = nullptr;
    model::LayoutGroup group{};
    int numpart = 0;      // NumPart, equal to the instance's part count
    int nummaterial = 0;  // NumMaterial, all present in the material table
    int numvertex = 0;    // NumVertex, all inside the group's vertex buffer
    int numface = 0;      // NumFace, all present in the face table
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
};

// The particle-hair index buffer's range for hair face i of the model, or
// false when the buffer is missing or too short.
bool hairIndicesInside(const DrawableModel& drawable, int i);

}  // namespace korvel::instance
