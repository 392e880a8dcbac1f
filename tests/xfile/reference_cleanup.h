// A direct transcription of the X importer's clean-up, normals and face
// order as pairwise loops (quadratic), kept as the reference the linear
// implementation must match exactly.
#pragma once

#include <vector>

#include "model/records.h"
#include "model/xfile_cleanup.h"
#include "model/xfile_raw.h"

namespace korvel::model::xfile::testing {

CleanModel referenceCleanUp(RawModel raw, float scale);
std::vector<Obj3dNormal> referenceNormals(const std::vector<Obj3dVertex>& vertices,
                                          const std::vector<Obj3dFace>& faces);
void referenceFaceOrder(std::vector<Obj3dFace>& faces);

}  // namespace korvel::model::xfile::testing
