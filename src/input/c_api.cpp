// Keyboard counter exports.
#include "Korvelv0.h"
#include "input/keyboard.h"

extern "C" {

KORVEL_API void GetKeyboardCount(void) { korvel::input::sampleKeyboard(); }

KORVEL_API int GetKeyboardCountByIndex(int virtualKey) { return korvel::input::keyCount(virtualKey); }

KORVEL_API void KeyboardStateSet(const unsigned char* state) { korvel::input::supplyKeyState(state); }
}
