// The pose a scene's own data gives a mesh's vertices, for comparing with
// what the library draws from the converted file: node transforms from
// their keys, chained to the root, each vertex skinned by all of its bone
// weights (offset matrix, then the bone's global transform) or placed by
// its node, after the morph targets at their weights.
#pragma once

#include <assimp/scene.h>

#include <optional>
#include <vector>

namespace korvel_import_test {

struct SourceVertex {
    aiVector3t<double> position;
    int influences = 0;       // bones holding the vertex
    bool unplacedBone = false;  // held by a bone whose node the scene lacks
};

// Positions in scene units of every vertex of the mesh that the node
// places, at ticks of animation (null: at rest), with the morph weights
// given (one per target; empty: none).
std::vector<SourceVertex> sourcePose(const aiScene& scene, const aiNode& meshNode, const aiMesh& mesh,
                                     const aiAnimation* animation, double ticks,
                                     const std::vector<double>& morphWeights);

// The morph weights an animation gives a mesh at ticks, linear between keys.
std::vector<double> sourceMorphWeights(const aiAnimation& animation, const aiMesh& mesh, double ticks);

}  // namespace korvel_import_test
