// ToolRenderImage: an instance drawn as RenderImage draws it (opaque pass,
// then the others), then with the tool's overlays: triangle edges and
// tinted selected faces (linemode 1) and vertex markers (pointmode 1).
#pragma once

#include "instance/draw_pose_upload.h"

namespace korvel::instance {

void toolRenderImage(int image, const PoseRequest& pose, int pointmode, int linemode);

}  // namespace korvel::instance
