#include "app/FirstMonitor.h"

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif
#include <gdkmm/display.h>
#include <gdkmm/monitor.h>

namespace quillmate {

MonitorArea FirstMonitor() {
    const auto display = Gdk::Display::get_default();
    if (!display || display->get_n_monitors() < 1) {
        return {};
    }
    Gdk::Rectangle geometry;
    display->get_monitor(0)->get_geometry(geometry);
    return MonitorArea{geometry.get_x(), geometry.get_y(), geometry.get_width(), geometry.get_height()};
}

bool CompositorPlacesWindows() {
#ifdef GDK_WINDOWING_WAYLAND
    return GDK_IS_WAYLAND_DISPLAY(gdk_display_get_default());
#else
    return false;
#endif
}

}  // namespace quillmate
