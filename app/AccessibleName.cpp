#include "app/AccessibleName.h"

#include <atkmm/object.h>
#include <gtkmm/widget.h>

namespace quillmate {

void NameAfterTooltip(Gtk::Widget& widget) {
    const auto takeTooltip = [&widget] {
        if (const auto accessible = widget.get_accessible()) {
            accessible->set_name(widget.get_tooltip_text());
        }
    };
    takeTooltip();
    widget.property_tooltip_text().signal_changed().connect(takeTooltip);
}

}  // namespace quillmate
