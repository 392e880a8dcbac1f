// A plain Xlib window for korvel-view's --window mode, reporting the keys
// the viewer uses.
#pragma once

#include <cstdint>

struct _XDisplay;

namespace view {

enum class Key { Nothing, Quit, MotionPrevious, MotionNext, ShapekeyPrevious, ShapekeyNext, Pass, Tool, Pause };

class ViewWindow {
public:
    // Opens $DISPLAY and maps a window; check isOpen().
    ViewWindow(unsigned width, unsigned height, const char* title);
    ~ViewWindow();
    ViewWindow(const ViewWindow&) = delete;
    ViewWindow& operator=(const ViewWindow&) = delete;

    bool isOpen() const { return window_ != 0; }
    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window_)); }

    // The next pending key (Quit also for a closed window), or Nothing.
    Key nextKey();

private:
    ::_XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long deleteAtom_ = 0;
};

}  // namespace view
