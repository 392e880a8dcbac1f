#include "device/screen.h"

namespace korvel::device {
namespace {

ScreenSize& screenStorage() {
    static ScreenSize size;
    return size;
}

}  // namespace

const ScreenSize& screenSize() { return screenStorage(); }

void setScreenSizeMode(int mode) {
    switch (mode) {
        case 0: screenStorage() = {640, 480}; break;
        case 1: screenStorage() = {800, 600}; break;
        case 2: screenStorage() = {1024, 768}; break;
        default: break;
    }
}

}  // namespace korvel::device
