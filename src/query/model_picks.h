// Measuring and picking a model in its own space: its stored positions, with
// no instance transform and no pose.
#pragma once

#include <optional>

#include "math/types.h"
#include "query/projection.h"

namespace korvel::query {

// Within this distance of the segment's line a vertex is picked (model units).
inline constexpr float kSegmentPickDistance = 0.05f;
// Within this squared distance of the pixel a projected vertex is picked.
inline constexpr float kScreenPickSquaredPixels = 18.0f;

// Sphere from points over every vertex record (split copies included); none
// for an empty model slot or a model without vertices.
std::optional<math::Sphere> modelSphere(int model);

// The unsplit vertex within 0.05 of the line through start and end that lies
// between them (fraction 0 <= t <= 1) nearest to start, strictly before the
// end; -1 when none, when the model is missing, or when start equals end.
int segmentVertexPick(const double start[3], const double end[3], int model);

// The face whose two-sided ray hit along the segment is nearest to start,
// no further than end, and whose winding normal turns towards start; -1 when
// none. A face naming a vertex outside the model is skipped.
int segmentFacePick(const double start[3], const double end[3], int model);

// The unsplit vertex (shape key applied when shapekey is 0 or more) inside
// the camera's depth range whose projection lies within 18 square pixels of
// pixel (x, y), nearest the camera by clip depth below 1; -1 when none, when
// the model is missing, or when the shape key is not one the model's tables
// can give.
int screenVertexPick(const ScreenCamera& camera, int x, int y, int model, int shapekey, int shapekeyframe);

}  // namespace korvel::query
