// The clamped key search shared by motions and shape keys: which key, or which
// pair of keys and blend factor, a requested frame number falls on.
#pragma once

namespace korvel::instance {

// lo == hi: the single key lo (u is 0). Otherwise the pair (lo, hi = lo + 1)
// blended by u in [0, 1].
struct KeySpan {
    int lo = 0;
    int hi = 0;
    float u = 0.0f;
};

// frameAt(k) is the frame number of key k, 0 <= k < count; count must be at
// least 1. A frame before the first key holds the first key, one after the
// last key the last key; no wrap-around and no extrapolation. Every index
// returned lies in [0, count), whatever order the frame numbers are in.
template <class FrameAt>
KeySpan searchKeys(int frame, int count, FrameAt frameAt) {
    const int first = frameAt(0);
    const int requested = frame < first ? first : frame;
    for (int k = 0; k < count; ++k) {
        const int at = frameAt(k);
        if (at == requested) return {k, k, 0.0f};
        if (at > requested) {
            // k >= 1 here: the first key is never above the clamped request.
            const double before = frameAt(k - 1);
            return {k - 1, k, static_cast<float>((requested - before) / (at - before))};
        }
    }
    return {count - 1, count - 1, 0.0f};
}

}  // namespace korvel::instance
