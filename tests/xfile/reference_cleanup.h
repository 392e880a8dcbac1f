// The X importer's clean-up, normals and face order as pairwise loops
// (quadratic), transcribed from their definition: the reference that the
// linear implementation must reproduce exactly (and the benchmark's
// baseline).
#pragma once

#include <span>
#include <vector>

#include "model/records.h"
#include "model/xfile/cleanup.h"
#include "model/xfile/passes.h"

namespace korvel::model::xfile::testing {

// The clean-up's result in tables of its own.
struct ReferenceModel {
    std::vector<Obj3dVertex> vertices;
    std::vector<Obj3dFace> faces;
    std::vector<RawMaterial> materials;
    std::vector<SkinEntry> skin;
};

// Leaves raw as it is.
ReferenceModel referenceCleanUp(const RawModel& raw, float scale);
// Skips corners of faces without area or with a term that is not finite.
std::vector<Obj3dNormal> referenceNormals(std::span<const Obj3dVertex> vertices, std::span<const Obj3dFace> faces);
void referenceFaceOrder(std::vector<Obj3dFace>& faces);

}  // namespace korvel::model::xfile::testing
