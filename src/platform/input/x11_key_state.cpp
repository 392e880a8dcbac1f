#include "platform/input/x11_key_state.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace korvel::platform::input {
namespace {

struct KeyPair {
    unsigned long keysym;
    uint8_t virtualKey;
};

// Symbols outside the ranges handled in virtualKeyFor; punctuation as on a
// US layout.
constexpr KeyPair kTable[] = {
    {XK_BackSpace, 0x08},
    {XK_Tab, 0x09},
    {XK_ISO_Left_Tab, 0x09},
    {XK_Clear, 0x0C},
    {XK_Return, 0x0D},
    {XK_KP_Enter, 0x0D},
    {XK_Pause, 0x13},
    {XK_Caps_Lock, 0x14},
    {XK_Kanji, 0x19},
    {XK_Escape, 0x1B},
    {XK_Henkan, 0x1C},
    {XK_Muhenkan, 0x1D},
    {XK_space, 0x20},
    {XK_Prior, 0x21},
    {XK_Next, 0x22},
    {XK_End, 0x23},
    {XK_Home, 0x24},
    {XK_Left, 0x25},
    {XK_Up, 0x26},
    {XK_Right, 0x27},
    {XK_Down, 0x28},
    {XK_Select, 0x29},
    {XK_Execute, 0x2B},
    {XK_Print, 0x2C},
    {XK_Insert, 0x2D},
    {XK_Delete, 0x2E},
    {XK_Help, 0x2F},
    {XK_KP_Prior, 0x21},
    {XK_KP_Next, 0x22},
    {XK_KP_End, 0x23},
    {XK_KP_Home, 0x24},
    {XK_KP_Left, 0x25},
    {XK_KP_Up, 0x26},
    {XK_KP_Right, 0x27},
    {XK_KP_Down, 0x28},
    {XK_KP_Begin, 0x0C},
    {XK_KP_Insert, 0x2D},
    {XK_KP_Delete, 0x2E},
    {XK_Super_L, 0x5B},
    {XK_Super_R, 0x5C},
    {XK_Menu, 0x5D},
    {XK_KP_Multiply, 0x6A},
    {XK_KP_Add, 0x6B},
    {XK_KP_Separator, 0x6C},
    {XK_KP_Subtract, 0x6D},
    {XK_KP_Decimal, 0x6E},
    {XK_KP_Divide, 0x6F},
    {XK_Num_Lock, 0x90},
    {XK_Scroll_Lock, 0x91},
    {XK_Shift_L, 0xA0},
    {XK_Shift_R, 0xA1},
    {XK_Control_L, 0xA2},
    {XK_Control_R, 0xA3},
    {XK_Alt_L, 0xA4},
    {XK_Meta_L, 0xA4},
    {XK_Alt_R, 0xA5},
    {XK_Meta_R, 0xA5},
    {XK_ISO_Level3_Shift, 0xA5},
    {XK_semicolon, 0xBA},
    {XK_equal, 0xBB},
    {XK_comma, 0xBC},
    {XK_minus, 0xBD},
    {XK_period, 0xBE},
    {XK_slash, 0xBF},
    {XK_grave, 0xC0},
    {XK_bracketleft, 0xDB},
    {XK_backslash, 0xDC},
    {XK_bracketright, 0xDD},
    {XK_apostrophe, 0xDE},
    {XK_less, 0xE2},
    {XK_Zenkaku_Hankaku, 0xF3},
};

}  // namespace

uint8_t virtualKeyFor(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<uint8_t>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<uint8_t>(keysym);
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<uint8_t>(keysym);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<uint8_t>(0x60 + (keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<uint8_t>(0x70 + (keysym - XK_F1));
    for (const KeyPair& pair : kTable) {
        if (pair.keysym == keysym) return pair.virtualKey;
    }
    return 0;
}

uint8_t genericModifierFor(uint8_t virtualKey) {
    switch (virtualKey) {
        case kVkLShift:
        case kVkRShift:
            return kVkShift;
        case kVkLControl:
        case kVkRControl:
            return kVkControl;
        case kVkLMenu:
        case kVkRMenu:
            return kVkMenu;
        default:
            return 0;
    }
}

namespace {

// Window trees are shallow; the walks stop here whatever the server says.
constexpr int kMaxTreeDepth = 64;

// A window can be destroyed between two requests, and Xlib reports the
// failed request through the process-wide error handler, whose default ends
// the process. While the reader's own requests run, errors on its private
// connection only make the request fail. Every request here waits for its
// reply, so no error arrives after the guard is gone.
class IgnoreXErrors {
public:
    IgnoreXErrors() : previous_(XSetErrorHandler(ignore)) {}
    ~IgnoreXErrors() { XSetErrorHandler(previous_); }
    IgnoreXErrors(const IgnoreXErrors&) = delete;
    IgnoreXErrors& operator=(const IgnoreXErrors&) = delete;

private:
    static int ignore(Display*, XErrorEvent*) { return 0; }
    XErrorHandler previous_;
};

}  // namespace

std::unique_ptr<X11KeyState> X11KeyState::open(const char* displayName, unsigned long window) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) return nullptr;
    return std::unique_ptr<X11KeyState>(new X11KeyState(display, window));
}

X11KeyState::X11KeyState(Display* display, unsigned long window) : display_(display), window_(window) {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
        KeySym symbol = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0);
        virtualKeyOfKeycode_[static_cast<size_t>(keycode)] = virtualKeyFor(symbol);
    }
}

X11KeyState::~X11KeyState() { XCloseDisplay(display_); }

bool X11KeyState::isWindowOrInside(Window candidate) const {
    for (int depth = 0; depth < kMaxTreeDepth && candidate != None; ++depth) {
        if (candidate == window_) return true;
        Window root = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, candidate, &root, &parent, &children, &count)) return false;
        if (children != nullptr) XFree(children);
        candidate = parent;
    }
    return false;
}

Window X11KeyState::deepestWindowUnderPointer() const {
    Window current = DefaultRootWindow(display_);
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
        Window root = None;
        Window child = None;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(display_, current, &root, &child, &rootX, &rootY, &x, &y, &mask) || child == None) break;
        current = child;
    }
    return current;
}

bool X11KeyState::windowHasFocus() const {
    const IgnoreXErrors guard;
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    if (focus == PointerRoot) return isWindowOrInside(deepestWindowUnderPointer());
    return isWindowOrInside(focus);
}

void X11KeyState::read(KeyState& state) const {
    state.fill(0);
    if (!windowHasFocus()) return;
    const IgnoreXErrors guard;
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    for (size_t keycode = 0; keycode < 256; ++keycode) {
        if ((static_cast<unsigned char>(keys[keycode / 8]) & (1u << (keycode % 8))) == 0) continue;
        uint8_t virtualKey = virtualKeyOfKeycode_[keycode];
        if (virtualKey == 0) continue;
        state[virtualKey] |= 0x80;
        if (uint8_t generic = genericModifierFor(virtualKey)) state[generic] |= 0x80;
    }

    Window root = 0;
    Window child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y, &mask)) {
        if (mask & Button1Mask) state[kVkLButton] |= 0x80;
        if (mask & Button2Mask) state[kVkMButton] |= 0x80;
        if (mask & Button3Mask) state[kVkRButton] |= 0x80;
    }
}

}  // namespace korvel::platform::input
