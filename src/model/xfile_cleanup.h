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
#pragma once

#include <span>
#include <vector>

#include "model/records.h"
#include "model/xfile_raw.h"

namespace korvel::model::xfile {

// Step 3: for each vertex, the vertex it merges into, or itself.
std::vector<int32_t> mergeDuplicateVertices(std::span<const RawVertex> vertices);
// Step 4 on the vertices that step 3 left unmerged.
void markSharedPositions(std::span<RawVertex> vertices, std::span<const int32_t> mergedInto);
// Step 5: for each material, the material it merges into, or itself.
std::vector<int32_t> mergeDuplicateMaterials(std::span<const RawMaterial> materials);

struct CleanModel {
    std::vector<Obj3dVertex> vertices;
    std::vector<Obj3dFace> faces;
    std::vector<RawMaterial> materials;
    std::vector<SkinEntry> skin;  // in entry order, vertices renumbered
};

// Steps 1 to 6. Face corners and materials must lie within the raw tables.
CleanModel cleanUp(RawModel& raw, float scale);

}  // namespace korvel::model::xfile
