#include "settings/AboutDialogs.h"

#include <gdk/gdkkeysyms.h>
#include <glibmm/miscutils.h>
#include <gtk/gtk.h>
#include <gtkmm/aboutdialog.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/stylecontext.h>

#include <memory>

#include "app/AccessibleName.h"
#include "app/Effects.h"
#include "app/WindowEvents.h"
#include "base/Release.h"
#include "base/Utf8.h"
#include "viewer/CodeFile.h"

namespace quillmate {
namespace {

constexpr const char* kAboutComments =
    "Viewer für die Korvex-API-Funktions-Sammlung.\nViewer for the Korvex API-functions-collection.";
constexpr const char* kCopyright = "© 2026 The Quillmate developers";
constexpr const char* kAuthor = "Mira Quellmann";
constexpr const char* kCoAuthor = "Jonas Federlein";
constexpr const char* kTranslatorCredits = "Mira Quellmann\n(with the help of DeepL and LEO)";
constexpr const char* kDatabaseInfoTitle = "About: Current database & file";
constexpr const char* kLibraryIconTooltip = "Klick öffnet den Dateimanager mit dem Library-Pfad.";
constexpr const char* kCopyIconTooltip = "Klick kopiert den Code-Pfad ins Clipboard.";

// Adwaita's entries are taller than the 26-pixel rows of the small windows.
constexpr const char* kCompactFieldCss = "entry { min-height: 0; padding-top: 2px; padding-bottom: 2px; }";

// The about dialog shows its logo from the pixbuf in an image of its own: on a screen of a larger
// scale, that image shows the logo's larger drawing instead.
struct SharpLogo {
    GdkPixbuf* logo;
    cairo_surface_t* sharp;
};

void ShowSharpLogo(GtkWidget* widget, gpointer data) {
    const SharpLogo& swap = *static_cast<SharpLogo*>(data);
    if (GTK_IS_IMAGE(widget) && gtk_image_get_storage_type(GTK_IMAGE(widget)) == GTK_IMAGE_PIXBUF &&
        gtk_image_get_pixbuf(GTK_IMAGE(widget)) == swap.logo) {
        gtk_image_set_from_surface(GTK_IMAGE(widget), swap.sharp);
    } else if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), ShowSharpLogo, data);
    }
}

}  // namespace

void ShowProgramAbout(const PictureBook& pictures) {
    const Glib::RefPtr<Gdk::Pixbuf> logo = pictures.Of(Picture::AppIcon);
    Gtk::AboutDialog dialog;
    dialog.set_modal(true);
    dialog.set_program_name(Glib::get_application_name());
    dialog.set_version(std::string(kProgramVersion) + " gtk" + std::to_string(GTK_MAJOR_VERSION));
    dialog.set_comments(kAboutComments);
    dialog.set_copyright(kCopyright);
    dialog.set_website(kWebsite);
    dialog.set_authors({"", kAuthor, kCoAuthor, "  (ideas, code, design, tests)"});
    dialog.set_documenters({"", kAuthor, kCoAuthor});
    dialog.set_translator_credits(kTranslatorCredits);
    if (logo) {
        dialog.set_logo(logo);
        const int scale = dialog.get_scale_factor();
        if (PictureScaleFor(scale) > 1) {
            const auto sharp = pictures.SurfaceOf(Picture::AppIcon, scale);
            SharpLogo swap{logo->gobj(), sharp->cobj()};
            ShowSharpLogo(GTK_WIDGET(dialog.gobj()), &swap);
        }
    }
    dialog.run();
}

Glib::RefPtr<Gtk::CssProvider> CompactFieldCss() {
    auto css = Gtk::CssProvider::create();
    css->load_from_data(kCompactFieldCss);
    return css;
}

void MakeCompactValueField(Gtk::Entry& entry, const Glib::RefPtr<Gtk::CssProvider>& css) {
    entry.set_editable(false);
    entry.set_width_chars(1);
    entry.get_style_context()->add_provider(css, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

DatabaseInfoWindow::DatabaseInfoWindow(const WindowContext& context)
    : m_context(context), m_fieldCss(CompactFieldCss()) {
    set_title(kDatabaseInfoTitle);
    set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
    set_position(Gtk::WIN_POS_CENTER);
    set_resizable(false);
    set_size_request(m_fixed.Width(), m_fixed.Height());
    set_default_size(m_fixed.Width(), m_fixed.Height());
    Build();
    add(m_fixed);
    show_all_children();

    // Escape is the window's own shortcut; it carries the same command as in the main window.
    PostCloseAndEscape(*this, m_context.queue, WindowId::DatabaseInfo);
}

void DatabaseInfoWindow::Build() {
    PlaceCaption(m_databaseFrame, m_databaseCaption, kInfoDatabaseFrameRect);
    PlaceCaption(m_fileFrame, m_fileCaption, kInfoFileFrameRect);

    m_libraryIcon = MakeClickablePicture(Picture::Folder, kLibraryIconTooltip, WidgetId::LibraryIcon);
    if (m_libraryIcon) {
        PlaceAt(m_fixed, *m_libraryIcon, kInfoLibraryIconRect);
    }
    PlaceLabel(m_databaseLabel, kInfoDatabaseLabelRect);
    PlaceField(m_databaseField, kInfoDatabaseFieldRect, false);
    PlaceLabel(m_contentLabel, kInfoContentLabelRect);
    PlaceField(m_contentField, kInfoContentFieldRect, false);
    PlaceLabel(m_libraryLabel, kInfoLibraryLabelRect);
    PlaceField(m_libraryField, kInfoLibraryFieldRect, false);
    PlaceDecoration(m_statisticsImage, Picture::Statistics, kInfoStatisticsIconRect);
    PlaceLabel(m_themesLabel, kInfoThemesLabelRect);
    PlaceField(m_themesField, kInfoThemesFieldRect, true);
    PlaceLabel(m_entriesLabel, kInfoEntriesLabelRect);
    PlaceField(m_entriesField, kInfoEntriesFieldRect, true);

    m_copyIcon = MakeClickablePicture(Picture::Copy, kCopyIconTooltip, WidgetId::CopyFileIcon);
    if (m_copyIcon) {
        PlaceAt(m_fixed, *m_copyIcon, kInfoCopyIconRect);
    }
    PlaceLabel(m_fileLabel, kInfoFileLabelRect);
    PlaceField(m_fileField, kInfoFileFieldRect, false);
    PlaceDecoration(m_codeFormatImage, Picture::CodeFormat, kInfoCodeFormatIconRect);
    PlaceLabel(m_codeFormatLabel, kInfoCodeFormatLabelRect);
    PlaceField(m_codeFormatField, kInfoCodeFormatFieldRect, false);
    PlaceLabel(m_executableLabel, kInfoExecutableLabelRect);
    PlaceField(m_executableField, kInfoExecutableFieldRect, false);
}

void DatabaseInfoWindow::PlaceCaption(Gtk::Frame& frame, Gtk::Label& caption, const WidgetRect& rect) {
    caption.override_font(m_context.headingFont);
    caption.set_ellipsize(Pango::ELLIPSIZE_END);
    frame.set_label_widget(caption);
    frame.override_background_color(m_context.transparent);
    PlaceAt(m_fixed, frame, rect);
}

void DatabaseInfoWindow::PlaceLabel(Gtk::Label& label, const WidgetRect& rect) {
    // Right-aligned towards their fields, leaving room for the pictures at their left.
    label.set_xalign(1.0f);
    label.set_ellipsize(Pango::ELLIPSIZE_END);
    PlaceAt(m_fixed, label, rect);
}

void DatabaseInfoWindow::PlaceField(Gtk::Entry& field, const WidgetRect& rect, bool rightAligned) {
    MakeCompactValueField(field, m_fieldCss);
    if (rightAligned) {
        field.set_alignment(Gtk::ALIGN_END);
    }
    PlaceAt(m_fixed, field, rect);
}

void DatabaseInfoWindow::PlaceDecoration(PictureImage& image, Picture picture, const WidgetRect& rect) {
    if (image.Show(picture)) {
        PlaceAt(m_fixed, image, rect);
    }
}

std::unique_ptr<Gtk::EventBox> DatabaseInfoWindow::MakeClickablePicture(Picture picture, const char* tooltip,
                                                                        WidgetId widget) {
    if (!m_context.pictures.Of(picture)) {
        return nullptr;
    }
    auto* image = Gtk::make_managed<PictureImage>(m_context.pictures);
    image->Show(picture);
    auto box = std::make_unique<Gtk::EventBox>();
    box->add(*image);
    box->set_tooltip_text(tooltip);
    NameAfterTooltip(*box);
    box->get_accessible()->set_role(Atk::ROLE_PUSH_BUTTON);
    box->signal_button_press_event().connect([this, widget](GdkEventButton* event) {
        if (event->type == GDK_BUTTON_PRESS && event->button == 1) {
            m_context.queue.Post(WidgetEvent(WindowId::DatabaseInfo, widget, WidgetEventType::LeftClick));
        }
        return true;
    });
    return box;
}

void DatabaseInfoWindow::FillDatabaseSection(const std::string& databasePath, const std::string& content,
                                             const std::string& libraryPath, int themes, int entries) {
    // Paths and the database's texts are any bytes of any length; the fields show them valid
    // and cut.
    m_databaseField.set_text(ShownText(databasePath, kLabelTextLimit));
    m_contentField.set_text(ShownText(content, kLabelTextLimit));
    m_libraryField.set_text(ShownText(libraryPath, kLabelTextLimit));
    m_themesField.set_text(std::to_string(themes));
    m_entriesField.set_text(std::to_string(entries));
}

void DatabaseInfoWindow::SetFileSection(const std::string& file, const CodeFileInfo& info) {
    if (file.empty()) {
        ClearFileSection();
        return;
    }
    m_fileField.set_text(ShownText(file, kLabelTextLimit));
    m_codeFormatField.set_text(info.srcUtf8 != 0 ? "UTF8" : "Ascii");
    m_executableField.set_text(info.exeUnicode != 0 ? "Unicode" : "Ascii");
}

void DatabaseInfoWindow::ClearFileSection() {
    m_fileField.set_text("");
    m_codeFormatField.set_text("");
    m_executableField.set_text("");
}

bool DatabaseInfoWindow::SetLabelText(std::string_view key, const std::string& text) {
    const std::pair<std::string_view, Gtk::Label*> targets[] = {
        {"#DbA_LabelFile", &m_fileLabel},    {"#DbA_LabelEnt", &m_entriesLabel},
        {"#DbA_LabelDb", &m_databaseLabel},  {"#DbA_LabelSrcForm", &m_codeFormatLabel},
        {"#DbA_LabelTop", &m_themesLabel},   {"#DbA_LabelExeForm", &m_executableLabel},
        {"#DbA_LabelLib", &m_libraryLabel},  {"#DbA_LabelCont", &m_contentLabel},
        {"#DbA_Frame1", &m_databaseCaption}, {"#DbA_Frame2", &m_fileCaption},
    };
    for (const auto& [targetKey, label] : targets) {
        if (targetKey == key) {
            label->set_text(text);
            return true;
        }
    }
    return false;
}

void DatabaseInfoWindow::RegisterTexts(TextTargetRegistry& targets) {
    const std::pair<std::string_view, Gtk::Label*> labels[] = {
        {"#DbA_LabelFile", &m_fileLabel},    {"#DbA_LabelEnt", &m_entriesLabel},
        {"#DbA_LabelDb", &m_databaseLabel},  {"#DbA_LabelSrcForm", &m_codeFormatLabel},
        {"#DbA_LabelTop", &m_themesLabel},   {"#DbA_LabelExeForm", &m_executableLabel},
        {"#DbA_LabelLib", &m_libraryLabel},  {"#DbA_LabelCont", &m_contentLabel},
        {"#DbA_Frame1", &m_databaseCaption}, {"#DbA_Frame2", &m_fileCaption},
    };
    for (const auto& [key, label] : labels) {
        const std::string name(key);
        targets.labels[name] = TextTarget{
            label->get_text(), [this, name](const std::string& text) { SetLabelText(name, text); }};
    }
    const std::pair<std::string_view, Gtk::Widget*> icons[] = {{"#DbA_ToDb", m_libraryIcon.get()},
                                                               {"#DbA_CopyFile", m_copyIcon.get()}};
    for (const auto& [key, icon] : icons) {
        if (icon == nullptr) {
            continue;
        }
        const std::string name(key);
        targets.tooltips[name] = TextTarget{
            icon->get_tooltip_text(), [this, name](const std::string& text) { SetTooltipText(name, text); }};
    }
}

bool DatabaseInfoWindow::SetTooltipText(std::string_view key, const std::string& text) {
    Gtk::Widget* target = nullptr;
    if (key == "#DbA_ToDb") {
        target = m_libraryIcon.get();
    } else if (key == "#DbA_CopyFile") {
        target = m_copyIcon.get();
    } else {
        return false;
    }
    if (target != nullptr) {
        target->set_tooltip_text(text);
    }
    return true;
}

}  // namespace quillmate
