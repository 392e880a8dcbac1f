// A plain window for the --window modes of the demo and of korvel-view: an
// Xlib window on Linux, a Win32 one on Windows. Keys come back as Windows
// virtual-key codes on both, the codes GetKeyState takes.
#pragma once

namespace host {

// The virtual-key codes the programs react to; letters and digits are their
// upper-case ASCII codes ('P', '1').
enum VirtualKey : int {
    kKeyEscape = 0x1B,
    kKeySpace = 0x20,
    kKeyLeft = 0x25,
    kKeyUp = 0x26,
    kKeyRight = 0x27,
    kKeyDown = 0x28,
};

class Window {
public:
    // Opens a window of the given client size and shows it; check isOpen().
    // On Linux it goes to $DISPLAY.
    Window(unsigned width, unsigned height, const char* title);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    bool isOpen() const { return handle_ != nullptr; }

    // The window as InitDevice takes it: an X window id or an HWND.
    void* handle() const { return handle_; }

    // The virtual-key code of the next pending key press (kKeyEscape also
    // when the window was closed), or 0 when none is pending.
    int nextKey();

    struct System;  // the windowing system's connection and key queue

private:
    System* system_ = nullptr;
    void* handle_ = nullptr;
};

}  // namespace host
