// korvel-import's conversion: a model file that the asset importer reads,
// to a PT3 file and the texture files it names. Usable from other tools. The
// entry points come first, then the stages convertScene runs, in order.
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model.h"
#include "scene_pose.h"

namespace korvel_import {

// A texture file to create next to the PT3 file: a copy of a file, or the
// bytes of a texture embedded in the scene.
struct TextureFile {
    std::filesystem::path from;
    std::string bytes;
    std::filesystem::path to;
};

struct Options {
    double scale = 1.0;
    bool leftHanded = false;  // mirror z: +y-up right-handed to the library's left-handed axes
    int fps = 30;
};

// Reads a scene with the importer's steps the conversion relies on
// (triangles, shared vertices, normals where missing). Throws ImportError
// when the file cannot be read, or when the reader had to drop malformed
// faces.
const aiScene& readScene(Assimp::Importer& importer, const std::filesystem::path& source);

// The model of a scene; textures to write next to output go to files.
Model convertScene(const aiScene& scene, const std::filesystem::path& source, const std::filesystem::path& output,
                   const Options& options, std::vector<TextureFile>& files, std::vector<std::string>& warnings);

// Reads, converts and writes: the textures first, then the PT3 file under a
// temporary name that becomes output only once the library has read it
// back. On failure nothing it created is left. Throws ImportError.
Model importFile(const std::filesystem::path& source, const std::filesystem::path& output, const Options& options,
                 std::vector<std::string>& warnings);

// --- Geometry. Meshes to parts: vertices with normals and first texture
// coordinates, triangles, and the duplicates among a part's vertices.

// Where a part came from: the node that places it and its mesh.
struct PartSource {
    size_t node = 0;
    const aiMesh* mesh = nullptr;
};

// One part per placement of a mesh that has triangles, in node order, its
// vertices placed by the node at rest. Materials are still the scene's
// material numbers. Throws ImportError when nothing can be drawn.
std::vector<PartSource> addParts(const aiScene& scene, const ScenePose& pose, const Axes& axes, Model& model);

// Renumbers materials to the ones the faces use, in order of first use;
// returns the scene material of each model material.
std::vector<unsigned> compactMaterials(Model& model);

// Marks each vertex that repeats an earlier vertex of its part (same
// position, joints and weights, and the same shape-key displacements) as
// its duplicate; offsets holds, per vertex, its displacements (may be empty).
void markDuplicates(Model& model, const std::vector<std::vector<Vec3>>& offsets);

// --- Materials. Materials and their diffuse textures. A texture is looked for
// where the file says and near the source file, then copied next to the PT3
// file (or referenced when it is already there), so that the library finds it
// by the name the PT3 file gives.

// Fills model.materials from the scene materials the model uses; textures
// to write go to files, problems that leave a material untextured to
// warnings.
void addMaterials(const aiScene& scene, const std::vector<unsigned>& sceneMaterials,
                  const std::filesystem::path& source, const std::filesystem::path& output, Model& model,
                  std::vector<TextureFile>& files, std::vector<std::string>& warnings);

// The texture file as written in a scene, looked for as written, relative to
// the source's folder, and by its last one to four names under that folder
// and up to three folders above it (the file name in any case); empty when
// none exists.
std::filesystem::path findTexture(const std::string& written, const std::filesystem::path& sourceFolder);

// --- Skeleton. Joints, skin weights and motions. Each joint follows one node
// of the scene: a vertex bound to it (stored placed by its mesh's node at rest)
// is moved by the node's global transform at the frame times the joint's
// bind-inverse: a bone's offset matrix after undoing the mesh node's rest
// transform, or for meshes that ride on a node that inverse alone. The library chains
// joint matrices through the hierarchy, so each key is the joint's transform
// relative to its parent, written as the library's scale, rotation and
// translation about the joint's rest position.

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

// --- Shape keys. Morph targets as shape keys. Each usable target of a mesh
// becomes a shape key with two key frames, 0 (no displacement) and 100 (the
// whole target), so that a shape-key frame reads as a weight in percent. Each
// animation of a mesh's morph weights becomes one more shape key, sampled at
// every frame like the motions. Drawing holds the displacements of at most 64
// vertices; meshes past that keep their geometry without shape keys.

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

// --- Writing. Creates the texture files, then the PT3 file (laid out as the
// library's reader expects it: counts, vertices with normals and skin columns
// when the model has joints, faces, materials, then parts, joints, motions and
// keys, and shape keys when the model has any of them) under a temporary name
// in output's folder, reads it back with the library (the counts must be the
// model's) and renames it to output. Throws ImportError, having removed every
// file it created, also for a value the format cannot carry: a real that is
// not finite or lies beyond +-10,000,000 (its line would outgrow the
// reader's).
void writeModelFiles(const Model& model, const std::vector<TextureFile>& textures, const std::filesystem::path& output);

}  // namespace korvel_import
