// The name of the PT3 file an X import writes, always in the X file's own
// folder: within the file's own name (after the last '/' or '\'), its last
// ".x" is cut after the dot and "pt3" appended (model.x becomes model.pt3);
// a name without ".x" (model.X, model) gets ".pt3" appended.
#pragma once

#include <string>
#include <string_view>

namespace korvel::model::xfile {

std::string pt3PathFor(std::string_view xPath);

}  // namespace korvel::model::xfile
