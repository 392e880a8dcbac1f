#include "model/xfile_kind.h"

#include <algorithm>

#include "model/xfile_lines.h"

namespace korvel::model::xfile {

XFormat formatOf(std::string_view bytes) {
    constexpr size_t kHeaderBytes = 16;
    if (bytes.size() < kHeaderBytes || !bytes.starts_with("xof ")) return XFormat::text;
    const std::string_view format = bytes.substr(8, 4);
    if (format == "bin ") return XFormat::binary;
    if (format == "tzip" || format == "bzip") return XFormat::compressed;
    return XFormat::text;
}

bool opensMeshBlock(std::string_view line) {
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    return line.starts_with("Mesh") && line.size() > 4 && (line[4] == ' ' || line[4] == '\t' || line[4] == '{');
}

bool holdsMeshBlock(std::string_view bytes) {
    XLines lines(bytes);
    while (lines.next())
        if (opensMeshBlock(lines.line())) return true;
    return false;
}

}  // namespace korvel::model::xfile
