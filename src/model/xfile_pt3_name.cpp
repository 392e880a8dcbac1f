#include "model/xfile_pt3_name.h"

namespace korvel::model::xfile {

std::string pt3PathFor(std::string_view xPath) {
    const size_t slash = xPath.find_last_of("/\\");
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = xPath.rfind(".x");
    if (dot == std::string_view::npos || dot < nameStart) return std::string(xPath) + ".pt3";
    return std::string(xPath.substr(0, dot + 1)) + "pt3";
}

}  // namespace korvel::model::xfile
