#include "app/FixedLayout.h"

#include <gtkmm/settings.h>

namespace quillmate {

double ScreenTextScale() {
    const auto screen = Gdk::Screen::get_default();
    // The screen's settings set its resolution when they are first asked for.
    Gtk::Settings::get_for_screen(screen);
    return TextScale(screen->get_resolution());
}

WidgetRect PlaceAt(Gtk::Fixed& fixed, Gtk::Widget& widget, const WidgetRect& rect) {
    const WidgetRect place = ScaleRect(rect, ScreenTextScale());
    widget.set_size_request(place.width, place.height);
    fixed.put(widget, place.x, place.y);
    return place;
}

FixedLayout::FixedLayout(int width, int height)
    : m_width(ScaleLength(width, ScreenTextScale())), m_height(ScaleLength(height, ScreenTextScale())) {
    set_size_request(m_width, m_height);
}

void FixedLayout::get_preferred_width_vfunc(int& minimum, int& natural) const {
    minimum = m_width;
    natural = m_width;
}

void FixedLayout::get_preferred_height_vfunc(int& minimum, int& natural) const {
    minimum = m_height;
    natural = m_height;
}

}  // namespace quillmate
