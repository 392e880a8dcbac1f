// Values of animation keys at a time: linear between keys (spherical for
// rotations), the first key before it, the last after it.
#pragma once

#include <assimp/anim.h>

namespace korvel_import {

// The pair of keys around t and the blend factor between them; lo == hi
// when t is outside the keys or on one.
struct KeySpan {
    unsigned lo = 0, hi = 0;
    double u = 0;
};

template <class KeyT>
KeySpan findKeys(const KeyT* keys, unsigned count, double t) {
    if (t <= keys[0].mTime) return {};
    if (t >= keys[count - 1].mTime) return {count - 1, count - 1, 0};
    unsigned lo = 0, hi = count - 1;  // keys[lo].mTime < t < keys[hi].mTime
    while (hi - lo > 1) {
        const unsigned mid = lo + (hi - lo) / 2;
        (keys[mid].mTime <= t ? lo : hi) = mid;
    }
    const double span = keys[hi].mTime - keys[lo].mTime;
    return {lo, hi, span > 0 ? (t - keys[lo].mTime) / span : 0};
}

inline aiVector3t<double> sampleVector(const aiVectorKey* keys, unsigned count, double t,
                                       aiVector3t<double> fallback) {
    if (keys == nullptr || count == 0) return fallback;
    const KeySpan s = findKeys(keys, count, t);
    const aiVector3D& a = keys[s.lo].mValue;
    const aiVector3D& b = keys[s.hi].mValue;
    return {a.x + s.u * (b.x - a.x), a.y + s.u * (b.y - a.y), a.z + s.u * (b.z - a.z)};
}

inline aiQuaterniont<double> sampleRotation(const aiQuatKey* keys, unsigned count, double t,
                                            aiQuaterniont<double> fallback) {
    if (keys == nullptr || count == 0) return fallback;
    const KeySpan s = findKeys(keys, count, t);
    const aiQuaternion& a = keys[s.lo].mValue;
    const aiQuaternion& b = keys[s.hi].mValue;
    aiQuaterniont<double> out;
    aiQuaterniont<double>::Interpolate(out, {a.w, a.x, a.y, a.z}, {b.w, b.x, b.y, b.z}, s.u);
    return out.Normalize();
}

}  // namespace korvel_import
