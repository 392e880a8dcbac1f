// Per-key hold counters: how many consecutive samples each virtual key has
// been down.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel::input {

using KeyCounters = std::array<uint8_t, 256>;

// One sample: a key whose state byte has bit 0x80 set counts up, stopping
// at 255; every other key goes back to 0. The low bits (the toggle state of
// lock keys) play no part.
void advanceKeyCounters(KeyCounters& counters, const std::array<uint8_t, 256>& state);

}  // namespace korvel::input
