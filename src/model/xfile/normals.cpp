// Vertex normals of an imported X model: the angle-weighted sum of the face
// normals around each vertex. A face's three corner terms are computed side
// by side in the lanes of one vector register where the processor has them
// (SSE on x86-64): every lane runs the scalar operations in the scalar order,
// and SQRTPS and DIVPS round each lane as SQRTSS and DIVSS do, so the sums
// keep their bits while the square roots and divisions of a face cost one
// instruction each instead of three.
#include "model/xfile/cleanup.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "math/vector.h"

namespace korvel::model::xfile {

namespace {

math::Float3 position(const Obj3dVertex& v) { return {v.posx, v.posy, v.posz}; }

// What a vertex's corners gave so far.
enum class Corners : uint8_t { none, degenerateOnly, usable };

// The normal of a vertex whose every corner is degenerate.
constexpr Obj3dNormal kFallbackNormal{0.0f, 0.0f, 1.0f};

// Corner k's term in lane k: its angle times the unit normal of the face's
// plane, with a and b the corners after it in cyclic order, e1 = a - c and
// e2 = b - c. A degenerate corner (a face without area: a zero-length edge,
// three points on a line; or a term that is not finite) is not usable.
struct FaceTerms {
    float x[4], y[4], z[4];
    bool usable[3];
};

bool usableTerm(float unitLengthSquared, float x, float y, float z) {
    return unitLengthSquared != 0.0f && std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

#if defined(__SSE2__) || defined(_M_X64)

// Lane 3 repeats corner 0 and is not read.
__m128 lanes(float c0, float c1, float c2) { return _mm_setr_ps(c0, c1, c2, c0); }

__m128 dot(__m128 ax, __m128 ay, __m128 az, __m128 bx, __m128 by, __m128 bz) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(ax, bx), _mm_mul_ps(ay, by)), _mm_mul_ps(az, bz));
}

FaceTerms faceTerms(const math::Float3 p[3]) {
    const __m128 cx = lanes(p[0].x, p[1].x, p[2].x), cy = lanes(p[0].y, p[1].y, p[2].y),
                 cz = lanes(p[0].z, p[1].z, p[2].z);
    const __m128 e1x = _mm_sub_ps(lanes(p[1].x, p[2].x, p[0].x), cx),
                 e1y = _mm_sub_ps(lanes(p[1].y, p[2].y, p[0].y), cy),
                 e1z = _mm_sub_ps(lanes(p[1].z, p[2].z, p[0].z), cz);
    const __m128 e2x = _mm_sub_ps(lanes(p[2].x, p[0].x, p[1].x), cx),
                 e2y = _mm_sub_ps(lanes(p[2].y, p[0].y, p[1].y), cy),
                 e2z = _mm_sub_ps(lanes(p[2].z, p[0].z, p[1].z), cz);
    const __m128 lengthToA = _mm_sqrt_ps(dot(e1x, e1y, e1z, e1x, e1y, e1z));
    const __m128 lengthToB = _mm_sqrt_ps(dot(e2x, e2y, e2z, e2x, e2y, e2z));
    __m128 cosine = _mm_div_ps(dot(e1x, e1y, e1z, e2x, e2y, e2z), _mm_mul_ps(lengthToA, lengthToB));
    // Clamped to [-1, 1]; MAXPS and MINPS give their second operand for a
    // NaN, which stays NaN as the scalar comparisons leave it.
    cosine = _mm_min_ps(_mm_set1_ps(1.0f), _mm_max_ps(_mm_set1_ps(-1.0f), cosine));

    // The unit normal. Where the cross product's length is 0 or its square
    // overflows, the division gives infinities, NaN or zeros, which leave the
    // corner unusable as math::normalize's zero vector and NaN do.
    const __m128 nx = _mm_sub_ps(_mm_mul_ps(e1y, e2z), _mm_mul_ps(e1z, e2y));
    const __m128 ny = _mm_sub_ps(_mm_mul_ps(e1z, e2x), _mm_mul_ps(e1x, e2z));
    const __m128 nz = _mm_sub_ps(_mm_mul_ps(e1x, e2y), _mm_mul_ps(e1y, e2x));
    const __m128 length = _mm_sqrt_ps(dot(nx, ny, nz, nx, ny, nz));
    const __m128 ux = _mm_div_ps(nx, length), uy = _mm_div_ps(ny, length), uz = _mm_div_ps(nz, length);

    float cosines[4];
    _mm_storeu_ps(cosines, cosine);
    const __m128 angle =
        _mm_setr_ps(math::scalarACos(cosines[0]), math::scalarACos(cosines[1]), math::scalarACos(cosines[2]), 0.0f);
    FaceTerms terms;
    _mm_storeu_ps(terms.x, _mm_mul_ps(ux, angle));
    _mm_storeu_ps(terms.y, _mm_mul_ps(uy, angle));
    _mm_storeu_ps(terms.z, _mm_mul_ps(uz, angle));
    float unitLengthSquared[4];
    _mm_storeu_ps(unitLengthSquared, dot(ux, uy, uz, ux, uy, uz));
    for (int k = 0; k < 3; ++k) terms.usable[k] = usableTerm(unitLengthSquared[k], terms.x[k], terms.y[k], terms.z[k]);
    return terms;
}

#else

FaceTerms faceTerms(const math::Float3 p[3]) {
    FaceTerms terms{};
    for (int k = 0; k < 3; ++k) {
        const math::Float3 e1 = p[(k + 1) % 3] - p[k];
        const math::Float3 e2 = p[(k + 2) % 3] - p[k];
        float cosine = math::dot(e1, e2) / (math::length(e1) * math::length(e2));
        if (cosine < -1.0f) cosine = -1.0f;
        if (cosine > 1.0f) cosine = 1.0f;
        const math::Float3 unit = math::normalize(math::cross(e1, e2));
        const math::Float3 term = unit * math::scalarACos(cosine);
        terms.x[k] = term.x;
        terms.y[k] = term.y;
        terms.z[k] = term.z;
        terms.usable[k] = usableTerm(math::dot(unit, unit), term.x, term.y, term.z);
    }
    return terms;
}

#endif

}  // namespace

void vertexNormals(std::span<const Obj3dVertex> vertices, std::span<const Obj3dFace> faces,
                   std::span<Obj3dNormal> normals) {
    // The sums build up in the normals themselves.
    std::fill(normals.begin(), normals.end(), Obj3dNormal{0.0f, 0.0f, 0.0f});
    std::vector<Corners> corners(vertices.size(), Corners::none);
    for (const Obj3dFace& f : faces) {
        const math::Float3 p[3] = {position(vertices[static_cast<size_t>(f.vertexno[0])]),
                                   position(vertices[static_cast<size_t>(f.vertexno[1])]),
                                   position(vertices[static_cast<size_t>(f.vertexno[2])])};
        const FaceTerms terms = faceTerms(p);
        for (int k = 0; k < 3; ++k) {
            const auto c = static_cast<size_t>(f.vertexno[k]);
            const int32_t source = vertices[c].originalvertexno;
            const size_t owner = source >= 0 ? static_cast<size_t>(source) : c;
            if (vertices[owner].originalvertexno != -1 || vertices[owner].partno != f.partno) continue;
            if (terms.usable[k]) {
                Obj3dNormal& sum = normals[owner];
                sum = {sum.normx + terms.x[k], sum.normy + terms.y[k], sum.normz + terms.z[k]};
                corners[owner] = Corners::usable;
            } else if (corners[owner] == Corners::none) {
                corners[owner] = Corners::degenerateOnly;
            }
        }
    }
    for (size_t v = 0; v < vertices.size(); ++v) {
        if (vertices[v].originalvertexno != -1) continue;
        if (corners[v] == Corners::degenerateOnly) {
            normals[v] = kFallbackNormal;
            continue;
        }
        const Obj3dNormal& sum = normals[v];
        const math::Float3 n = math::normalize(math::Float3{sum.normx, sum.normy, sum.normz});
        normals[v] = {n.x, n.y, n.z};
    }
    for (size_t v = 0; v < vertices.size(); ++v) {
        const int32_t source = vertices[v].originalvertexno;
        if (source >= 0) normals[v] = normals[static_cast<size_t>(source)];
    }
}

}  // namespace korvel::model::xfile
