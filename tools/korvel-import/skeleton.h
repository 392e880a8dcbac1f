// Joints, skin weights and motions. Each joint follows one node of the
// scene: a vertex bound to it (stored placed by its mesh's node at rest) is
// moved by the node's global transform at the frame times the joint's
// bind-inverse: a bone's offset matrix after undoing the mesh node's rest
// transform, or for meshes that ride on a node that inverse alone.
// The library chains joint matrices through the hierarchy, so each key is
// the joint's transform relative to its parent, written as the library's
// scale, rotation and translation about the joint's rest position.
#pragma once

#include <assimp/scene.h>

#include <string>

#include "axes.h"
#include "geometry.h"
#include "model.h"
#include "scene_pose.h"

namespace korvel_import {

// Drawing holds at most this many joint matrices.
inline constexpr size_t kMaxJoints = 120;
// Bound on the key lines of a PT3 file (frames x motions x joints).
inline constexpr long long kMaxKeyLines = 1'000'000;

struct JointSource {
    int node = -1;  // -1: a bone whose node the scene lacks; it stays at its bind pose
    Matrix bindInverse;
    std::string name;
};

// Whether the scene needs joints: skinned meshes, or meshes that an
// animation moves.
bool needsSkeleton(const aiScene& scene, const ScenePose& pose, const std::vector<PartSource>& parts);

// Adds the joints, parents first, and each vertex's two heaviest weights,
// scaled to the vertex's total weight. Throws ImportError past kMaxJoints.
std::vector<JointSource> addSkeleton(const ScenePose& pose, const Axes& axes, const std::vector<PartSource>& parts,
                                     Model& model);

// Key frames of an animation at fps frames a second: frame f shows time
// f / fps, and the last frame reaches the animation's end. Throws
// ImportError for a duration that is not a number or over 100,000 frames.
int frameCount(const aiAnimation& animation, int fps);
double ticksAtFrame(const aiAnimation& animation, int fps, int frame);

// One motion per animation, sampled at every frame. Throws ImportError when
// the key lines would pass kMaxKeyLines.
void addMotions(const aiScene& scene, ScenePose& pose, const Axes& axes, const std::vector<JointSource>& joints,
                int fps, Model& model);

}  // namespace korvel_import
