#include "model/xfile_cleanup.h"

#include <cmath>
#include <functional>
#include <string_view>

#include "model/x_first_equal.h"

namespace korvel::model::xfile {
namespace {

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
        vertices.size(),
        [&](size_t i) { return !anyNan(vertices[i].pos) && !anyNan(vertices[i].tex); },
        [&](size_t i) {
            const RawVertex& v = vertices[i];
            uint64_t h = mixHash(static_cast<uint32_t>(v.part), static_cast<uint32_t>(v.material));
            return hashFloats(hashFloats(h, v.pos), v.tex);
        },
        [&](size_t a, size_t b) {
            const RawVertex& u = vertices[a];
            const RawVertex& v = vertices[b];
            return u.part == v.part && u.material == v.material && sameFloats(u.pos, v.pos) &&
                   sameFloats(u.tex, v.tex);
        });
    for (size_t i = 0; i < first.size(); ++i)
        if (first[i] < 0) first[i] = static_cast<int32_t>(i);
    return first;
}

void markSharedPositions(std::span<RawVertex> vertices, std::span<const int32_t> mergedInto) {
    const std::vector<int32_t> first = firstOfClass(
        vertices.size(),
        [&](size_t i) { return mergedInto[i] == static_cast<int32_t>(i) && !anyNan(vertices[i].pos); },
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
        [&](size_t i) {
            return hashFloats(std::hash<std::string_view>{}(materials[i].texture), materials[i].colour);
        },
        [&](size_t a, size_t b) {
            return sameFloats(materials[a].colour, materials[b].colour) &&
                   materials[a].texture == materials[b].texture;
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
        if (v.material >= 0 && raw.materials[static_cast<size_t>(v.material)].texture.empty()) v.tex[0] = v.tex[1] = 0.0f;
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
    auto material = [&](int32_t m) { return m < 0 ? m : newMaterial[static_cast<size_t>(materialInto[static_cast<size_t>(m)])]; };

    std::vector<int32_t> newVertex(vertices.size(), -1);
    clean.vertices.reserve(vertices.size());
    clean.skin.reserve(raw.skin.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        if (mergedInto[i] != static_cast<int32_t>(i)) continue;
        newVertex[i] = static_cast<int32_t>(clean.vertices.size());
        const RawVertex& v = vertices[i];
        clean.vertices.push_back(Obj3dVertex{v.part, material(v.material),
                                             v.original < 0 ? -1 : newVertex[static_cast<size_t>(v.original)],
                                             v.pos[0] * scale, v.pos[1] * scale, v.pos[2] * scale, v.tex[0],
                                             v.tex[1]});
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

}  // namespace korvel::model::xfile
