#include "reference_cleanup.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "math/vector.h"

namespace korvel::model::xfile::testing {
namespace {

bool samePosition(const RawVertex& a, const RawVertex& b) {
    return a.pos[0] == b.pos[0] && a.pos[1] == b.pos[1] && a.pos[2] == b.pos[2];
}

}  // namespace

CleanModel referenceCleanUp(RawModel raw, float scale) {
    std::vector<RawVertex>& v = raw.vertices;
    std::vector<RawMaterial>& mats = raw.materials;
    const size_t n = v.size();
    for (const Obj3dFace& f : raw.faces)
        for (const int32_t c : f.vertexno) v[static_cast<size_t>(c)].material = f.matno;
    for (RawVertex& x : v) {
        if (x.material >= 0 && mats[static_cast<size_t>(x.material)].texture.empty()) x.tex[0] = x.tex[1] = 0.0f;
        x.original = -1;
    }
    std::vector<bool> merged(n, false);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n && !merged[i] && v[j].part == v[i].part; ++j)
            if (!merged[j] && v[i].material == v[j].material && samePosition(v[i], v[j]) &&
                v[i].tex[0] == v[j].tex[0] && v[i].tex[1] == v[j].tex[1]) {
                merged[j] = true;
                for (Obj3dFace& f : raw.faces)
                    for (int32_t& c : f.vertexno)
                        if (c == static_cast<int32_t>(j)) c = static_cast<int32_t>(i);
            }
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n && !merged[i] && v[i].original == -1 && v[j].part == v[i].part; ++j)
            if (!merged[j] && v[j].original == -1 && samePosition(v[i], v[j])) v[j].original = static_cast<int32_t>(i);
    std::vector<bool> matMerged(mats.size(), false);
    for (size_t i = 0; i < mats.size(); ++i)
        for (size_t j = i + 1; j < mats.size() && !matMerged[i]; ++j) {
            bool same = !matMerged[j] && mats[i].texture == mats[j].texture;
            for (int c = 0; c < kColourValues; ++c) same = same && mats[i].colour[c] == mats[j].colour[c];
            if (!same) continue;
            matMerged[j] = true;
            for (Obj3dFace& f : raw.faces)
                if (f.matno == static_cast<int32_t>(j)) f.matno = static_cast<int32_t>(i);
            for (RawVertex& x : v)
                if (x.material == static_cast<int32_t>(j)) x.material = static_cast<int32_t>(i);
        }

    CleanModel out;
    std::vector<int32_t> renumber(n, -1), matRenumber(mats.size(), -1);
    for (size_t i = 0, next = 0; i < n; ++i)
        if (!merged[i]) renumber[i] = static_cast<int32_t>(next++);
    for (size_t i = 0; i < mats.size(); ++i)
        if (!matMerged[i]) {
            matRenumber[i] = static_cast<int32_t>(out.materials.size());
            out.materials.push_back(mats[i]);
        }
    for (size_t i = 0; i < n; ++i) {
        const RawVertex& x = v[i];
        if (!merged[i])
            out.vertices.push_back(
                Obj3dVertex{x.part, x.material < 0 ? x.material : matRenumber[static_cast<size_t>(x.material)],
                            x.original < 0 ? -1 : renumber[static_cast<size_t>(x.original)], x.pos[0] * scale,
                            x.pos[1] * scale, x.pos[2] * scale, x.tex[0], x.tex[1]});
    }
    for (Obj3dFace f : raw.faces) {
        for (int32_t& c : f.vertexno) c = renumber[static_cast<size_t>(c)];
        f.matno = matRenumber[static_cast<size_t>(f.matno)];
        out.faces.push_back(f);
    }
    for (const SkinEntry& e : raw.skin)
        if (!merged[static_cast<size_t>(e.vertex)])
            out.skin.push_back(SkinEntry{e.bone, renumber[static_cast<size_t>(e.vertex)], e.weight});
    return out;
}

// Normals per unsplit vertex over every face of its part, skipping corners
// of faces without area or with a term that is not finite.
std::vector<Obj3dNormal> referenceNormals(const std::vector<Obj3dVertex>& vertices,
                                          const std::vector<Obj3dFace>& faces) {
    auto pos = [&](int32_t i) {
        const Obj3dVertex& x = vertices[static_cast<size_t>(i)];
        return math::Float3{x.posx, x.posy, x.posz};
    };
    std::vector<Obj3dNormal> normals(vertices.size());
    for (size_t v = 0; v < vertices.size(); ++v) {
        if (vertices[v].originalvertexno != -1) continue;
        math::Float3 sum{0.0f, 0.0f, 0.0f};
        bool cornered = false, usable = false;
        for (const Obj3dFace& f : faces)
            for (int k = 0; k < 3; ++k) {
                const int32_t c = f.vertexno[k];
                if (f.partno != vertices[v].partno ||
                    (c != static_cast<int32_t>(v) &&
                     vertices[static_cast<size_t>(c)].originalvertexno != static_cast<int32_t>(v)))
                    continue;
                const math::Float3 e1 = pos(f.vertexno[(k + 1) % 3]) - pos(c);
                const math::Float3 e2 = pos(f.vertexno[(k + 2) % 3]) - pos(c);
                const float cosine = std::clamp(math::dot(e1, e2) / (math::length(e1) * math::length(e2)), -1.0f, 1.0f);
                const math::Float3 unit = math::normalize(math::cross(e1, e2));
                const math::Float3 term = unit * math::scalarACos(cosine);
                cornered = true;
                if (math::dot(unit, unit) == 0.0f || !std::isfinite(term.x + term.y + term.z)) continue;
                usable = true;
                sum = sum + term;
            }
        const math::Float3 n = cornered && !usable ? math::Float3{0.0f, 0.0f, 1.0f} : math::normalize(sum);
        normals[v] = {n.x, n.y, n.z};
    }
    for (size_t v = 0; v < vertices.size(); ++v)
        if (vertices[v].originalvertexno >= 0) normals[v] = normals[static_cast<size_t>(vertices[v].originalvertexno)];
    return normals;
}

// Face i exchanges material and corners with every later face of its part
// whose material is below i's current one.
void referenceFaceOrder(std::vector<Obj3dFace>& faces) {
    for (size_t i = 0; i < faces.size(); ++i)
        for (size_t j = i + 1; j < faces.size() && faces[j].partno <= faces[i].partno; ++j)
            if (faces[i].matno > faces[j].matno) {
                std::swap(faces[i].matno, faces[j].matno);
                std::swap(faces[i].vertexno, faces[j].vertexno);
            }
}

}  // namespace korvel::model::xfile::testing
