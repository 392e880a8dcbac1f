#include "model/xfile_scan.h"


#include "model/c_scan.h"

namespace korvel::model::xfile {
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
    // Every pattern of the layout has exactly one conversion, the final %c.
    char last = '\0';
    return scanLine(line, pattern, {&last}) == 1;
}

}  // namespace korvel::model::xfile
