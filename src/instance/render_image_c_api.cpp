// C export of model drawing. Only the CPU boxes (a non-zero boxmode)
// allocate; an allocation failure ends the call without drawing.
#include <new>

#include "Korvelv0.h"
#include "instance/render_image.h"

extern "C" KORVEL_API void RenderImage(int image, int pass, int shapekey, int shapekeyframe, int motion, int frame) {
    try {
        korvel::instance::renderImage(image, pass, {shapekey, shapekeyframe, motion, frame});
    } catch (const std::bad_alloc&) {
    }
}
