#include "model/xfile/cleanup.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numeric>
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

inline void prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// The table for up to n records, reused pass after pass. A slot holds a
// record's number plus one in its low bits (0: empty) and the top bits of
// the record's hash above them, so a probe reads the record it meets only
// when those bits agree; and each record's slot is fetched a few records
// ahead, so the table's cache misses overlap.
class ClassTable {
public:
    explicit ClassTable(size_t n) : indexBits_(std::bit_width(n)) {
        while (capacity_ < 2 * n) capacity_ <<= 1;
        slots_.resize(capacity_);
    }

    // For each i < n in order, visit(i, first): first is -1 when
    // !eligible(i), else the smallest eligible j with equal(j, i) (i itself
    // when none is smaller). equal must be an equivalence on eligible
    // records and hash must agree with it.
    template <class Eligible, class Hash, class Equal, class Visit>
    void group(size_t n, Eligible eligible, Hash hash, Equal equal, Visit visit) {
        std::fill(slots_.begin(), slots_.end(), 0u);
        const size_t mask = capacity_ - 1;
        const uint32_t numberMask = indexBits_ >= 32 ? ~0u : (1u << indexBits_) - 1;
        const int tagBits = 32 - indexBits_;
        constexpr size_t kAhead = 8;
        uint64_t hashes[kAhead];
        bool eligibles[kAhead];
        auto fetch = [&](size_t i) {
            eligibles[i % kAhead] = eligible(i);
            if (!eligibles[i % kAhead]) return;
            hashes[i % kAhead] = hash(i);
            prefetch(&slots_[hashes[i % kAhead] & mask]);
        };
        for (size_t i = 0; i < std::min(n, kAhead); ++i) fetch(i);
        for (size_t i = 0; i < n; ++i) {
            const bool isEligible = eligibles[i % kAhead];
            const uint64_t h = hashes[i % kAhead];
            if (i + kAhead < n) fetch(i + kAhead);
            if (!isEligible) {
                visit(i, -1);
                continue;
            }
            const uint32_t tag = tagBits > 0 ? static_cast<uint32_t>(h >> (64 - tagBits)) << indexBits_ : 0u;
            for (size_t s = h & mask;; s = (s + 1) & mask) {
                const uint32_t held = slots_[s];
                if (held == 0) {
                    slots_[s] = tag | static_cast<uint32_t>(i + 1);
                    visit(i, static_cast<int32_t>(i));
                    break;
                }
                const size_t j = (held & numberMask) - 1;
                if ((held & ~numberMask) == tag && equal(j, i)) {
                    visit(i, static_cast<int32_t>(j));
                    break;
                }
            }
        }
    }

private:
    int indexBits_;
    size_t capacity_ = 16;
    std::vector<uint32_t> slots_;
};

// A vertex's position and texture coordinates as the keys compared and hashed.
std::array<float, 3> positionKey(const Obj3dVertex& v) { return {v.posx, v.posy, v.posz}; }
std::array<float, 2> texcoordKey(const Obj3dVertex& v) { return {v.texu, v.texv}; }

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

// Step 3: for each vertex, the vertex it merges into, or itself; empty
// when no vertex merges, the usual case, which spares renumbering them.
std::vector<int32_t> mergeDuplicateVertices(std::span<const Obj3dVertex> vertices, ClassTable& table) {
    std::vector<int32_t> mergedInto;
    table.group(
        vertices.size(),
        [&](size_t i) { return !anyNan(positionKey(vertices[i])) && !anyNan(texcoordKey(vertices[i])); },
        [&](size_t i) {
            const Obj3dVertex& v = vertices[i];
            uint64_t h = mixHash(static_cast<uint32_t>(v.partno), static_cast<uint32_t>(v.matno));
            return hashFloats(hashFloats(h, positionKey(v)), texcoordKey(v));
        },
        [&](size_t a, size_t b) {
            const Obj3dVertex& u = vertices[a];
            const Obj3dVertex& v = vertices[b];
            return u.partno == v.partno && u.matno == v.matno && sameFloats(positionKey(u), positionKey(v)) &&
                   sameFloats(texcoordKey(u), texcoordKey(v));
        },
        [&](size_t i, int32_t first) {
            if (first < 0 || first == static_cast<int32_t>(i)) return;
            if (mergedInto.empty()) {
                mergedInto.resize(vertices.size());
                std::iota(mergedInto.begin(), mergedInto.end(), 0);
            }
            mergedInto[i] = first;
        });
    return mergedInto;
}

// Step 4 on the vertices that step 3 left unmerged.
void markSharedPositions(std::span<Obj3dVertex> vertices, std::span<const int32_t> mergedInto, ClassTable& table) {
    table.group(
        vertices.size(),
        [&](size_t i) {
            return (mergedInto.empty() || mergedInto[i] == static_cast<int32_t>(i)) &&
                   !anyNan(positionKey(vertices[i]));
        },
        [&](size_t i) { return hashFloats(static_cast<uint32_t>(vertices[i].partno), positionKey(vertices[i])); },
        [&](size_t a, size_t b) {
            return vertices[a].partno == vertices[b].partno &&
                   sameFloats(positionKey(vertices[a]), positionKey(vertices[b]));
        },
        [&](size_t i, int32_t first) {
            if (first >= 0 && first != static_cast<int32_t>(i)) vertices[i].originalvertexno = first;
        });
}

// Step 5: for each material, the material it merges into, or itself.
std::vector<int32_t> mergeDuplicateMaterials(std::span<const RawMaterial> materials) {
    std::vector<int32_t> mergedInto(materials.size());
    ClassTable table(materials.size());
    table.group(
        materials.size(), [&](size_t i) { return !anyNan(materials[i].colour); },
        [&](size_t i) { return hashFloats(std::hash<std::string_view>{}(materials[i].texture), materials[i].colour); },
        [&](size_t a, size_t b) {
            return sameFloats(materials[a].colour, materials[b].colour) && materials[a].texture == materials[b].texture;
        },
        [&](size_t i, int32_t first) { mergedInto[i] = first < 0 ? static_cast<int32_t>(i) : first; });
    return mergedInto;
}

}  // namespace

CleanModel cleanUp(RawModel& raw, float scale) {
    const std::span<Obj3dVertex> vertices = raw.vertices;
    for (const Obj3dFace& f : raw.faces)
        for (const int32_t corner : f.vertexno) vertices[static_cast<size_t>(corner)].matno = f.matno;
    for (Obj3dVertex& v : vertices) {
        if (v.matno >= 0 && raw.materials[static_cast<size_t>(v.matno)].texture.empty()) v.texu = v.texv = 0.0f;
        v.originalvertexno = -1;
    }

    // For each vertex, the vertex it merges into (none when empty);
    // renumbered below.
    ClassTable table(vertices.size());
    std::vector<int32_t> vertexMap = mergeDuplicateVertices(vertices, table);
    markSharedPositions(vertices, vertexMap, table);
    const std::vector<int32_t> materialInto = mergeDuplicateMaterials(raw.materials);

    CleanModel clean;
    std::vector<int32_t> newMaterial(raw.materials.size(), -1);
    for (size_t m = 0; m < raw.materials.size(); ++m) {
        if (materialInto[m] != static_cast<int32_t>(m)) continue;
        newMaterial[m] = static_cast<int32_t>(clean.materials.size());
        clean.materials.push_back(std::move(raw.materials[m]));
    }
    const bool materialsKept = clean.materials.size() == raw.materials.size();
    auto material = [&](int32_t m) {
        return m < 0 ? m : newMaterial[static_cast<size_t>(materialInto[static_cast<size_t>(m)])];
    };

    clean.faces = raw.faces;
    if (vertexMap.empty()) {
        for (Obj3dVertex& v : vertices) {
            v.matno = material(v.matno);
            v.posx = v.posx * scale;
            v.posy = v.posy * scale;
            v.posz = v.posz * scale;
        }
        clean.vertices = vertices;
        if (!materialsKept)
            for (Obj3dFace& f : clean.faces) f.matno = material(f.matno);
        clean.skin = std::move(raw.skin);
        return clean;
    }

    // Unmerged vertices close up in order; the map becomes each vertex's new
    // number, complemented (negative) for a merged one. A vertex merges into
    // and shares its position with earlier vertices only, whose new numbers
    // are known by then.
    size_t kept = 0;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const auto into = static_cast<size_t>(vertexMap[i]);
        if (into != i) {
            vertexMap[i] = ~vertexMap[into];
            continue;
        }
        const Obj3dVertex v = vertices[i];
        const int32_t original = v.originalvertexno < 0 ? -1 : vertexMap[static_cast<size_t>(v.originalvertexno)];
        vertices[kept] = Obj3dVertex{v.partno,       material(v.matno), original, v.posx * scale,
                                     v.posy * scale, v.posz * scale,    v.texu,   v.texv};
        vertexMap[i] = static_cast<int32_t>(kept++);
    }
    clean.vertices = vertices.first(kept);
    for (Obj3dFace& f : clean.faces) {
        for (int32_t& corner : f.vertexno) {
            const int32_t mapped = vertexMap[static_cast<size_t>(corner)];
            corner = mapped < 0 ? ~mapped : mapped;
        }
        f.matno = material(f.matno);
    }
    clean.skin.reserve(raw.skin.size());
    for (const SkinEntry& e : raw.skin)
        if (const int32_t mapped = vertexMap[static_cast<size_t>(e.vertex)]; mapped >= 0)
            clean.skin.push_back(SkinEntry{e.bone, mapped, e.weight});
    return clean;
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

void vertexWeights(std::span<const SkinEntry> entries, std::span<const std::string> boneNames,
                   std::span<const RawJoint> joints, std::span<Obj3dWeight> weights) {
    std::unordered_map<std::string_view, int32_t> jointByName;
    for (size_t j = 0; j < joints.size(); ++j) jointByName[joints[j].name] = static_cast<int32_t>(j);
    std::vector<int32_t> boneJoint(boneNames.size(), -1);
    for (size_t b = 0; b < boneNames.size(); ++b)
        if (const auto found = jointByName.find(boneNames[b]); found != jointByName.end()) boneJoint[b] = found->second;

    // The usable influences grouped by vertex, in entry order.
    const size_t numVertex = weights.size();
    platform::LargeVector<uint32_t> start(numVertex + 1, 0);
    auto usable = [&](const SkinEntry& e) { return boneJoint[static_cast<size_t>(e.bone)] >= 0 && e.weight > 0.0f; };
    for (const SkinEntry& e : entries)
        if (usable(e)) ++start[static_cast<size_t>(e.vertex) + 1];
    for (size_t v = 0; v < numVertex; ++v) start[v + 1] += start[v];
    platform::LargeVector<Influence> influences(start[numVertex]);
    platform::LargeVector<uint32_t> fill(start.begin(), start.end() - 1);
    for (const SkinEntry& e : entries)
        if (usable(e))
            influences[fill[static_cast<size_t>(e.vertex)]++] = {boneJoint[static_cast<size_t>(e.bone)], e.weight};

    for (size_t v = 0; v < numVertex; ++v) {
        const std::span<const Influence> own(influences.data() + start[v], start[v + 1] - start[v]);
        Obj3dWeight& w = weights[v];
        w = Obj3dWeight{0, -1, 0.0f, 0.0f};
        if (own.size() > 2) {
            w = strongestTwo(own);
            continue;
        }
        if (!own.empty()) w.jointno0 = own[0].joint, w.weight0 = own[0].weight;
        if (own.size() == 2) w.jointno1 = own[1].joint, w.weight1 = own[1].weight;
    }
}

}  // namespace korvel::model::xfile
