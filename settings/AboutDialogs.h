// The two dialogs that tell the user what is running: the program's about dialog and the
// database-info window (database, library, counts and the selected code file).
#pragma once

#include "settings/TextKeys.h"

#include <gdkmm/pixbuf.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/entry.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/fixed.h>
#include <gtkmm/frame.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include <string>
#include <string_view>

#include "app/FixedLayout.h"
#include "app/WidgetRect.h"
#include "app/WindowContext.h"
#include "viewer/CodeFile.h"

namespace quillmate {

// Fixed geometry of the database-info window.
inline constexpr int kDatabaseInfoWidth = 720;
inline constexpr int kDatabaseInfoHeight = 252;
inline constexpr WidgetRect kInfoDatabaseFrameRect{5, 2, 710, 148};
inline constexpr WidgetRect kInfoLibraryIconRect{7, 26, 16, 16};
inline constexpr WidgetRect kInfoDatabaseLabelRect{25, 25, 162, 22};
inline constexpr WidgetRect kInfoDatabaseFieldRect{190, 20, 520, 26};
inline constexpr WidgetRect kInfoContentLabelRect{5, 57, 182, 22};
inline constexpr WidgetRect kInfoContentFieldRect{190, 52, 520, 26};
inline constexpr WidgetRect kInfoLibraryLabelRect{5, 89, 182, 22};
inline constexpr WidgetRect kInfoLibraryFieldRect{190, 84, 520, 26};
inline constexpr WidgetRect kInfoStatisticsIconRect{183, 121, 16, 16};
inline constexpr WidgetRect kInfoThemesLabelRect{175, 121, 130, 22};
inline constexpr WidgetRect kInfoThemesFieldRect{310, 116, 80, 26};
inline constexpr WidgetRect kInfoEntriesLabelRect{475, 121, 150, 22};
inline constexpr WidgetRect kInfoEntriesFieldRect{630, 116, 80, 26};
inline constexpr WidgetRect kInfoFileFrameRect{5, 162, 710, 87};
inline constexpr WidgetRect kInfoCopyIconRect{7, 186, 16, 16};
inline constexpr WidgetRect kInfoFileLabelRect{25, 187, 162, 22};
inline constexpr WidgetRect kInfoFileFieldRect{190, 182, 520, 26};
inline constexpr WidgetRect kInfoCodeFormatIconRect{174, 220, 16, 16};
inline constexpr WidgetRect kInfoCodeFormatLabelRect{175, 220, 130, 22};
inline constexpr WidgetRect kInfoCodeFormatFieldRect{310, 215, 80, 26};
inline constexpr WidgetRect kInfoExecutableLabelRect{455, 220, 170, 22};
inline constexpr WidgetRect kInfoExecutableFieldRect{630, 215, 80, 26};

// Shows the program's about dialog (modal, created for this showing) and returns when the user
// has closed it, with the program's picture as its logo when that decoded.
void ShowProgramAbout(const PictureBook& pictures);
// Read-only entry fields that fit the fixed layouts' 26-pixel rows.
void MakeCompactValueField(Gtk::Entry& entry, const Glib::RefPtr<Gtk::CssProvider>& css);
// Style of the compact value fields, shared by the program's small windows.
Glib::RefPtr<Gtk::CssProvider> CompactFieldCss();

class DatabaseInfoWindow : public Gtk::Window {
  public:
    explicit DatabaseInfoWindow(const WindowContext& context);

    void FillDatabaseSection(const std::string& databasePath, const std::string& content,
                             const std::string& libraryPath, int themes, int entries);
    // The selected code file and its formats; an empty `file` empties the whole file section.
    void SetFileSection(const std::string& file, const CodeFileInfo& info);
    void ClearFileSection();

    std::string DatabaseText() const { return m_databaseField.get_text(); }
    std::string ContentText() const { return m_contentField.get_text(); }
    std::string LibraryText() const { return m_libraryField.get_text(); }
    std::string ThemesText() const { return m_themesField.get_text(); }
    std::string EntriesText() const { return m_entriesField.get_text(); }
    std::string FileText() const { return m_fileField.get_text(); }
    std::string CodeFormatText() const { return m_codeFormatField.get_text(); }
    std::string ExecutableFormatText() const { return m_executableField.get_text(); }
    Gtk::Entry& FileField() { return m_fileField; }
    // The clickable pictures; null when their picture did not decode.
    Gtk::EventBox* LibraryIcon() { return m_libraryIcon.get(); }
    Gtk::EventBox* CopyIcon() { return m_copyIcon.get(); }

    // Language switch: writes a label text ("#DbA_LabelDb", "#DbA_Frame1", ...) or a tooltip
    // ("#DbA_ToDb", "#DbA_CopyFile", without the "TT" prefix). False for keys of other windows.
    bool SetLabelText(std::string_view key, const std::string& text);
    bool SetTooltipText(std::string_view key, const std::string& text);
    // Offers the window's labels and tooltips to the language switch, with their German texts.
    void RegisterTexts(TextTargetRegistry& targets);

  private:
    void Build();
    std::unique_ptr<Gtk::EventBox> MakeClickablePicture(Picture picture, const char* tooltip,
                                                        WidgetId widget);
    void PlaceCaption(Gtk::Frame& frame, Gtk::Label& caption, const WidgetRect& rect);
    void PlaceLabel(Gtk::Label& label, const WidgetRect& rect);
    void PlaceField(Gtk::Entry& field, const WidgetRect& rect, bool rightAligned);
    void PlaceDecoration(PictureImage& image, Picture picture, const WidgetRect& rect);

    WindowContext m_context;
    Glib::RefPtr<Gtk::CssProvider> m_fieldCss;
    FixedLayout m_fixed{kDatabaseInfoWidth, kDatabaseInfoHeight};
    Gtk::Frame m_databaseFrame;
    Gtk::Label m_databaseCaption{"Datenbank & Library ..."};
    Gtk::Frame m_fileFrame;
    Gtk::Label m_fileCaption{"Gewählte Datei ..."};
    std::unique_ptr<Gtk::EventBox> m_libraryIcon;
    std::unique_ptr<Gtk::EventBox> m_copyIcon;
    PictureImage m_statisticsImage{m_context.pictures};
    PictureImage m_codeFormatImage{m_context.pictures};
    Gtk::Label m_databaseLabel{"Datenbank (xml):"};
    Gtk::Label m_contentLabel{"Inhalt:"};
    Gtk::Label m_libraryLabel{"Library (Hauptordner):"};
    Gtk::Label m_themesLabel{"Themen:"};
    Gtk::Label m_entriesLabel{"Einträge:"};
    Gtk::Label m_fileLabel{"Datei (+Unterordner):"};
    Gtk::Label m_codeFormatLabel{"Code-Format:"};
    Gtk::Label m_executableLabel{"Executable-Format:"};
    Gtk::Entry m_databaseField;
    Gtk::Entry m_contentField;
    Gtk::Entry m_libraryField;
    Gtk::Entry m_themesField;
    Gtk::Entry m_entriesField;
    Gtk::Entry m_fileField;
    Gtk::Entry m_codeFormatField;
    Gtk::Entry m_executableField;
};

}  // namespace quillmate
