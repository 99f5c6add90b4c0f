// Feedback effects and the code view's zoom: a short colour flash of a widget, a horizontal
// shake of a window, and the redraw that keeps the window alive during long work.
#pragma once

#include <gdk/gdk.h>

#include <string>

namespace Gtk {
class Widget;
class Window;
}  // namespace Gtk

namespace quillmate {

class Application;

// Queues a redraw of the widget, then processes GUI events until none is pending.
void RefreshWidget(Gtk::Widget& widget);
// The code view's scroll handler: Ctrl and the wheel zoom; returns true when it zoomed.
bool CodeViewScrolled(Application& app, Gtk::Widget& widget, const GdkEventScroll* event);
// Sets the code view's font to "FontSize" times the scale of the zoom index; back at 100 % a
// short beep sounds.
void ApplyZoom(Application& app, Gtk::Widget& widget, int index);
// Colours the widget's background for 200 ms.
void FlashWidget(Gtk::Widget& widget, const std::string& colour);
// Moves the window left and right twice around its position (about 320 ms).
void ShakeWindow(Gtk::Window& window, int amplitude);
void FlashAndShake(Gtk::Window& window, Gtk::Widget& widget, const std::string& colour, int amplitude);

}  // namespace quillmate
