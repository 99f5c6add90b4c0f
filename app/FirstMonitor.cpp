#include "app/FirstMonitor.h"

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

}  // namespace quillmate
