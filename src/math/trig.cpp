#include "math/trig.h"

#include <cmath>
#include <limits>

namespace korvel::math {

namespace {

// Magnitude up to which an arc cosine input counts as a rounded +-1.
constexpr float kACosLimit = 1.0000001f;

}  // namespace

float scalarACos(float x) {
    if (!(std::fabs(x) <= kACosLimit)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return std::acos(x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x));
}

float scalarATan2(float y, float x) { return std::atan2(y, x); }

}  // namespace korvel::math
