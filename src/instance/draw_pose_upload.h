// The pose of one draw on the GPU: shape-key flag and offsets (b9, b10),
// then the joint palette (b8), each by a write-discard map and bound to the
// vertex stage. Nothing is allocated: the records live on the stack.
#pragma once

#include "device/pipeline.h"
#include "model/model_buffers.h"
#include "model/store.h"
#include "platform/gpu/gpu.h"

namespace korvel::instance {

struct PoseRequest {
    int shapekey;
    int shapekeyframe;
    int motion;
    int frame;
};

// Uploads the pose. A model with motions gets its palette; a skinned-layout
// model without motions gets identity matrices in every palette entry, so it
// draws unposed instead of with the last instance's palette; other models
// leave b8 as it is. Returns false, and the draw must stop, when a buffer
// cannot be mapped or the instances module refuses the pose (too many joints
// or shape-key vertices, or a motion or shape key the model does not have).
bool uploadPose(gpu::Context& context, const device::Pipeline& objects, const model::Obj3dModel& model,
                model::LayoutGroup group, const PoseRequest& request);

}  // namespace korvel::instance
