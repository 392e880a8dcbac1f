// Per-vertex joint weights of an imported X model. A skin-weight entry names
// a bone; the bone's joint is the last joint of the same name, and entries
// whose bone names no joint are dropped. A vertex's entries with a joint and
// a weight above 0, in entry order, fill jointno0/weight0 then
// jointno1/weight1; with fewer than two, jointno1 is -1 and weight1 0, and
// with none jointno0 and weight0 stay 0. A vertex with more than two keeps
// its two largest weights (the earlier entry wins a tie), in entry order,
// scaled so that they add up to the sum of all its weights.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/records.h"
#include "model/xfile_raw.h"

namespace korvel::model::xfile {

// Entry vertices lie below numVertex and entry bones within boneNames.
std::vector<Obj3dWeight> vertexWeights(size_t numVertex, std::span<const SkinEntry> entries,
                                       std::span<const std::string> boneNames, std::span<const RawJoint> joints);

}  // namespace korvel::model::xfile
