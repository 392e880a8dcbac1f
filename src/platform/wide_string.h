// Conversion of the C interface's wide-character strings (UTF-32 on Linux)
// to the UTF-8 byte strings that the file system and our loaders take.
#pragma once

#include <string>

namespace korvel::platform {

// UTF-8 encoding of a null-terminated wide string; null gives an empty
// string. Values that are not Unicode scalar values (surrogates, negative or
// above U+10FFFF) become U+FFFD.
std::string utf8FromWide(const wchar_t* wide);

}  // namespace korvel::platform
