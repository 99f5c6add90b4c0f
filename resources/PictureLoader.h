// Built-in pictures as GdkPixbufs for the widgets that show them.
#pragma once

#include <gdkmm/pixbuf.h>

#include <array>

#include "resources/Pictures.h"
#include "resources/PngImage.h"

namespace quillmate {

// A pixbuf holding its own copy of the pixels (null when it cannot be allocated).
Glib::RefPtr<Gdk::Pixbuf> PixbufFromRgba(const RgbaImage& image);

// The decoded picture, or null when its data cannot be decoded; the widget that would show it is
// then left out.
Glib::RefPtr<Gdk::Pixbuf> LoadPicture(Picture picture);

// Every built-in picture, decoded once.
class PictureBook {
  public:
    void Decode();
    // The decoded picture; null when it did not decode.
    Glib::RefPtr<Gdk::Pixbuf> Of(Picture picture) const;

  private:
    std::array<Glib::RefPtr<Gdk::Pixbuf>, static_cast<size_t>(Picture::FlagFrench) + 1> m_pictures;
};

}  // namespace quillmate
