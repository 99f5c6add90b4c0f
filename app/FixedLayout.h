// The layout of the windows whose controls stand at set places and sizes. The places are designed
// for text at 96 dots per inch and grow with a larger text, so that the text keeps its room.
#pragma once

#include <gtkmm/fixed.h>

#include "app/WidgetRect.h"

namespace quillmate {

// The factor the set places grow by (see TextScale) at the default screen's font resolution,
// which the desktop's text scaling and GDK_DPI_SCALE change.
double ScreenTextScale();

// Puts `widget` onto `fixed` at `rect` grown with the text, at that size; returns the place it
// was put at.
WidgetRect PlaceAt(Gtk::Fixed& fixed, Gtk::Widget& widget, const WidgetRect& rect);

// Asks for its own size whatever its children would like, so that a long text (from the
// language file or the database) never widens or heightens its window; children are cut or
// ellipsized inside their places instead.
class FixedLayout : public Gtk::Fixed {
  public:
    // `width` x `height` as designed; the layout grows it with the text.
    FixedLayout(int width, int height);
    // The size it asks for: grown with the text.
    int Width() const { return m_width; }
    int Height() const { return m_height; }

  protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;

  private:
    int m_width;
    int m_height;
};

}  // namespace quillmate
