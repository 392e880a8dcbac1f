// C exports of tool drawing and selection. ToolSelectPreparation and the
// CPU boxes of a non-zero boxmode allocate; a failed allocation keeps the
// previous selection, or ends the drawing call.
#include <new>

#include "Korvelv0.h"
#include "instance/tool_render.h"
#include "instance/tool_select.h"

using namespace korvel::instance;

extern "C" {

KORVEL_API void ToolRenderImage(int image, int shapekey, int shapekeyframe, int motion, int frame, int pointmode,
                                int linemode) {
    try {
        toolRenderImage(image, {shapekey, shapekeyframe, motion, frame}, pointmode, linemode);
    } catch (const std::bad_alloc&) {
    }
}

KORVEL_API void ToolSelectPreparation(int model, int* counts) {
    try {
        prepareSelection(model, counts);
    } catch (const std::bad_alloc&) {
    }
}

KORVEL_API void ToolPointSetSelect(int vertex, int flag) { setPointSelect(vertex, flag); }

KORVEL_API void ToolFaceSetSelect(int face, int flag) { setFaceSelect(face, flag); }

}  // extern "C"
