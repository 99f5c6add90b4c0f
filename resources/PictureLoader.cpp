// Built-in pictures as GdkPixbufs.
#include "resources/PictureLoader.h"

namespace quillmate {

Glib::RefPtr<Gdk::Pixbuf> PixbufFromRgba(const RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        return {};
    }
    // The wrapper only borrows the pixels; the copy owns its own.
    const auto borrowed = Gdk::Pixbuf::create_from_data(image.pixels.data(), Gdk::COLORSPACE_RGB, true, 8,
                                                        image.width, image.height, image.width * 4);
    return borrowed->copy();
}

Glib::RefPtr<Gdk::Pixbuf> LoadPicture(Picture picture) {
    const std::optional<RgbaImage> image = DecodePng(PictureData(picture));
    if (!image) {
        return {};
    }
    return PixbufFromRgba(*image);
}

void PictureBook::Decode() {
    for (size_t i = 0; i < m_pictures.size(); ++i) {
        m_pictures[i] = LoadPicture(static_cast<Picture>(i));
    }
}

Glib::RefPtr<Gdk::Pixbuf> PictureBook::Of(Picture picture) const {
    const auto index = static_cast<size_t>(picture);
    return index < m_pictures.size() ? m_pictures[index] : Glib::RefPtr<Gdk::Pixbuf>();
}

}  // namespace quillmate
