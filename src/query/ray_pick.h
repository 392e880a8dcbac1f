// The nearest front-facing triangle of a posed instance along a ray.
#pragma once

namespace korvel::query {

struct RayHit {
    int face = -1;
    double distance = 1e10;
};

// Evaluates every vertex of instance `image` at (motion, frame) with the
// shape key (shapekey, shapekeyframe) applied when shapekey is 0 or more, and
// tests every face in order: a hit counts when it is strictly nearer than the
// best so far (first 1e10) and the face's winding normal points against the
// ray. False, with `hit` untouched, when the query cannot be evaluated (see
// ShapedPose::make). A face naming a vertex outside the model is skipped.
bool rayPickImage(const double origin[3], const double direction[3], int image, int shapekey, int shapekeyframe,
                  int motion, int frame, RayHit& hit);

}  // namespace korvel::query
