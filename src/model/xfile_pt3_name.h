// The name of the PT3 file an X import writes: the X path with its last
// ".x" cut after the dot and "pt3" appended (model.x becomes model.pt3); a
// path without ".x" gets ".pt3" appended.
#pragma once

#include <string>
#include <string_view>

namespace korvel::model::xfile {

std::string pt3PathFor(std::string_view xPath);

}  // namespace korvel::model::xfile
