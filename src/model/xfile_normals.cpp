#include "model/xfile_normals.h"

#include "math/trig.h"
#include "math/vector.h"

namespace korvel::model::xfile {
namespace {

math::Float3 position(const Obj3dVertex& v) { return {v.posx, v.posy, v.posz}; }

// The corner's angle times the unit normal of the face's plane.
math::Float3 cornerTerm(math::Float3 c, math::Float3 a, math::Float3 b) {
    const math::Float3 e1 = a - c;
    const math::Float3 e2 = b - c;
    float cosine = math::dot(e1, e2) / (math::length(e1) * math::length(e2));
    if (cosine < -1.0f) cosine = -1.0f;
    if (cosine > 1.0f) cosine = 1.0f;
    return math::normalize(math::cross(e1, e2)) * math::scalarACos(cosine);
}

}  // namespace

std::vector<Obj3dNormal> vertexNormals(std::span<const Obj3dVertex> vertices, std::span<const Obj3dFace> faces) {
    std::vector<math::Float3> sums(vertices.size(), math::Float3{0.0f, 0.0f, 0.0f});
    for (const Obj3dFace& f : faces) {
        for (int k = 0; k < 3; ++k) {
            const auto c = static_cast<size_t>(f.vertexno[k]);
            const int32_t source = vertices[c].originalvertexno;
            const size_t owner = source >= 0 ? static_cast<size_t>(source) : c;
            if (vertices[owner].originalvertexno != -1 || vertices[owner].partno != f.partno) continue;
            const Obj3dVertex& a = vertices[static_cast<size_t>(f.vertexno[(k + 1) % 3])];
            const Obj3dVertex& b = vertices[static_cast<size_t>(f.vertexno[(k + 2) % 3])];
            sums[owner] = sums[owner] + cornerTerm(position(vertices[c]), position(a), position(b));
        }
    }
    std::vector<Obj3dNormal> normals(vertices.size());
    for (size_t v = 0; v < vertices.size(); ++v) {
        if (vertices[v].originalvertexno != -1) continue;
        const math::Float3 n = math::normalize(sums[v]);
        normals[v] = {n.x, n.y, n.z};
    }
    for (size_t v = 0; v < vertices.size(); ++v) {
        const int32_t source = vertices[v].originalvertexno;
        if (source >= 0) normals[v] = normals[static_cast<size_t>(source)];
    }
    return normals;
}

}  // namespace korvel::model::xfile
