// What a widget's font measures on the screen.
#pragma once

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

}  // namespace quillmate
