// A plain Win32 window for the demo's --window mode on Windows: the
// counterpart of the X11 window, keys reported as virtual-key codes.
#pragma once

namespace host {

class Win32Window {
public:
    // Creates and shows a window with a client area of the given size;
    // check isOpen().
    Win32Window(unsigned width, unsigned height, const char* title);
    ~Win32Window();
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool isOpen() const { return window_ != nullptr; }

    // The HWND as InitDevice takes it.
    void* handle() const { return window_; }

    // Pumps the window's messages; the next pending key press as a
    // virtual-key code (the Escape code also when the window was closed),
    // or 0 when no key press is pending.
    unsigned long nextKey();

private:
    void* window_ = nullptr;
};

}  // namespace host
