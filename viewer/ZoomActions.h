// The code view's zoom with Ctrl and the mouse wheel.
#pragma once

#include <gdk/gdk.h>

namespace Gtk {
class Widget;
}  // namespace Gtk

namespace quillmate {

class Application;

// The code view's scroll handler: Ctrl and the wheel zoom; returns true when it zoomed.
bool CodeViewScrolled(Application& app, Gtk::Widget& widget, const GdkEventScroll* event);

// Sets the code view's font to "FontSize" times the scale of the zoom index; back at 100 % a
// short beep sounds.
void ApplyZoom(Application& app, Gtk::Widget& widget, int index);

// Ctrl+plus, Ctrl+minus and Ctrl+0: a step in, out (`step` 1, -1) or back to 100 % (0), as the
// wheel zooms.
void ZoomByKey(Application& app, Gtk::Widget& widget, int step);

}  // namespace quillmate
