// The layout of the windows whose controls stand at set places and sizes.
#pragma once

#include <gtkmm/fixed.h>

namespace quillmate {

// Asks for its own size whatever its children would like, so that a long text (from the
// language file or the database) never widens or heightens its window; children are cut or
// ellipsized inside their places instead.
class FixedLayout : public Gtk::Fixed {
  public:
    FixedLayout(int width, int height);

  protected:
    void get_preferred_width_vfunc(int& minimum, int& natural) const override;
    void get_preferred_height_vfunc(int& minimum, int& natural) const override;

  private:
    int m_width;
    int m_height;
};

}  // namespace quillmate
