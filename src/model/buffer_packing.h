// CPU packing of the shared model buffers: the vertices of a layout group's
// models back to back in the group's GPU vertex format, their faces as
// 32-bit indices, and the particle-hair triangles of all models. Packing
// writes where each model landed (basevertex, startindex, drawrange,
// hairstartindex) and nothing else; the models are given in slot order.
//
// Values outside a model's tables are never followed: a face corner outside
// the model's vertices is packed as a degenerate triangle (0, 0, 0), a skin
// joint outside the model's joints as joint 0 with weight 0, and a face whose
// part or material is outside the drawrange table is recorded in no range.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/layout_group.h"
#include "model/store.h"

namespace korvel::model {

// The number of vertices (or indices) the models contribute.
uint64_t groupVertexCount(std::span<Obj3dModel* const> models);
uint64_t groupIndexCount(std::span<Obj3dModel* const> models);
uint64_t hairIndexCount(std::span<Obj3dModel* const> models);

// Packed vertices (groupFormat(group).stride bytes each); sets basevertex.
std::vector<uint8_t> packVertices(std::span<Obj3dModel* const> models, LayoutGroup group);
// A fresh zeroed drawrange table per model (NumMaterial x NumPart entries,
// absent when that cannot be allocated).
void resetDrawRanges(std::span<Obj3dModel* const> models);
// Packed face indices; sets startindex and fills the drawrange tables.
std::vector<uint32_t> packIndices(std::span<Obj3dModel* const> models);
// Packed particle-hair triangles; sets hairstartindex of models with hair.
std::vector<uint32_t> packHairIndices(std::span<Obj3dModel* const> models);

// The shape-key vertex index of each vertex: its identity (originalvertexno
// when 0 or more, else its own index) looked up in the shape-key vertex list
// from position 0; -1 when not listed or the model has no shape keys.
std::vector<int32_t> shapekeyVertexIndices(const Obj3dModel& model);

}  // namespace korvel::model
