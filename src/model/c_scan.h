// Number and literal scanning with the rules of C sscanf in the "C" locale,
// whatever the process locale is: %d and %f skip leading white space, a
// literal character must match exactly, and a scan stops for good at the
// first mismatch, leaving later targets untouched. %d wraps a value that does
// not fit as the C library does; %f consumes exactly the characters that
// glibc's scanf does (so "1.5e;" reads 1.5 and then matches ';').
#pragma once

#include <cstdint>

namespace korvel::model {

class CScan {
public:
    explicit CScan(const char* text) : p_(text) {}

    // Each call does nothing once an earlier one failed.
    CScan& literal(const char* text);
    CScan& integer(int32_t& out);
    CScan& real(float& out);
    // "%d;" and "%f;": the number, then a semicolon.
    CScan& intField(int32_t& out) { return integer(out).literal(";"); }
    CScan& realField(float& out) { return real(out).literal(";"); }

    bool ok() const { return ok_; }
    // Conversions stored so far.
    int converted() const { return converted_; }
    const char* rest() const { return p_; }

private:
    const char* p_;
    bool ok_ = true;
    int converted_ = 0;
};

}  // namespace korvel::model
