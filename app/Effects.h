// Feedback effects: a short colour flash of a widget, a horizontal shake of a window, and the
// redraw that keeps the window alive during long work.
#pragma once

#include <gdk/gdk.h>

#include <string>

namespace Gtk {
class Widget;
class Window;
}  // namespace Gtk

namespace quillmate {

// Queues a redraw of the widget, then processes GUI events until none is pending.
void RefreshWidget(Gtk::Widget& widget);
// Colours the widget's background for 200 ms.
void FlashWidget(Gtk::Widget& widget, const std::string& colour);
// Moves the window left and right twice around its position (about 320 ms).
void ShakeWindow(Gtk::Window& window, int amplitude);
void FlashAndShake(Gtk::Window& window, Gtk::Widget& widget, const std::string& colour, int amplitude);

}  // namespace quillmate
