#include "view_window.h"

#include <X11/keysym.h>

namespace view {

Key nextKey(host::X11Window& window) {
    for (unsigned long keysym = window.nextKey(); keysym != 0; keysym = window.nextKey()) {
        switch (keysym) {
            case XK_Escape: return Key::Quit;
            case XK_Left: return Key::MotionPrevious;
            case XK_Right: return Key::MotionNext;
            case XK_Down: return Key::ShapekeyPrevious;
            case XK_Up: return Key::ShapekeyNext;
            case XK_p: return Key::Pass;
            case XK_t: return Key::Tool;
            case XK_space: return Key::Pause;
            default: break;
        }
    }
    return Key::Nothing;
}

}  // namespace view
