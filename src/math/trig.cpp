#include "math/trig.h"

#include <cmath>
#include <limits>

namespace korvel::math {

namespace {

// Magnitude up to which an arc cosine input counts as a rounded +-1.
constexpr float kACosLimit = 1.0000001f;

template <typename F>
Float4 eachLane(Float4 v, F f) {
    return {f(v.x), f(v.y), f(v.z), f(v.w)};
}

}  // namespace

float scalarSin(float x) { return std::sin(x); }

float scalarCos(float x) { return std::cos(x); }

void scalarSinCos(float x, float* sine, float* cosine) {
    *sine = std::sin(x);
    *cosine = std::cos(x);
}

float scalarACos(float x) {
    if (!(std::fabs(x) <= kACosLimit)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return std::acos(x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x));
}

float scalarATan(float x) { return std::atan(x); }

float scalarATan2(float y, float x) { return std::atan2(y, x); }

Float4 sinEach(Float4 v) { return eachLane(v, scalarSin); }

Float4 cosEach(Float4 v) { return eachLane(v, scalarCos); }

void sinCosEach(Float4 v, Float4* sine, Float4* cosine) {
    *sine = sinEach(v);
    *cosine = cosEach(v);
}

Float4 acosEach(Float4 v) { return eachLane(v, scalarACos); }

Float4 atanEach(Float4 v) { return eachLane(v, scalarATan); }

Float4 atan2Each(Float4 y, Float4 x) {
    return {scalarATan2(y.x, x.x), scalarATan2(y.y, x.y), scalarATan2(y.z, x.z), scalarATan2(y.w, x.w)};
}

}  // namespace korvel::math
