#include "model/xfile_normals.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "math/vector.h"

namespace korvel::model::xfile {
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

}  // namespace korvel::model::xfile
