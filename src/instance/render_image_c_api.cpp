// C export of model drawing. Nothing here allocates or throws.
#include "Korvelv0.h"
#include "instance/render_image.h"

extern "C" KORVEL_API void RenderImage(int image, int pass, int shapekey, int shapekeyframe, int motion, int frame) {
    korvel::instance::renderImage(image, pass, {shapekey, shapekeyframe, motion, frame});
}
