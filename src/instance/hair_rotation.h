// The library-wide rotation that particle-hair drawing applies to hair
// directions.
#pragma once

#include "math/types.h"

namespace korvel::instance {

const math::Matrix& worldParticlehairRotMatrix();

// Rotation by `angle` radians about (ax, ay, az), all rounded to float first;
// the axis is normalised, and a zero axis stays zero.
void setWorldParticlehairRotMatrix(double ax, double ay, double az, double angle);

// Back to the identity (device start).
void resetWorldParticlehairRotMatrix();

}  // namespace korvel::instance
