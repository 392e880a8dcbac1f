// RenderImage: one instance drawn into the current render target with the
// current camera. Pose upload, CPU boxes and culling, particle hair, then the
// triangles part by part and material by material through the pass filter.
#pragma once

#include "instance/draw_pose_upload.h"

namespace korvel::instance {

enum class RenderOutcome {
    Skipped,  // no device, empty slot, or nothing the draw may read: nothing uploaded
    Refused,  // the pose could not be uploaded (see uploadPose): nothing drawn
    Culled,   // pose and world matrix uploaded, nothing drawn
    Drawn,    // hair and triangles issued (possibly none, by the pass filter)
};

// pass 1: materials of effective alpha 1 or more; pass 0: those not exactly
// 1; other values: all. Hair is drawn whatever the pass.
RenderOutcome renderImage(int image, int pass, const PoseRequest& pose);

}  // namespace korvel::instance
