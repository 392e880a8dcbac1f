// C exports of the geometry queries (CPU boxes, intersections, picking and
// screen projection) and of model and tool drawing. A draw refits the
// instance's boxes on the CPU between posing and culling, so its steps run
// here, above both modules, in one direction: pose, boxes, cull, draw.
// Working arrays can fail to allocate; such a call then does nothing (or
// returns -1, or ends without drawing), and nothing is thrown across the
// interface.
#include <new>
#include <optional>

#include "Korvelv0.h"
#include "instance/model_draw.h"
#include "instance/tool_draw.h"
#include "query/boxes.h"
#include "query/instance_pose.h"
#include "query/picking.h"

using namespace korvel;
using namespace korvel::query;

namespace {

template <class Call>
void guarded(Call call) {
    try {
        call();
    } catch (const std::bad_alloc&) {
    }
}

template <class... Arrays>
bool allGiven(Arrays*... arrays) {
    return ((arrays != nullptr) && ...);
}

// RenderImage: one instance into the current render target with the
// current camera. A non-zero boxmode refits the stored boxes at the drawn
// pose before culling reads them.
instance::RenderOutcome renderImage(int image, int pass, const instance::PoseRequest& pose) {
    std::optional<instance::ModelDraw> draw = instance::ModelDraw::of(image);
    if (!draw) return instance::RenderOutcome::Skipped;
    if (!draw->applyPose(pose)) return instance::RenderOutcome::Refused;
    if (draw->image.boxmode != 0) fitBoxes(image, pose.motion, pose.frame, draw->image.boxmode, nullptr);
    if (draw->culled()) return instance::RenderOutcome::Culled;
    draw->drawHairAndTriangles(pass);
    return instance::RenderOutcome::Drawn;
}

// ToolRenderImage: the instance as RenderImage draws it (opaque pass, then
// the others), then the tool's overlays.
void toolRenderImage(int image, const instance::PoseRequest& pose, int pointmode, int linemode) {
    const instance::RenderOutcome opaque = renderImage(image, 1, pose);
    if (opaque == instance::RenderOutcome::Skipped || opaque == instance::RenderOutcome::Refused) return;
    renderImage(image, 0, pose);
    if (pointmode != 1 && linemode != 1) return;
    std::optional<instance::ModelDraw> draw = instance::ModelDraw::of(image);
    if (draw) instance::drawToolOverlays(*draw, pointmode, linemode);
}

}  // namespace

extern "C" {

KORVEL_API void RenderImage(int image, int pass, int shapekey, int shapekeyframe, int motion, int frame) {
    guarded([&] { renderImage(image, pass, {shapekey, shapekeyframe, motion, frame}); });
}

KORVEL_API void ToolRenderImage(int image, int shapekey, int shapekeyframe, int motion, int frame, int pointmode,
                                int linemode) {
    guarded([&] { toolRenderImage(image, {shapekey, shapekeyframe, motion, frame}, pointmode, linemode); });
}

KORVEL_API void Image3dCalcAaboxOboxVtxCpu(int image, int motion, int frame, int boxselector) {
    guarded([&] { fitBoxes(image, motion, frame, boxselector, nullptr); });
}

KORVEL_API void Image3dCalcAaboxOboxVtxCpu1(int image, int motion, int frame, int boxselector, double centerx[],
                                            double centery[], double centerz[], double extentx[], double extenty[],
                                            double extentz[]) {
    const PartAaboxes parts{centerx, centery, centerz, extentx, extenty, extentz};
    const bool given = allGiven(centerx, centery, centerz, extentx, extenty, extentz);
    guarded([&] { fitBoxes(image, motion, frame, boxselector, given ? &parts : nullptr); });
}

KORVEL_API void Image3dAaboxOboxTranslate(int image, const double offset[3]) { translateBoxes(image, offset); }

KORVEL_API void GetImage3dAabox(int image, double center[3], double extents[3]) { getAabox(image, center, extents); }

KORVEL_API void GetImage3dObox(int image, double centerx[], double centery[], double centerz[], double extentx[],
                               double extenty[], double extentz[], double orientx[], double orienty[], double orientz[],
                               double orientw[]) {
    if (!allGiven(centerx, centery, centerz, extentx, extenty, extentz, orientx, orienty, orientz, orientw)) return;
    getOboxes(image, {centerx, centery, centerz, extentx, extenty, extentz, orientx, orienty, orientz, orientw});
}

KORVEL_API void Image3dVertexPosGet(int image, int shapekey, int shapekeyframe, int motion, int frame, int count,
                                    const int vertexno[], double x[], double y[], double z[]) {
    if (count <= 0 || !allGiven(vertexno, x, y, z)) return;
    guarded([&] {
        if (const auto shaped = ShapedPose::make(image, shapekey, shapekeyframe, motion, frame)) {
            vertexPositions(*shaped, count, vertexno, x, y, z);
        }
    });
}

KORVEL_API int IntersectImage3dAabox(int imageA, int imageB) { return intersectImageAaboxes(imageA, imageB); }

KORVEL_API int IntersectImage3dObox(int imageA, int partA, int imageB, int partB) {
    return intersectImageOboxes(imageA, partA, imageB, partB);
}

KORVEL_API void IntersectRayTriangleOfImage3d(const double origin[3], const double direction[3], int image,
                                              int shapekey, int shapekeyframe, int motion, int frame, int* face,
                                              double* distance) {
    if (!allGiven(origin, direction, face, distance)) return;
    guarded([&] {
        RayHit hit;
        if (rayPickImage(origin, direction, image, shapekey, shapekeyframe, motion, frame, hit)) {
            *face = hit.face;
            *distance = hit.distance;
        }
    });
}

KORVEL_API void PosFromWorldToScreen(const double world[3], int screen[2], double* depth) {
    if (!allGiven(world, screen, depth)) return;
    const math::Float3 point{static_cast<float>(world[0]), static_cast<float>(world[1]), static_cast<float>(world[2])};
    const ScreenPosition position = worldToScreen(currentScreenCamera(), point);
    screen[0] = position.x;
    screen[1] = position.y;
    *depth = position.depth;
}

KORVEL_API void PosFromScreenToWorld(const int screen[2], double nearpoint[3], double farpoint[3]) {
    if (!allGiven(screen, nearpoint, farpoint)) return;
    math::Float3 nearPoint;
    math::Float3 farPoint;
    screenToWorld(currentScreenCamera(), screen[0], screen[1], nearPoint, farPoint);
    nearpoint[0] = nearPoint.x;
    nearpoint[1] = nearPoint.y;
    nearpoint[2] = nearPoint.z;
    farpoint[0] = farPoint.x;
    farpoint[1] = farPoint.y;
    farpoint[2] = farPoint.z;
}

KORVEL_API void GetObj3dSphere(int model, double sphere[4]) {
    if (sphere == nullptr) return;
    if (const auto fitted = modelSphere(model)) {
        sphere[0] = fitted->center.x;
        sphere[1] = fitted->center.y;
        sphere[2] = fitted->center.z;
        sphere[3] = fitted->radius;
    }
}

KORVEL_API int LineNZObj3dPointCheck(const double start[3], const double end[3], int model) {
    return allGiven(start, end) ? segmentVertexPick(start, end, model) : -1;
}

KORVEL_API int LineNZObj3dTriangleCheck(const double start[3], const double end[3], int model) {
    return allGiven(start, end) ? segmentFacePick(start, end, model) : -1;
}

KORVEL_API int ScreenxyObj3dPointCheck(int x, int y, int model, int shapekey, int shapekeyframe) {
    int result = -1;
    guarded([&] { result = screenVertexPick(currentScreenCamera(), x, y, model, shapekey, shapekeyframe); });
    return result;
}

}  // extern "C"
