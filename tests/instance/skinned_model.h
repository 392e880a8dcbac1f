#pragma once

// A generated skinned model for tests and benchmarks: a random skeleton of
// chains and siblings, motions whose consecutive keys turn the quaternion's
// sign (negative dot products), and vertices bound to one or two joints, in
// contiguous parts with split copies following their sources.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "instance/test_models.h"

namespace korvel::testing {

struct SkinnedOptions {
    int joints = 8;
    int motions = 2;
    std::vector<int32_t> keyFrames = {0, 10, 25, 40};  // the same frames in every motion
    int vertices = 64;
    int parts = 3;
    int copyEvery = 4;  // every copyEvery-th vertex is a split copy of the one before; 0: none
    unsigned seed = 1;
};

inline ModelBlueprint skinnedModel(const SkinnedOptions& o) {
    std::mt19937 rng(o.seed);
    auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    ModelBlueprint blueprint;
    blueprint.numpart = o.parts;
    for (int j = 0; j < o.joints; ++j) {
        const int parent = j == 0 ? -1 : pick(j > 3 ? j - 3 : 0, j - 1);
        blueprint.joints.push_back({parent, uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)});
    }
    const int numframe = static_cast<int>(o.keyFrames.size());
    for (int i = 0; i < o.motions; ++i) {
        blueprint.motions.push_back({numframe, i * numframe, i * numframe * o.joints});
        blueprint.frameno.insert(blueprint.frameno.end(), o.keyFrames.begin(), o.keyFrames.end());
    }
    const size_t totalFrames = blueprint.frameno.size();
    blueprint.keyframes.resize(std::max<size_t>(totalFrames * o.motions * o.joints, 1));
    size_t key = 0;
    for (int i = 0; i < o.motions; ++i) {
        for (int j = 0; j < o.joints; ++j) {
            for (int f = 0; f < numframe; ++f, ++key) {
                float q[4] = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
                const float len = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]) + 1e-3f;
                // Keep successive keys close in rotation but of opposite sign.
                if (f > 0) {
                    const model::Obj3dKeyframe& prev = blueprint.keyframes[key - 1];
                    const float near[4] = {prev.rot4x, prev.rot4y, prev.rot4z, prev.rot4w};
                    for (int c = 0; c < 4; ++c) q[c] = -(near[c] + 0.4f * q[c] / len);
                } else {
                    for (float& c : q) c /= len;
                }
                const float n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
                const model::Obj3dJoint& joint = blueprint.joints[j];
                blueprint.keyframes[key] = {q[0] / n, q[1] / n, q[2] / n, q[3] / n,
                                       uniform(0.9f, 1.1f), uniform(0.9f, 1.1f), uniform(0.9f, 1.1f),
                                       joint.parentposx + uniform(-0.2f, 0.2f), joint.parentposy + uniform(-0.2f, 0.2f),
                                       joint.parentposz + uniform(-0.2f, 0.2f)};
            }
        }
    }
    for (int v = 0; v < o.vertices; ++v) {
        const int part = static_cast<int>(static_cast<long long>(v) * o.parts / o.vertices);
        const bool copy = o.copyEvery > 0 && v % o.copyEvery == o.copyEvery - 1 &&
                          static_cast<int>(static_cast<long long>(v - 1) * o.parts / o.vertices) == part;
        if (copy) {
            model::Obj3dVertex source = blueprint.vertices[v - 1];
            source.originalvertexno = v - 1;
            blueprint.vertices.push_back(source);
            blueprint.weights.push_back(blueprint.weights[v - 1]);
            continue;
        }
        blueprint.vertices.push_back(vertexAt(part, uniform(-2, 2), uniform(-2, 2), uniform(-2, 2)));
        const float w0 = uniform(0.3f, 1.0f);
        const bool two = pick(0, 2) != 0;
        blueprint.weights.push_back({pick(0, o.joints - 1), two ? pick(0, o.joints - 1) : -1, w0, two ? 1.0f - w0 : 0.0f});
    }
    for (int v = 0; v + 2 < o.vertices; v += 3) {
        const int part = blueprint.vertices[v].partno;
        if (blueprint.vertices[v + 2].partno == part) blueprint.faces.push_back(faceOf(part, v, v + 1, v + 2));
    }
    return blueprint;
}

}  // namespace korvel::testing
