#include "model/xfile_face_order.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace korvel::model::xfile {
namespace {

// Minimum tree over one part's face materials.
class MinTree {
public:
    explicit MinTree(std::span<const Obj3dFace> faces) {
        while (leaves_ < faces.size()) leaves_ <<= 1;
        tree_.assign(2 * leaves_, std::numeric_limits<int32_t>::max());
        for (size_t i = 0; i < faces.size(); ++i) tree_[leaves_ + i] = faces[i].matno;
        for (size_t node = leaves_ - 1; node >= 1; --node) tree_[node] = std::min(tree_[2 * node], tree_[2 * node + 1]);
    }

    void set(size_t i, int32_t value) {
        size_t node = leaves_ + i;
        tree_[node] = value;
        for (node >>= 1; node >= 1; node >>= 1) tree_[node] = std::min(tree_[2 * node], tree_[2 * node + 1]);
    }

    // The first position at or after from whose value is below limit, or npos.
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

    static constexpr size_t kNone = std::numeric_limits<size_t>::max();

private:
    size_t leaves_ = 1;
    std::vector<int32_t> tree_;
};

void exchange(Obj3dFace& a, Obj3dFace& b) {
    std::swap(a.matno, b.matno);
    std::swap(a.vertexno, b.vertexno);
}

void orderPart(std::span<Obj3dFace> faces) {
    MinTree tree(faces);
    for (size_t i = 0; i < faces.size(); ++i) {
        // Each later face below face i's current material takes i's place.
        for (size_t j = tree.firstBelow(i + 1, faces[i].matno); j != MinTree::kNone;
             j = tree.firstBelow(j + 1, faces[i].matno)) {
            exchange(faces[i], faces[j]);
            tree.set(j, faces[j].matno);
        }
    }
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
