// Ordering an imported model's faces by material within each part, with the
// exact result of the exchange sort that defines it (see cleanup.h).
//
// What makes it fast: once face i is done it holds the least material of
// faces i and later. So a face whose material equals that bound has no later
// face to exchange with; and while face i exchanges, every face between i
// and the next exchange holds at least the material i holds, so the next
// face to exchange with is the first face after i of a smaller material. A
// part of few materials keeps, per material, the set of later faces holding
// it as a bit tree and its first face; any other part searches a tree of
// minimum materials.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "model/xfile/cleanup.h"

namespace korvel::model::xfile {

namespace {

constexpr size_t kNone = std::numeric_limits<size_t>::max();

void exchange(Obj3dFace& a, Obj3dFace& b) {
    std::swap(a.matno, b.matno);
    std::swap(a.vertexno, b.vertexno);
}

// Minimum tree over one part's face materials.
class MinTree {
public:
    explicit MinTree(std::span<const Obj3dFace> faces) {
        while (leaves_ < faces.size()) leaves_ <<= 1;
        tree_.assign(2 * leaves_, std::numeric_limits<int32_t>::max());
        for (size_t i = 0; i < faces.size(); ++i) tree_[leaves_ + i] = faces[i].matno;
        for (size_t node = leaves_ - 1; node >= 1; --node) tree_[node] = std::min(tree_[2 * node], tree_[2 * node + 1]);
    }

    // The least value of all.
    int32_t least() const { return tree_[1]; }

    void set(size_t i, int32_t value) {
        size_t node = leaves_ + i;
        tree_[node] = value;
        // Up to the first node whose minimum stays as it was.
        for (node >>= 1; node >= 1; node >>= 1) {
            const int32_t least = std::min(tree_[2 * node], tree_[2 * node + 1]);
            if (tree_[node] == least) break;
            tree_[node] = least;
        }
    }

    // The first position at or after from whose value is below limit, or kNone.
    size_t firstBelow(size_t from, int32_t limit) const {
        if (from >= leaves_) return kNone;
        size_t node = leaves_ + from;
        while (tree_[node] >= limit) {
            while ((node & 1) != 0) {
                node >>= 1;
                if (node == 0) return kNone;
            }
            ++node;
        }
        while (node < leaves_) node = tree_[2 * node] < limit ? 2 * node : 2 * node + 1;
        return node - leaves_;
    }

private:
    size_t leaves_ = 1;
    std::vector<int32_t> tree_;
};

void orderByTree(std::span<Obj3dFace> faces) {
    MinTree tree(faces);
    int32_t bound = tree.least();
    for (size_t i = 0; i < faces.size(); ++i) {
        // Each later face below face i's current material takes i's place.
        for (size_t j = i + 1; faces[i].matno != bound; ++j) {
            j = tree.firstBelow(j, faces[i].matno);
            if (j == kNone) break;
            exchange(faces[i], faces[j]);
            tree.set(j, faces[j].matno);
        }
        bound = faces[i].matno;
    }
}

// A set of positions below n: one bit per position, and above each level a
// level with one bit per word of it telling whether that word has a bit set,
// so the next position in the set is found in a few word operations.
class PositionSet {
public:
    explicit PositionSet(size_t n) {
        size_t words = n;
        do {
            words = (words + 63) / 64;
            levels_.emplace_back(words, 0);
        } while (words > 1);
    }

    void insert(size_t p) {
        for (std::vector<uint64_t>& level : levels_) {
            uint64_t& word = level[p / 64];
            const bool wasEmpty = word == 0;
            word |= uint64_t{1} << (p % 64);
            if (!wasEmpty) return;
            p /= 64;
        }
    }

    void erase(size_t p) {
        for (std::vector<uint64_t>& level : levels_) {
            uint64_t& word = level[p / 64];
            word &= ~(uint64_t{1} << (p % 64));
            if (word != 0) return;
            p /= 64;
        }
    }

    // The first position in the set at or after p, or kNone.
    size_t next(size_t p) const {
        size_t level = 0;
        for (;; ++level) {
            if (level == levels_.size() || p / 64 >= levels_[level].size()) return kNone;
            const uint64_t word = levels_[level][p / 64] & (~uint64_t{0} << (p % 64));
            if (word != 0) {
                p = p / 64 * 64 + static_cast<size_t>(std::countr_zero(word));
                break;
            }
            p = p / 64 + 1;
        }
        for (; level > 0; --level) p = p * 64 + static_cast<size_t>(std::countr_zero(levels_[level - 1][p]));
        return p;
    }

private:
    std::vector<std::vector<uint64_t>> levels_;
};

// Parts of at most this many materials keep a position set per material.
constexpr size_t kFewMaterials = 8;

// materials: the part's distinct materials, ascending. Materials are ranked
// in that order; every face after the one being ordered is in the set of its
// material's rank, whose first face is kept.
void orderByRank(std::span<Obj3dFace> faces, std::span<const int32_t> materials) {
    auto rankOf = [&](int32_t m) {
        return static_cast<size_t>(std::lower_bound(materials.begin(), materials.end(), m) - materials.begin());
    };
    std::vector<PositionSet> sets(materials.size(), PositionSet(faces.size()));
    for (size_t p = 0; p < faces.size(); ++p) sets[rankOf(faces[p].matno)].insert(p);
    std::vector<size_t> first(materials.size());
    for (size_t r = 0; r < materials.size(); ++r) first[r] = sets[r].next(0);
    auto remove = [&](size_t p, size_t r) {
        sets[r].erase(p);
        if (first[r] == p) first[r] = sets[r].next(p + 1);
    };
    size_t bound = 0;
    for (size_t i = 0; i < faces.size(); ++i) {
        size_t rank = rankOf(faces[i].matno);
        remove(i, rank);
        while (rank > bound) {
            size_t j = kNone, below = 0;
            for (size_t r = 0; r < rank; ++r) {
                if (first[r] < j) {
                    j = first[r];
                    below = r;
                }
            }
            if (j == kNone) break;
            exchange(faces[i], faces[j]);
            remove(j, below);
            sets[rank].insert(j);
            first[rank] = std::min(first[rank], j);
            rank = below;
        }
        bound = rank;
    }
}

void orderPart(std::span<Obj3dFace> faces) {
    std::vector<int32_t> materials;
    for (const Obj3dFace& f : faces) {
        const auto at = std::lower_bound(materials.begin(), materials.end(), f.matno);
        if (at != materials.end() && *at == f.matno) continue;
        if (materials.size() == kFewMaterials) return orderByTree(faces);
        materials.insert(at, f.matno);
    }
    orderByRank(faces, materials);
}

}  // namespace

void orderFacesByMaterial(std::span<Obj3dFace> faces) {
    size_t begin = 0;
    while (begin < faces.size()) {
        size_t end = begin + 1;
        while (end < faces.size() && faces[end].partno == faces[begin].partno) ++end;
        orderPart(faces.subspan(begin, end - begin));
        begin = end;
    }
}

}  // namespace korvel::model::xfile
