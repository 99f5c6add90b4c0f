// Picture-only controls have no text of their own: screen readers name them by their tooltip.
#pragma once

namespace Gtk {
class Widget;
}

namespace quillmate {

// Gives the widget its tooltip as accessible name, now and after every change of the tooltip
// (a language switch rewrites tooltips).
void NameAfterTooltip(Gtk::Widget& widget);

}  // namespace quillmate
