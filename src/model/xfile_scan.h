// Formatted scanning of X file lines with the rules of C sscanf in the "C"
// locale, whatever the process locale is: a blank in the format matches any
// amount of white space, including none; %d and %f skip white space first,
// %c takes the next character as it is; any other format character must
// match exactly. A scan stops for good at the first mismatch, so targets
// after it keep their values.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace korvel::model::xfile {

// Where one conversion of a format stores its value.
struct ScanTarget {
    ScanTarget(int32_t* p) : integer(p) {}
    ScanTarget(float* p) : real(p) {}
    ScanTarget(char* p) : character(p) {}
    int32_t* integer = nullptr;
    float* real = nullptr;
    char* character = nullptr;
};

// Scans line with format, storing conversions into targets in order;
// returns how many conversions were stored.
int scanLine(const char* line, std::string_view format, std::initializer_list<ScanTarget> targets);

// Whether a format that ends in "%c" converts that final %c on the line:
// the test for the block and key patterns of the X layout.
bool matchesPattern(const char* line, std::string_view pattern);

}  // namespace korvel::model::xfile
