#include "reference_cleanup.h"

#include <cmath>
#include <utility>

#include "math/trig.h"
#include "math/vector.h"

namespace korvel::model::xfile::testing {

CleanModel referenceCleanUp(RawModel raw, float scale) {
    std::vector<RawVertex>& v = raw.vertices;
    std::vector<Obj3dFace>& faces = raw.faces;
    std::vector<RawMaterial>& mats = raw.materials;
    const size_t n = v.size();

    for (const Obj3dFace& f : faces)
        for (int k = 0; k < 3; ++k) v[static_cast<size_t>(f.vertexno[k])].material = f.matno;
    for (RawVertex& x : v)
        if (x.material >= 0 && mats[static_cast<size_t>(x.material)].texture.empty()) x.tex[0] = x.tex[1] = 0.0f;
    for (RawVertex& x : v) x.original = -1;

    std::vector<bool> merged(n, false);
    std::vector<bool> skinDropped(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (merged[i]) continue;
        for (size_t j = i + 1; j < n; ++j) {
            if (merged[j]) continue;
            if (v[j].part != v[i].part) break;
            if (v[i].material == v[j].material && v[i].pos[0] == v[j].pos[0] && v[i].pos[1] == v[j].pos[1] &&
                v[i].pos[2] == v[j].pos[2] && v[i].tex[0] == v[j].tex[0] && v[i].tex[1] == v[j].tex[1]) {
                merged[j] = true;
                skinDropped[j] = true;
                for (Obj3dFace& f : faces)
                    for (int k = 0; k < 3; ++k)
                        if (f.vertexno[k] == static_cast<int32_t>(j)) f.vertexno[k] = static_cast<int32_t>(i);
            }
        }
    }
    for (size_t i = 0; i < n; ++i) {
        if (merged[i] || v[i].original != -1) continue;
        for (size_t j = i + 1; j < n; ++j) {
            if (merged[j] || v[j].original != -1) continue;
            if (v[j].part != v[i].part) break;
            if (v[i].pos[0] == v[j].pos[0] && v[i].pos[1] == v[j].pos[1] && v[i].pos[2] == v[j].pos[2])
                v[j].original = static_cast<int32_t>(i);
        }
    }
    std::vector<bool> matMerged(mats.size(), false);
    for (size_t i = 0; i < mats.size(); ++i) {
        if (matMerged[i]) continue;
        for (size_t j = i + 1; j < mats.size(); ++j) {
            if (matMerged[j]) continue;
            bool same = mats[i].texture == mats[j].texture;
            for (int c = 0; c < kColourValues; ++c) same = same && mats[i].colour[c] == mats[j].colour[c];
            if (!same) continue;
            matMerged[j] = true;
            for (Obj3dFace& f : faces)
                if (f.matno == static_cast<int32_t>(j)) f.matno = static_cast<int32_t>(i);
            for (RawVertex& x : v)
                if (x.material == static_cast<int32_t>(j)) x.material = static_cast<int32_t>(i);
        }
    }

    CleanModel out;
    std::vector<int32_t> renumber(n, -1);
    int32_t next = 0;
    for (size_t i = 0; i < n; ++i)
        if (!merged[i]) renumber[i] = next++;
    std::vector<int32_t> matRenumber(mats.size(), -1);
    int32_t nextMat = 0;
    for (size_t i = 0; i < mats.size(); ++i)
        if (!matMerged[i]) {
            matRenumber[i] = nextMat++;
            out.materials.push_back(mats[i]);
        }
    for (size_t i = 0; i < n; ++i) {
        if (merged[i]) continue;
        const RawVertex& x = v[i];
        out.vertices.push_back(Obj3dVertex{
            x.part, x.material < 0 ? x.material : matRenumber[static_cast<size_t>(x.material)],
            x.original < 0 ? -1 : renumber[static_cast<size_t>(x.original)], x.pos[0] * scale, x.pos[1] * scale,
            x.pos[2] * scale, x.tex[0], x.tex[1]});
    }
    for (Obj3dFace f : faces) {
        for (int k = 0; k < 3; ++k) f.vertexno[k] = renumber[static_cast<size_t>(f.vertexno[k])];
        f.matno = matRenumber[static_cast<size_t>(f.matno)];
        out.faces.push_back(f);
    }
    for (const SkinEntry& e : raw.skin)
        if (!skinDropped[static_cast<size_t>(e.vertex)])
            out.skin.push_back(SkinEntry{e.bone, renumber[static_cast<size_t>(e.vertex)], e.weight});
    return out;
}

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
        for (const Obj3dFace& f : faces) {
            if (f.partno != vertices[v].partno) continue;
            for (int k = 0; k < 3; ++k) {
                const int32_t c = f.vertexno[k];
                if (c != static_cast<int32_t>(v) &&
                    vertices[static_cast<size_t>(c)].originalvertexno != static_cast<int32_t>(v))
                    continue;
                const math::Float3 e1 = pos(f.vertexno[(k + 1) % 3]) - pos(c);
                const math::Float3 e2 = pos(f.vertexno[(k + 2) % 3]) - pos(c);
                float cosine = math::dot(e1, e2) / (math::length(e1) * math::length(e2));
                cosine = cosine < -1.0f ? -1.0f : (cosine > 1.0f ? 1.0f : cosine);
                const math::Float3 unit = math::normalize(math::cross(e1, e2));
                const math::Float3 term = unit * math::scalarACos(cosine);
                cornered = true;
                if (math::dot(unit, unit) == 0.0f || !std::isfinite(term.x) || !std::isfinite(term.y) ||
                    !std::isfinite(term.z))
                    continue;
                usable = true;
                sum = sum + term;
            }
        }
        const math::Float3 n = cornered && !usable ? math::Float3{0.0f, 0.0f, 1.0f} : math::normalize(sum);
        normals[v] = {n.x, n.y, n.z};
    }
    for (size_t v = 0; v < vertices.size(); ++v)
        if (vertices[v].originalvertexno >= 0) normals[v] = normals[static_cast<size_t>(vertices[v].originalvertexno)];
    return normals;
}

void referenceFaceOrder(std::vector<Obj3dFace>& faces) {
    for (size_t i = 0; i < faces.size(); ++i) {
        for (size_t j = i + 1; j < faces.size() && faces[j].partno <= faces[i].partno; ++j) {
            if (faces[i].matno > faces[j].matno) {
                std::swap(faces[i].matno, faces[j].matno);
                std::swap(faces[i].vertexno, faces[j].vertexno);
            }
        }
    }
}

}  // namespace korvel::model::xfile::testing
