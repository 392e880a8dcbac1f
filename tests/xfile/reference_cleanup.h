// The X importer's clean-up, normals and face order as pairwise loops
// (quadratic), transcribed from their definition: the reference that the
// linear implementation must reproduce exactly (and the benchmark's
// baseline).
#pragma once

#include <vector>

#include "model/records.h"
#include "model/xfile/cleanup.h"
#include "model/xfile/passes.h"

namespace korvel::model::xfile::testing {

CleanModel referenceCleanUp(RawModel raw, float scale);
// Skips corners of faces without area or with a term that is not finite.
std::vector<Obj3dNormal> referenceNormals(const std::vector<Obj3dVertex>& vertices,
                                          const std::vector<Obj3dFace>& faces);
void referenceFaceOrder(std::vector<Obj3dFace>& faces);

}  // namespace korvel::model::xfile::testing
