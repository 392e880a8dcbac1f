// Meshes to parts: vertices with normals and first texture coordinates,
// triangles, and the duplicates among a part's vertices.
#pragma once

#include <assimp/scene.h>

#include "axes.h"
#include "model.h"
#include "scene_pose.h"

namespace korvel_import {

// Where a part came from: the node that places it and its mesh.
struct PartSource {
    size_t node = 0;
    const aiMesh* mesh = nullptr;
};

// One part per placement of a mesh that has triangles, in node order, its
// vertices placed by the node at rest. Materials are still the scene's
// material numbers.
// Throws ImportError when nothing can be drawn.
std::vector<PartSource> addParts(const aiScene& scene, const ScenePose& pose, const Axes& axes, Model& model);

// Renumbers materials to the ones the faces use, in order of first use;
// returns the scene material of each model material.
std::vector<unsigned> compactMaterials(Model& model);

// Marks each vertex that repeats an earlier vertex of its part (same
// position, joints and weights, and the same shape-key displacements) as
// its duplicate; offsets holds, per vertex, its displacements (may be empty).
void markDuplicates(Model& model, const std::vector<std::vector<Vec3>>& offsets);

}  // namespace korvel_import
