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

bool XLines::until(std::string_view pattern) {
    while (next())
        if (matchesPattern(line(), pattern)) return true;
    return false;
}

int32_t XLines::count() {
    next();
    int32_t value = 0;
    scanLine(line(), "%d", {&value});
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

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

int scanLine(const char* line, std::string_view format, std::initializer_list<ScanTarget> targets) {
    const char* p = line;
    auto target = targets.begin();
    int converted = 0;
    for (size_t f = 0; f < format.size(); ++f) {
        const char c = format[f];
        if (isSpace(c)) {
            while (isSpace(*p)) ++p;
            continue;
        }
        if (c != '%' || f + 1 >= format.size()) {
            if (*p != c) return converted;
            ++p;
            continue;
        }
        const char conversion = format[++f];
        if (target == targets.end()) return converted;
        if (conversion == 'c') {
            if (*p == '\0') return converted;
            *target->character = *p++;
        } else {
            CScan scan(p);
            if (conversion == 'd') {
                int32_t value = 0;
                if (!scan.integer(value).ok()) return converted;
                *target->integer = value;
            } else {
                float value = 0.0f;
                if (!scan.real(value).ok()) return converted;
                *target->real = value;
            }
            p = scan.rest();
        }
        ++target;
        ++converted;
    }
    return converted;
}

bool matchesPattern(const char* line, std::string_view pattern) {
    // Most lines fail at the pattern's first character after its leading
    // blanks (which match any white space), and are told apart there without
    // a full scan.
    size_t first = 0;
    while (first < pattern.size() && isSpace(pattern[first])) ++first;
    if (first > 0)
        while (isSpace(*line)) ++line;
    if (first < pattern.size() && pattern[first] != '%' && *line != pattern[first]) return false;
    // Every pattern of the layout has exactly one conversion, the final %c.
    char last = '\0';
    return scanLine(line, pattern.substr(first), {&last}) == 1;
}

}  // namespace korvel::model::xfile
