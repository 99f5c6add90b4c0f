// Built-in pictures as GdkPixbufs and Cairo surfaces for the widgets that show them, sharp at
// every scale factor.
#pragma once

#include <cairomm/surface.h>
#include <gdkmm/pixbuf.h>
#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/image.h>

#include <array>
#include <optional>

#include "resources/Pictures.h"
#include "resources/PngImage.h"

namespace quillmate {

// A pixbuf holding its own copy of the pixels (null when it cannot be allocated).
Glib::RefPtr<Gdk::Pixbuf> PixbufFromRgba(const RgbaImage& image);

// The decoded picture drawn at `scale` (see PictureData), or null when its data cannot be
// decoded; the widget that would show it is then left out.
Glib::RefPtr<Gdk::Pixbuf> LoadPicture(Picture picture, int scale = 1);

// Every built-in picture, decoded once at each scale it is drawn at.
class PictureBook {
  public:
    void Decode();
    // The picture drawn at its size; null when it did not decode.
    Glib::RefPtr<Gdk::Pixbuf> Of(Picture picture) const;
    // The picture for a widget of scale factor `widgetScale`: the drawing PictureScaleFor names,
    // as a surface of that scale, so that it covers the picture's size in the widget's units.
    // Null when it did not decode.
    Cairo::RefPtr<Cairo::Surface> SurfaceOf(Picture picture, int widgetScale) const;

  private:
    static constexpr size_t kCount = static_cast<size_t>(Picture::FlagFrench) + 1;
    std::array<Glib::RefPtr<Gdk::Pixbuf>, kCount> m_pictures;
    std::array<std::array<Cairo::RefPtr<Cairo::Surface>, kLargestPictureScale>, kCount> m_surfaces;
};

// An image of a built-in picture that stays sharp at its scale factor, also when the window moves
// to a screen of another one: at scale 1 it shows the picture's pixbuf, above it the surface of the
// larger drawing.
class PictureImage : public Gtk::Image {
  public:
    explicit PictureImage(const PictureBook& pictures);
    // Shows `picture`; false (and nothing changed) when it did not decode.
    bool Show(Picture picture);

  private:
    void ShowForScale();

    const PictureBook& m_pictures;
    std::optional<Picture> m_picture;
};

// For a cell-data function: above scale 1, has the renderer draw `picture` from its larger drawing
// in place of the pixbuf its attributes gave it; at scale 1 the pixbuf stays.
void ShowCellPicture(Gtk::CellRendererPixbuf& renderer, const PictureBook& pictures, Picture picture,
                     int widgetScale);

}  // namespace quillmate
