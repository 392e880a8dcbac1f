#include "input/key_counters.h"

namespace korvel::input {

void advanceKeyCounters(KeyCounters& counters, const std::array<uint8_t, 256>& state) {
    for (std::size_t key = 0; key < counters.size(); ++key) {
        if ((state[key] & 0x80) == 0) {
            counters[key] = 0;
        } else if (counters[key] < 255) {
            ++counters[key];
        }
    }
}

}  // namespace korvel::input
