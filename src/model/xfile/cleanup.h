// From the raw tables to the model's: the clean-up that merges vertices and
// materials, the order of faces by material, vertex normals and skin weights,
// each in linear (or near-linear) time with the exact result of the pairwise
// definition it states.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/records.h"
#include "model/xfile/passes.h"

namespace korvel::model::xfile {

// The X importer's clean-up of the raw tables, each step in linear expected
// time (hash tables instead of the pairwise comparisons that define them):
//   1. each face writes its material into its three corners, in face order;
//   2. a vertex whose material has no texture name gets texture coordinates 0;
//   3. within a part, a vertex equal to an earlier unmerged one in material,
//      position and texture coordinates (float ==) merges into the earliest;
//      faces follow, its skin-weight entries are dropped;
//   4. within a part, an unmerged vertex at the same position (float ==) as
//      an earlier unmerged one gets the earliest as its originalvertexno;
//   5. a material equal to an earlier one in all eleven colour values and
//      the texture name merges into the earliest; faces and vertices follow;
//   6. unmerged vertices and materials are renumbered in order, positions
//      multiplied by the scale.

struct CleanModel {
    std::span<Obj3dVertex> vertices;  // the front of the raw vertex storage
    std::span<Obj3dFace> faces;       // the raw face storage, renumbered
    std::vector<RawMaterial> materials;
    platform::LargeVector<SkinEntry> skin;  // in entry order, vertices renumbered
};

// Steps 1 to 6, in raw's own storage: the vertices left close up at its
// front. Face corners and materials must lie within the raw tables.
CleanModel cleanUp(RawModel& raw, float scale);

// Ordering an imported model's faces by material within each part, with the
// exact result of the exchange sort that defines it: for each face i, each
// later face j of the same part whose material is smaller than i's current
// one exchanges material and corners with i. That sort is not stable; this
// reproduces its permutation (face_order.cpp) in time proportional to
// (faces + exchanges) x log(faces), where a face takes part in at most one
// exchange per distinct smaller material.

// Faces must be grouped by part in ascending part order.
void orderFacesByMaterial(std::span<Obj3dFace> faces);

// Vertex normals of an imported X model. Each unsplit vertex v (one whose
// originalvertexno is -1) sums, over every corner c of a face of v's part
// where c is v or a copy of v, the corner's angle times the unit normal of
// the face's plane: with a and b the face's next corners after c in cyclic
// order, e1 = a - c, e2 = b - c, the sum gains
// acos(clamp(e1.e2 / (|e1| |e2|), -1, 1)) * normalise(e1 x e2).
// Contributions are added in face order, corner by corner, so the float sums
// are the same whatever way the faces are visited. A degenerate corner is
// skipped: one of a face without area (a zero-length edge, as a face
// collapsed by merging has, or three points on a line) or one whose term is
// not finite (coordinates too large, or not numbers).
// normal(v) = normalise(sum), or (0, 0, 1) when every corner of v was
// degenerate (a vertex of no face keeps the zero vector); every copy takes
// its source's normal. No normal is ever NaN.

// Corners and originalvertexno values must lie within the vertices; normals
// holds one record per vertex.
void vertexNormals(std::span<const Obj3dVertex> vertices, std::span<const Obj3dFace> faces,
                   std::span<Obj3dNormal> normals);

// Per-vertex joint weights of an imported X model. A skin-weight entry names
// a bone; the bone's joint is the last joint of the same name, and entries
// whose bone names no joint are dropped. A vertex's entries with a joint and
// a weight above 0, in entry order, fill jointno0/weight0 then
// jointno1/weight1; with fewer than two, jointno1 is -1 and weight1 0, and
// with none jointno0 and weight0 stay 0. A vertex with more than two keeps
// its two largest weights (the earlier entry wins a tie), in entry order,
// scaled so that they add up to the sum of all its weights.

// Entry vertices lie below weights.size() and entry bones within boneNames.
void vertexWeights(std::span<const SkinEntry> entries, std::span<const std::string> boneNames,
                   std::span<const RawJoint> joints, std::span<Obj3dWeight> weights);

}  // namespace korvel::model::xfile
