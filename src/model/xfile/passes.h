// The X importer's passes over the file: the counting passes run before any
// table exists, then the mesh pass into the raw tables, and the joint and
// animation passes into the model.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/records.h"
#include "model/store.h"
#include "model/xfile/text.h"
#include "platform/memory.h"

namespace korvel::model::xfile {

// What the X importer's passes collect before the model tables are built:
// the working tables of raw vertices, faces, materials, skin-weight entries
// and joints, numbered across all meshes of the file. Vertices and faces go
// into storage the caller sized from the counting passes (the face storage
// is the model's own face table), so the largest tables are never copied.

// Diffuse r, g, b, alpha, power, specular r, g, b, emissive r, g, b, as read.
inline constexpr int kColourValues = 11;

struct RawMaterial {
    float colour[kColourValues] = {};
    std::string texture;  // empty: no texture name
};

struct SkinEntry {
    int32_t bone;    // index into the bone names
    int32_t vertex;  // raw vertex index
    float weight;
};

struct RawJoint {
    std::string name;
    int32_t parent = -1;
    float pos[3] = {};  // model space once the joint pass has finished
};

struct RawModel {
    std::vector<std::string> partNames;
    // Model records in raw numbering, positions unscaled: matno is -1 until
    // a face uses the vertex, originalvertexno -1 until the clean-up.
    std::span<Obj3dVertex> vertices;
    std::span<Obj3dFace> faces;  // corners and materials in raw numbering
    std::vector<RawMaterial> materials;
    std::vector<std::string> boneNames;
    platform::LargeVector<SkinEntry> skin;
};

// The X importer's counting passes, run before any table is allocated: the
// meshes with their vertex, face, material, bone and weight counts; the
// joints (lines naming a "_Joint" frame under the joint root frame, up to the
// first line that starts with 'A'); the animation sets with their key counts
// and the animation targets of the last set.

struct MeshCounts {
    int32_t vertices = 0;
    int32_t faces = 0;
    int32_t materials = 0;
    int32_t bones = 0;             // with skin only
    int64_t weights = 0;           // weight entries over the mesh's bones
    bool negativeWeights = false;  // a bone with a negative weight count
    // The line taken for the mesh's opening opens another block (MeshNormals
    // and the like), which the paired layout never has there.
    bool otherBlock = false;
};

// Every mesh from the current position on; with skin, also bones and weights.
std::vector<MeshCounts> countMeshes(XLines& lines, bool skin);

// Joint lines from the current position on; rootLine becomes where the
// joint root frame's line starts, when there is one.
int64_t countJoints(XLines& lines, std::optional<uint64_t>& rootLine);

struct MotionCounts {
    std::vector<int32_t> frames;           // key count of each set, from its first animation
    std::vector<std::string> targets;      // the last set's targets, one per joint
    std::optional<uint64_t> firstSetLine;  // where the first set's line starts
};

// Animation sets from the current position on; targets are read for up to
// numJoint animations per set.
MotionCounts countMotions(XLines& lines, int64_t numJoint);

// The X importer's mesh pass: every mesh block again, now reading positions,
// triangles, texture coordinates, face materials, materials and (with skin)
// skin weights into the raw tables, numbered across meshes. Each mesh must
// show the counts the counting pass found, and every index must lie within
// its mesh; otherwise the pass fails and the model cannot be built.

// Reads from the current position on, with counts already checked to be
// non-negative and within the file size, into raw's vertex and face storage
// of the counts' totals; false when the file disagrees with the counts or an
// index lies outside its mesh.
bool readMeshes(XLines& lines, std::span<const MeshCounts> counts, bool skin, RawModel& raw);

// The X importer's joint and animation passes.
//
// Joints: under the joint root frame, every line naming a "_Joint" frame is
// the next joint, child of the innermost open joint frame; its position is
// the translation row of its frame matrix times the scale, plus its
// parent's model-space position. A line with "}" closes the innermost joint.
//
// Animations: each animation set is a motion; each of its animations, one
// per joint position, holds n rotation, n scale and n translation keys for
// the joint its target names (the targets of the last set serve all sets).
// Rotations are stored conjugated, translations scaled and offset by the
// parent joint's model-space position. An animation whose target names no
// joint is read past and stored nowhere.

// From the current position on; false unless exactly numJoint joints are
// found.
bool readJoints(XLines& lines, int32_t numJoint, float scale, std::vector<RawJoint>& joints);

// Fills the model's motion, frameno and keyframe tables, sized for the
// counts; false when a set's key count differs from the counted one or the
// sets differ from the counted sets.
bool readAnimations(XLines& lines, const MotionCounts& counts, std::span<const RawJoint> joints, float scale,
                    Obj3dModel& model);

}  // namespace korvel::model::xfile
