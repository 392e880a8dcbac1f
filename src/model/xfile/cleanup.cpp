#include "model/xfile/cleanup.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "math/vector.h"

namespace korvel::model::xfile {

namespace {

// Grouping records into classes of equal keys in linear expected time: for
// each record, the first record of its class. The X importer's merges of
// vertices and materials and its shared-position search are all "each later
// record equal to an earlier one joins the earliest", which this computes
// with one pass over an open-addressing hash table.

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

bool anyNan(std::span<const float> values) {
    for (const float v : values)
        if (std::isnan(v)) return true;
    return false;
}

uint64_t hashFloats(uint64_t h, std::span<const float> values) {
    for (const float v : values) h = mixHash(h, hashBits(v));
    return h;
}

bool sameFloats(std::span<const float> a, std::span<const float> b) {
    for (size_t k = 0; k < a.size(); ++k)
        if (!(a[k] == b[k])) return false;
    return true;
}

}  // namespace

std::vector<int32_t> mergeDuplicateVertices(std::span<const RawVertex> vertices) {
    std::vector<int32_t> first = firstOfClass(
        vertices.size(), [&](size_t i) { return !anyNan(vertices[i].pos) && !anyNan(vertices[i].tex); },
        [&](size_t i) {
            const RawVertex& v = vertices[i];
            uint64_t h = mixHash(static_cast<uint32_t>(v.part), static_cast<uint32_t>(v.material));
            return hashFloats(hashFloats(h, v.pos), v.tex);
        },
        [&](size_t a, size_t b) {
            const RawVertex& u = vertices[a];
            const RawVertex& v = vertices[b];
            return u.part == v.part && u.material == v.material && sameFloats(u.pos, v.pos) && sameFloats(u.tex, v.tex);
        });
    for (size_t i = 0; i < first.size(); ++i)
        if (first[i] < 0) first[i] = static_cast<int32_t>(i);
    return first;
}

void markSharedPositions(std::span<RawVertex> vertices, std::span<const int32_t> mergedInto) {
    const std::vector<int32_t> first = firstOfClass(
        vertices.size(), [&](size_t i) { return mergedInto[i] == static_cast<int32_t>(i) && !anyNan(vertices[i].pos); },
        [&](size_t i) { return hashFloats(static_cast<uint32_t>(vertices[i].part), vertices[i].pos); },
        [&](size_t a, size_t b) {
            return vertices[a].part == vertices[b].part && sameFloats(vertices[a].pos, vertices[b].pos);
        });
    for (size_t i = 0; i < first.size(); ++i)
        if (first[i] >= 0 && first[i] != static_cast<int32_t>(i)) vertices[i].original = first[i];
}

std::vector<int32_t> mergeDuplicateMaterials(std::span<const RawMaterial> materials) {
    std::vector<int32_t> first = firstOfClass(
        materials.size(), [&](size_t i) { return !anyNan(materials[i].colour); },
        [&](size_t i) { return hashFloats(std::hash<std::string_view>{}(materials[i].texture), materials[i].colour); },
        [&](size_t a, size_t b) {
            return sameFloats(materials[a].colour, materials[b].colour) && materials[a].texture == materials[b].texture;
        });
    for (size_t i = 0; i < first.size(); ++i)
        if (first[i] < 0) first[i] = static_cast<int32_t>(i);
    return first;
}

CleanModel cleanUp(RawModel& raw, float scale) {
    std::vector<RawVertex>& vertices = raw.vertices;
    for (const Obj3dFace& f : raw.faces)
        for (const int32_t corner : f.vertexno) vertices[static_cast<size_t>(corner)].material = f.matno;
    for (RawVertex& v : vertices) {
        if (v.material >= 0 && raw.materials[static_cast<size_t>(v.material)].texture.empty())
            v.tex[0] = v.tex[1] = 0.0f;
        v.original = -1;
    }

    const std::vector<int32_t> mergedInto = mergeDuplicateVertices(vertices);
    markSharedPositions(vertices, mergedInto);
    const std::vector<int32_t> materialInto = mergeDuplicateMaterials(raw.materials);

    CleanModel clean;
    std::vector<int32_t> newMaterial(raw.materials.size(), -1);
    for (size_t m = 0; m < raw.materials.size(); ++m) {
        if (materialInto[m] != static_cast<int32_t>(m)) continue;
        newMaterial[m] = static_cast<int32_t>(clean.materials.size());
        clean.materials.push_back(std::move(raw.materials[m]));
    }
    auto material = [&](int32_t m) {
        return m < 0 ? m : newMaterial[static_cast<size_t>(materialInto[static_cast<size_t>(m)])];
    };

    std::vector<int32_t> newVertex(vertices.size(), -1);
    clean.vertices.reserve(vertices.size());
    clean.skin.reserve(raw.skin.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        if (mergedInto[i] != static_cast<int32_t>(i)) continue;
        newVertex[i] = static_cast<int32_t>(clean.vertices.size());
        const RawVertex& v = vertices[i];
        clean.vertices.push_back(Obj3dVertex{v.part, material(v.material),
                                             v.original < 0 ? -1 : newVertex[static_cast<size_t>(v.original)],
                                             v.pos[0] * scale, v.pos[1] * scale, v.pos[2] * scale, v.tex[0], v.tex[1]});
    }
    clean.faces = std::move(raw.faces);
    for (Obj3dFace& f : clean.faces) {
        for (int32_t& corner : f.vertexno)
            corner = newVertex[static_cast<size_t>(mergedInto[static_cast<size_t>(corner)])];
        f.matno = material(f.matno);
    }
    for (const SkinEntry& e : raw.skin) {
        const auto v = static_cast<size_t>(e.vertex);
        if (mergedInto[v] == e.vertex) clean.skin.push_back(SkinEntry{e.bone, newVertex[v], e.weight});
    }
    return clean;
}

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

namespace {

math::Float3 position(const Obj3dVertex& v) { return {v.posx, v.posy, v.posz}; }

bool finite(math::Float3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// What a vertex's corners gave so far.
enum class Corners : uint8_t { none, degenerateOnly, usable };

// The normal of a vertex whose every corner is degenerate.
constexpr Obj3dNormal kFallbackNormal{0.0f, 0.0f, 1.0f};

// The corner's angle times the unit normal of the face's plane; none for a
// degenerate corner: a face without area (a zero-length edge, three points
// on a line) or one whose term is not finite.
std::optional<math::Float3> cornerTerm(math::Float3 c, math::Float3 a, math::Float3 b) {
    const math::Float3 e1 = a - c;
    const math::Float3 e2 = b - c;
    float cosine = math::dot(e1, e2) / (math::length(e1) * math::length(e2));
    if (cosine < -1.0f) cosine = -1.0f;
    if (cosine > 1.0f) cosine = 1.0f;
    const math::Float3 unit = math::normalize(math::cross(e1, e2));
    const math::Float3 term = unit * math::scalarACos(cosine);
    if (math::dot(unit, unit) == 0.0f || !finite(term)) return std::nullopt;
    return term;
}

}  // namespace

std::vector<Obj3dNormal> vertexNormals(std::span<const Obj3dVertex> vertices, std::span<const Obj3dFace> faces) {
    std::vector<math::Float3> sums(vertices.size(), math::Float3{0.0f, 0.0f, 0.0f});
    std::vector<Corners> corners(vertices.size(), Corners::none);
    for (const Obj3dFace& f : faces) {
        for (int k = 0; k < 3; ++k) {
            const auto c = static_cast<size_t>(f.vertexno[k]);
            const int32_t source = vertices[c].originalvertexno;
            const size_t owner = source >= 0 ? static_cast<size_t>(source) : c;
            if (vertices[owner].originalvertexno != -1 || vertices[owner].partno != f.partno) continue;
            const Obj3dVertex& a = vertices[static_cast<size_t>(f.vertexno[(k + 1) % 3])];
            const Obj3dVertex& b = vertices[static_cast<size_t>(f.vertexno[(k + 2) % 3])];
            if (const auto term = cornerTerm(position(vertices[c]), position(a), position(b))) {
                sums[owner] = sums[owner] + *term;
                corners[owner] = Corners::usable;
            } else if (corners[owner] == Corners::none) {
                corners[owner] = Corners::degenerateOnly;
            }
        }
    }
    std::vector<Obj3dNormal> normals(vertices.size());
    for (size_t v = 0; v < vertices.size(); ++v) {
        if (vertices[v].originalvertexno != -1) continue;
        if (corners[v] == Corners::degenerateOnly) {
            normals[v] = kFallbackNormal;
            continue;
        }
        const math::Float3 n = math::normalize(sums[v]);
        normals[v] = {n.x, n.y, n.z};
    }
    for (size_t v = 0; v < vertices.size(); ++v) {
        const int32_t source = vertices[v].originalvertexno;
        if (source >= 0) normals[v] = normals[static_cast<size_t>(source)];
    }
    return normals;
}

namespace {

struct Influence {
    int32_t joint;
    float weight;
};

// The two largest weights of more than two influences, kept in entry order
// and scaled to the influences' total.
Obj3dWeight strongestTwo(std::span<const Influence> all) {
    size_t first = 0;
    for (size_t k = 1; k < all.size(); ++k)
        if (all[k].weight > all[first].weight) first = k;
    size_t second = first == 0 ? 1 : 0;
    for (size_t k = 0; k < all.size(); ++k)
        if (k != first && all[k].weight > all[second].weight) second = k;
    if (second < first) std::swap(first, second);
    double total = 0.0;
    for (const Influence& influence : all) total += influence.weight;
    const double factor = total / (double{all[first].weight} + all[second].weight);
    const double scale = std::isfinite(factor) ? factor : 1.0;
    return Obj3dWeight{all[first].joint, all[second].joint, static_cast<float>(all[first].weight * scale),
                       static_cast<float>(all[second].weight * scale)};
}

}  // namespace

std::vector<Obj3dWeight> vertexWeights(size_t numVertex, std::span<const SkinEntry> entries,
                                       std::span<const std::string> boneNames, std::span<const RawJoint> joints) {
    std::unordered_map<std::string_view, int32_t> jointByName;
    for (size_t j = 0; j < joints.size(); ++j) jointByName[joints[j].name] = static_cast<int32_t>(j);
    std::vector<int32_t> boneJoint(boneNames.size(), -1);
    for (size_t b = 0; b < boneNames.size(); ++b)
        if (const auto found = jointByName.find(boneNames[b]); found != jointByName.end()) boneJoint[b] = found->second;

    // The usable influences grouped by vertex, in entry order.
    std::vector<uint32_t> start(numVertex + 1, 0);
    auto usable = [&](const SkinEntry& e) { return boneJoint[static_cast<size_t>(e.bone)] >= 0 && e.weight > 0.0f; };
    for (const SkinEntry& e : entries)
        if (usable(e)) ++start[static_cast<size_t>(e.vertex) + 1];
    for (size_t v = 0; v < numVertex; ++v) start[v + 1] += start[v];
    std::vector<Influence> influences(start[numVertex]);
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (const SkinEntry& e : entries)
        if (usable(e))
            influences[fill[static_cast<size_t>(e.vertex)]++] = {boneJoint[static_cast<size_t>(e.bone)], e.weight};

    std::vector<Obj3dWeight> weights(numVertex, Obj3dWeight{0, -1, 0.0f, 0.0f});
    for (size_t v = 0; v < numVertex; ++v) {
        const std::span<const Influence> own(influences.data() + start[v], start[v + 1] - start[v]);
        Obj3dWeight& w = weights[v];
        if (own.size() > 2) {
            w = strongestTwo(own);
            continue;
        }
        if (!own.empty()) w.jointno0 = own[0].joint, w.weight0 = own[0].weight;
        if (own.size() == 2) w.jointno1 = own[1].joint, w.weight1 = own[1].weight;
    }
    return weights;
}

}  // namespace korvel::model::xfile
