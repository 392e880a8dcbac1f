// The keys korvel-view reacts to in its --window mode.
#pragma once

#include "x11_window.h"

namespace view {

enum class Key { Nothing, Quit, MotionPrevious, MotionNext, ShapekeyPrevious, ShapekeyNext, Pass, Tool, Pause };

// The next pending key the viewer uses (Quit also for a closed window), or
// Nothing; other keys are skipped.
Key nextKey(host::X11Window& window);

}  // namespace view
