// Close requests and Escape of a window, posted to the program's queue for that window.
#pragma once

#include "base/EventQueue.h"

namespace Gtk {
class Window;
}

namespace quillmate {

// The window's close button posts a close request and Escape (its own shortcut) the Quit
// command, both for `window`; neither closes the window by itself.
void PostCloseAndEscape(Gtk::Window& gtkWindow, EventQueue& queue, WindowId window);

}  // namespace quillmate
