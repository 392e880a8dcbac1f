// The PT3 text of a converted model, laid out as the library's reader
// expects it: counts, vertices with normals (and skin columns when the model
// has joints), faces, materials, then parts, joints, motions and keys, and
// shape keys when the model has any of them.
#pragma once

#include <string>

#include "model.h"

namespace korvel_import {

// Throws ImportError for a value the format cannot carry: a real that is not
// finite or lies beyond +-10,000,000 (its line would outgrow the reader's).
std::string pt3Text(const Model& model);

}  // namespace korvel_import
