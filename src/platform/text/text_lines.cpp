#include "platform/text/text_lines.h"

namespace korvel::platform::text {

LineBreak nextLine(std::u32string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\n') return {i, 1};
        if (text[i] == U'\r') return {i, (i + 1 < text.size() && text[i + 1] == U'\n') ? 2u : 1u};
    }
    return {text.size(), 0};
}

void resolvePrefixes(std::u32string_view line, std::u32string& shown, std::vector<uint32_t>& underlined) {
    shown.clear();
    underlined.clear();
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != U'&') {
            shown.push_back(line[i]);
            continue;
        }
        if (i + 1 == line.size()) break;
        ++i;
        if (line[i] != U'&') underlined.push_back(static_cast<uint32_t>(shown.size()));
        shown.push_back(line[i]);
    }
}

}  // namespace korvel::platform::text
