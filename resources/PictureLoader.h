// Built-in pictures as GdkPixbufs for the widgets that show them.
#pragma once

#include <gdkmm/pixbuf.h>

#include "resources/Pictures.h"
#include "resources/PngImage.h"

namespace quillmate {

// A pixbuf holding its own copy of the pixels (null when it cannot be allocated).
Glib::RefPtr<Gdk::Pixbuf> PixbufFromRgba(const RgbaImage& image);

// The decoded picture, or null when its data cannot be decoded; the widget that would show it is
// then left out.
Glib::RefPtr<Gdk::Pixbuf> LoadPicture(Picture picture);

}  // namespace quillmate
