#include "app/FontMetrics.h"

#include <gtkmm/widget.h>

#include <algorithm>
#include <memory>

namespace quillmate {

// Through the C call: pangomm's get_metrics copies the metrics and never frees the original.
FontMetrics MeasureFont(Gtk::Widget& widget) {
    PangoContext* context = widget.get_pango_context()->gobj();
    const std::unique_ptr<PangoFontMetrics, decltype(&pango_font_metrics_unref)> metrics(
        pango_context_get_metrics(context, pango_context_get_font_description(context), nullptr),
        &pango_font_metrics_unref);
    return {std::max(1, PANGO_PIXELS(pango_font_metrics_get_ascent(metrics.get()) +
                                     pango_font_metrics_get_descent(metrics.get()))),
            std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(metrics.get())))};
}

Pango::FontDescription CodeFont(const std::string& family, int size) {
    Pango::FontDescription font(family);
    font.set_size(size * PANGO_SCALE);
    return font;
}

}  // namespace quillmate
