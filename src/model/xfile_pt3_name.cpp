#include "model/xfile_pt3_name.h"

namespace korvel::model::xfile {

std::string pt3PathFor(std::string_view xPath) {
    const size_t dot = xPath.rfind(".x");
    if (dot == std::string_view::npos) return std::string(xPath) + ".pt3";
    return std::string(xPath.substr(0, dot + 1)) + "pt3";
}

}  // namespace korvel::model::xfile
