// Morph targets as shape keys. Each usable target of a mesh becomes a shape
// key with two key frames, 0 (no displacement) and 100 (the whole target),
// so that a shape-key frame reads as a weight in percent. Each animation of
// a mesh's morph weights becomes one more shape key, sampled at every frame
// like the motions. Drawing holds the displacements of at most 64 vertices;
// meshes past that keep their geometry without shape keys.
#pragma once

#include <assimp/scene.h>

#include <string>
#include <vector>

#include "axes.h"
#include "geometry.h"
#include "model.h"
#include "scene_pose.h"

namespace korvel_import {

inline constexpr size_t kMaxShapekeyVertices = 64;

// Per model vertex, the displacement by each morph target of its mesh (in
// model units), empty for meshes without usable targets.
std::vector<std::vector<Vec3>> morphOffsets(const ScenePose& pose, const Axes& axes,
                                            const std::vector<PartSource>& parts, const Model& model,
                                            std::vector<std::string>& warnings);

// Adds the shape keys; needs the vertices' duplicates marked.
void addShapekeys(const aiScene& scene, const ScenePose& pose, const std::vector<PartSource>& parts,
                  const std::vector<std::vector<Vec3>>& offsets, int fps, Model& model,
                  std::vector<std::string>& warnings);

}  // namespace korvel_import
