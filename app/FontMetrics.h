// What a widget's font measures on the screen, and the code font the preferences name.
#pragma once

#include <pangomm/fontdescription.h>

#include <string>

namespace Gtk {
class Widget;
}

namespace quillmate {

struct FontMetrics {
    int lineHeight = 1;      // ascent and descent, in pixels
    int characterWidth = 1;  // the average character, in pixels
};

// The metrics of the font the widget draws with; at least 1 pixel each.
FontMetrics MeasureFont(Gtk::Widget& widget);

// The font `family` at `size` points (the code font's "FontName" and "FontSize").
Pango::FontDescription CodeFont(const std::string& family, int size);

}  // namespace quillmate
