// The scene side of a conversion: scene coordinates to model coordinates (a
// uniform scale and, for right-handed +y-up scenes turned left-handed, z
// mirrored); values of animation keys at a time (linear between keys,
// spherical for rotations, the first key before it, the last after it); and
// the node tree of a scene, flattened parents first, with the global
// transform of every node at rest or at a time of an animation.
#pragma once

#include <assimp/anim.h>
#include <assimp/matrix4x4.h>
#include <assimp/scene.h>
#include <assimp/vector3.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "model.h"

namespace korvel_import {

using Matrix = aiMatrix4x4t<double>;

inline Matrix toDouble(const aiMatrix4x4& m) {
    return Matrix(m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3, m.d4);
}

class Axes {
public:
    Axes(double scale, bool mirrorZ) : scale_(scale), mirror_(mirrorZ ? -1.0 : 1.0) {}

    Vec3 point(const aiVector3t<double>& p) const { return {p.x * scale_, p.y * scale_, p.z * scale_ * mirror_}; }
    Vec3 direction(const aiVector3t<double>& d) const { return {d.x, d.y, d.z * mirror_}; }
    // The same transform acting on model coordinates: C m C^-1.
    Matrix conjugate(const Matrix& m) const {
        Matrix out = m;
        // The linear part sees the mirror on both sides; the translation is a point.
        out.a3 *= mirror_;
        out.b3 *= mirror_;
        out.c1 *= mirror_;
        out.c2 *= mirror_;
        out.a4 *= scale_;
        out.b4 *= scale_;
        out.c4 *= scale_ * mirror_;
        return out;
    }
    bool mirrors() const { return mirror_ < 0; }

private:
    double scale_;
    double mirror_;
};

// The pair of keys around t and the blend factor between them; lo == hi
// when t is outside the keys or on one.
struct KeySpan {
    unsigned lo = 0, hi = 0;
    double u = 0;
};

template <class KeyT>
KeySpan findKeys(const KeyT* keys, unsigned count, double t) {
    if (t <= keys[0].mTime) return {};
    if (t >= keys[count - 1].mTime) return {count - 1, count - 1, 0};
    unsigned lo = 0, hi = count - 1;  // keys[lo].mTime < t < keys[hi].mTime
    while (hi - lo > 1) {
        const unsigned mid = lo + (hi - lo) / 2;
        (keys[mid].mTime <= t ? lo : hi) = mid;
    }
    const double span = keys[hi].mTime - keys[lo].mTime;
    return {lo, hi, span > 0 ? (t - keys[lo].mTime) / span : 0};
}

inline aiVector3t<double> sampleVector(const aiVectorKey* keys, unsigned count, double t, aiVector3t<double> fallback) {
    if (keys == nullptr || count == 0) return fallback;
    const KeySpan s = findKeys(keys, count, t);
    const aiVector3D& a = keys[s.lo].mValue;
    const aiVector3D& b = keys[s.hi].mValue;
    return {a.x + s.u * (b.x - a.x), a.y + s.u * (b.y - a.y), a.z + s.u * (b.z - a.z)};
}

inline aiQuaterniont<double> sampleRotation(const aiQuatKey* keys, unsigned count, double t,
                                            aiQuaterniont<double> fallback) {
    if (keys == nullptr || count == 0) return fallback;
    const KeySpan s = findKeys(keys, count, t);
    const aiQuaternion& a = keys[s.lo].mValue;
    const aiQuaternion& b = keys[s.hi].mValue;
    aiQuaterniont<double> out;
    aiQuaterniont<double>::Interpolate(out, {a.w, a.x, a.y, a.z}, {b.w, b.x, b.y, b.z}, s.u);
    return out.Normalize();
}

class ScenePose {
public:
    // Throws ImportError for a node graph that is not a tree.
    explicit ScenePose(const aiScene& scene);

    // Nodes in depth-first order; parent(i) < i, -1 for the root.
    size_t nodeCount() const { return nodes_.size(); }
    const aiNode* node(size_t i) const { return nodes_[i]; }
    int parent(size_t i) const { return parents_[i]; }
    // Index of a node, or -1; the first node of that name.
    int indexOf(const aiNode* node) const;
    int indexOfName(const std::string& name) const;

    // Global transforms as the nodes' own transforms give them.
    void setRest();
    // Global transforms at a time in ticks; nodes the animation does not
    // move keep their own transform; keys are held before the first and after
    // the last.
    void setTime(const aiAnimation& animation, double ticks);
    const Matrix& global(size_t i) const { return globals_[i]; }
    const Matrix& rest(size_t i) const { return rest_[i]; }

private:
    void compose(const std::vector<Matrix>& locals);

    std::vector<const aiNode*> nodes_;
    std::vector<int> parents_;
    std::unordered_map<const aiNode*, int> byNode_;
    std::unordered_map<std::string, int> byName_;
    std::vector<Matrix> globals_;
    std::vector<Matrix> rest_;
};

}  // namespace korvel_import
