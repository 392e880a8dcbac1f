// Grouping records into classes of equal keys in linear expected time: for
// each record, the first record of its class. The X importer's merges of
// vertices and materials and its shared-position search are all "each later
// record equal to an earlier one joins the earliest", which this computes
// with one pass over an open-addressing hash table.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace korvel::model::xfile {

// Bits of a float for hashing under ==: +0 and -0 hash alike. NaN never
// equals anything, so callers keep records with NaN keys out of the table.
inline uint32_t hashBits(float v) { return v == 0.0f ? 0u : std::bit_cast<uint32_t>(v); }

inline uint64_t mixHash(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ull;
    return h ^ (h >> 29);
}

// For each i < n: -1 when !eligible(i), else the smallest eligible j with
// equal(j, i) (i itself when none is smaller). equal must be an equivalence
// on eligible records and hash must agree with it.
template <class Eligible, class Hash, class Equal>
std::vector<int32_t> firstOfClass(size_t n, Eligible eligible, Hash hash, Equal equal) {
    std::vector<int32_t> first(n, -1);
    size_t capacity = 16;
    while (capacity < 2 * n) capacity <<= 1;
    std::vector<int32_t> slots(capacity, -1);
    for (size_t i = 0; i < n; ++i) {
        if (!eligible(i)) continue;
        for (size_t s = hash(i) & (capacity - 1);; s = (s + 1) & (capacity - 1)) {
            const int32_t held = slots[s];
            if (held < 0) {
                slots[s] = static_cast<int32_t>(i);
                first[i] = static_cast<int32_t>(i);
                break;
            }
            if (equal(static_cast<size_t>(held), i)) {
                first[i] = held;
                break;
            }
        }
    }
    return first;
}

}  // namespace korvel::model::xfile
