#include "model/xfile/text.h"

#include <algorithm>
#include <cstring>

#include "model/text_scan.h"

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

bool holdsMeshBlock(XLines& lines) {
    while (lines.next())
        if (opensMeshBlock(lines.line())) return true;
    return false;
}

void XLines::skip(int64_t n) {
    if (n > 0) line_ = lines_.skip(n) ? lines_.line() : "";
}

int32_t XLines::count() {
    next();
    int32_t value = 0;
    scanLine<"%d">(line(), &value);
    return value;
}

std::string nameBefore(const char* line, size_t start, char end) {
    const size_t length = std::strlen(line);
    if (start >= length) return {};
    const char* found = std::strchr(line + start, end);
    if (found == nullptr || found == line + start) return {};
    const size_t n = static_cast<size_t>(found - (line + start)) - 1;
    return std::string(line + start, std::min(n, kNameMax));
}

std::string quoted(const char* line, size_t max) {
    const char* open = std::strchr(line, '"');
    if (open == nullptr) return {};
    const char* close = std::strchr(open + 1, '"');
    if (close == nullptr) return {};
    return std::string(open + 1, std::min(static_cast<size_t>(close - open - 1), max));
}

}  // namespace korvel::model::xfile
