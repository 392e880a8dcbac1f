// Bounding boxes of posed instances: fitting them from the CPU-evaluated
// vertices, moving them, reading them out, and the overlap of two boxes and
// of the boxes stored in instance records.
#pragma once

#include "math/types.h"

namespace korvel::query {

// Box selector of the fitting calls.
inline constexpr int kAaboxOnly = 1;
inline constexpr int kOboxesOnly = 2;

// Per-part axis-aligned boxes handed to the caller: six arrays of the
// instance's part count each.
struct PartAaboxes {
    double* centerx;
    double* centery;
    double* centerz;
    double* extentx;
    double* extenty;
    double* extentz;
};

// Evaluates every unsplit vertex of instance `image` at (motion, frame) and
// refits its aabox (unless selector is 2) and its parts' oboxes (unless
// selector is 1). With no point at all the aabox is marked absent; a part
// without points gets obox x extent -1 with its other fields kept. A box
// fitted to points is always present: a zero x extent (a flat or one-point
// box) becomes the smallest normal float. When
// `parts` is given, each part's axis-aligned box is written there too,
// whatever the selector (extentx -1 for a part without points). Nothing is
// written when the instance cannot be posed (see InstancePose::make).
void fitBoxes(int image, int motion, int frame, int selector, const PartAaboxes* parts);

// Adds offset (rounded to float) to the aabox center and to the centers of
// the present part oboxes. An empty slot is left alone.
void translateBoxes(int image, const double offset[3]);

// Copy the stored boxes out, widened to double; an empty slot writes nothing.
void getAabox(int image, double center[3], double extents[3]);

struct PartOboxes {
    double* centerx;
    double* centery;
    double* centerz;
    double* extentx;
    double* extenty;
    double* extentz;
    double* orientx;
    double* orienty;
    double* orientz;
    double* orientw;
};

void getOboxes(int image, const PartOboxes& out);

// Disjoint only when on some axis one box ends strictly before the other
// begins: touching boxes overlap.
bool aaboxOverlap(const math::Aabox& a, const math::Aabox& b);

// Separating-axis test in a's frame over the fifteen axes (three of a, three
// of b, nine cross products), with no tolerance: an axis separates only when
// the projected distance strictly exceeds the projected radii, so a
// degenerate cross product never separates.
bool oboxOverlap(const math::Obox& a, const math::Obox& b);

// 1 overlap, 0 apart, -1 when either box is absent (x extent 0 or less) or
// either instance (or part) does not exist.
int intersectImageAaboxes(int imageA, int imageB);
int intersectImageOboxes(int imageA, int partA, int imageB, int partB);

}  // namespace korvel::query
