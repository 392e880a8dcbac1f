// Placing an instance or one of its parts, and the matrices that placement
// gives (row-vector convention: a point p goes to p x M).
#pragma once

#include "instance/image3d.h"
#include "math/types.h"

namespace korvel::instance {

// Stores scale, angles and translation rounded to float, and alpha rounded to
// float and then kept as double (0.1 is stored as 0.100000001490116).
void setPlacement(Partinfo& record, double sx, double sy, double sz, double rx, double ry, double rz, double tx,
                  double ty, double tz, double alpha);

// scale x rotation from pitch, yaw and roll x translation of one record.
math::Matrix placementMatrix(const Partinfo& record);

// The instance's world matrix: placementMatrix of record 0.
math::Matrix worldMatrix(const Image3dInstance& image);

// Part p's own placement followed by the world matrix. `part` must be a part
// of the record (image.part(p) not null).
math::Matrix partMatrix(const Partinfo& part, const math::Matrix& world);

}  // namespace korvel::instance
