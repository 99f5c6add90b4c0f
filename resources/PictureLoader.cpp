// Built-in pictures as GdkPixbufs and Cairo surfaces.
#include "resources/PictureLoader.h"

#include <gdkmm/general.h>

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

Glib::RefPtr<Gdk::Pixbuf> LoadPicture(Picture picture, int scale) {
    const std::optional<RgbaImage> image = DecodePng(PictureData(picture, scale));
    if (!image) {
        return {};
    }
    return PixbufFromRgba(*image);
}

void PictureBook::Decode() {
    for (size_t i = 0; i < kCount; ++i) {
        const auto picture = static_cast<Picture>(i);
        m_pictures[i] = LoadPicture(picture);
        for (int scale = 1; scale <= kLargestPictureScale; ++scale) {
            const auto drawing = scale == 1 ? m_pictures[i] : LoadPicture(picture, scale);
            auto& surface = m_surfaces[i][static_cast<size_t>(scale - 1)];
            if (drawing) {
                surface = Gdk::Cairo::create_surface_from_pixbuf(drawing, scale);
            } else {
                // A larger drawing that does not decode leaves the picture as drawn at its size.
                surface = m_surfaces[i][0];
            }
        }
    }
}

Glib::RefPtr<Gdk::Pixbuf> PictureBook::Of(Picture picture) const {
    const auto index = static_cast<size_t>(picture);
    return index < kCount ? m_pictures[index] : Glib::RefPtr<Gdk::Pixbuf>();
}

Cairo::RefPtr<Cairo::Surface> PictureBook::SurfaceOf(Picture picture, int widgetScale) const {
    const auto index = static_cast<size_t>(picture);
    return index < kCount ? m_surfaces[index][static_cast<size_t>(PictureScaleFor(widgetScale) - 1)]
                          : Cairo::RefPtr<Cairo::Surface>();
}

PictureImage::PictureImage(const PictureBook& pictures) : m_pictures(pictures) {
    property_scale_factor().signal_changed().connect([this] { ShowForScale(); });
}

bool PictureImage::Show(Picture picture) {
    if (!m_pictures.Of(picture)) {
        return false;
    }
    m_picture = picture;
    ShowForScale();
    return true;
}

void PictureImage::ShowForScale() {
    if (!m_picture) {
        return;
    }
    const int scale = get_scale_factor();
    if (PictureScaleFor(scale) == 1) {
        set(m_pictures.Of(*m_picture));
    } else {
        set(m_pictures.SurfaceOf(*m_picture, scale));
    }
}

void ShowCellPicture(Gtk::CellRendererPixbuf& renderer, const PictureBook& pictures, Picture picture,
                     int widgetScale) {
    if (PictureScaleFor(widgetScale) == 1) {
        return;
    }
    // gtkmm's surface property cannot be given an empty surface.
    if (const auto surface = pictures.SurfaceOf(picture, widgetScale)) {
        renderer.property_surface() = surface;
    }
}

}  // namespace quillmate
