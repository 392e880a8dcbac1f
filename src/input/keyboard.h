// The library's keyboard: the counters, where each sample's key state comes
// from, and the steps InitDevice and CleanupDevice take for it.
#pragma once

#include <cstdint>

namespace korvel::input {

// InitDevice: zero every counter; for a device on a window, also connect to
// the X server ($DISPLAY) to read key states from, unless already connected.
void resetKeyboard(bool windowed);

// CleanupDevice: drop the X server connection; the counters stay.
void releaseKeyboard();

// One sample: the state handed in by supplyKeyState since the last sample
// if there is one, else the X server's, else all keys up.
void sampleKeyboard();

// The counter of a virtual key; 0 for a code outside 0 to 255.
int keyCount(int virtualKey);

// A host that reads input itself hands the next sample's 256-byte state.
void supplyKeyState(const uint8_t* state);

}  // namespace korvel::input
