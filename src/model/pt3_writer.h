// Writing a model as a PT3 file, laid out line for line as the X importer
// writes it, so reading the file back with scale 1 and the same normalmode
// gives the same tables. Numbers are formatted as C printf "%d" and "%f" in
// the "C" locale, whatever the process locale is.
//
// Layout: count line; column-flag line (normals when normalmode is 1, skin
// columns when skinmode is 1 or 2 or the model has joints); vertex, face and
// material sections; part lines; joints when skinmode is 1 or 2 or the model
// has joints; motions and keys when skinmode is 2 or the model has motions;
// then shape keys and particle hair when the model has them. A section with
// a header but no lines is left out where the reader would not skip it.
#pragma once

#include <string>
#include <vector>

#include "model/store.h"

namespace korvel::model {

// Names the tables do not keep. A material's texture is written as
// "None" when its texsrvno is -1 or it has no non-empty name here; parts
// and joints without a name here are written as "part<n>" and "joint<n>".
struct Pt3Names {
    std::vector<std::string> texture;
    std::vector<std::string> part;
    std::vector<std::string> joint;
};

// The file's text; the model must be occupied.
std::string pt3Text(const Obj3dModel& model, const Pt3Names& names);
// Writes the text to a file; false when it cannot be created or written.
bool writePt3File(const std::string& utf8Path, const Obj3dModel& model, const Pt3Names& names);

}  // namespace korvel::model
