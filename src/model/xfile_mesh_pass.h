// The X importer's mesh pass: every mesh block again, now reading positions,
// triangles, texture coordinates, face materials, materials and (with skin)
// skin weights into the raw tables, numbered across meshes. Each mesh must
// show the counts the counting pass found, and every index must lie within
// its mesh; otherwise the pass fails and the model cannot be built.
#pragma once

#include <span>

#include "model/xfile_counts.h"
#include "model/xfile_lines.h"
#include "model/xfile_raw.h"

namespace korvel::model::xfile {

// Reads from the current position on, with counts already checked to be
// non-negative and within the file size; false when the file disagrees with
// the counts or an index lies outside its mesh.
bool readMeshes(XLines& lines, std::span<const MeshCounts> counts, bool skin, RawModel& raw);

}  // namespace korvel::model::xfile
