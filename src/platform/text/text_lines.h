// The line and prefix rules of the text drawing call: lines end at CR, LF or
// CR LF; "&" underlines the character after it and "&&" stands for one "&".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::platform::text {

// Length of the line starting at text[0] and the number of characters that
// end it (0 at the end of the text, 1 for CR or LF, 2 for CR LF).
struct LineBreak {
    size_t length = 0;
    size_t breakLength = 0;
};
LineBreak nextLine(std::u32string_view text);

// The characters of a line as drawn, with "&" prefixes removed, and the
// positions (in shown) of the characters to underline. A lone "&" at the
// end of the line is dropped. shown and underlined are cleared first.
void resolvePrefixes(std::u32string_view line, std::u32string& shown, std::vector<uint32_t>& underlined);

}  // namespace korvel::platform::text
