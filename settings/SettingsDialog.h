// The settings dialog: a fixed-size window with the paths, the program settings and the three
// actions Apply, Cancel and Save. Built once, hidden, with German texts.
#pragma once

#include "app/FixedLayout.h"
#include "app/WidgetRect.h"

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/combobox.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/entry.h>
#include <gtkmm/frame.h>
#include <gtkmm/label.h>
#include <gtkmm/liststore.h>
#include <gtkmm/window.h>

#include <string>
#include <vector>

#include "app/WindowContext.h"
#include "base/EventQueue.h"
#include "settings/Preferences.h"
#include "settings/SettingsDecisions.h"

namespace quillmate {

// Position and size of a control, relative to the window's client area, as designed for text at
// 96 dots per inch (see FixedLayout.h).
inline constexpr int kSettingsWidth = 634;
inline constexpr int kSettingsHeight = 512;
inline constexpr WidgetRect kPathsFrameRect{5, 5, 624, 168};
inline constexpr WidgetRect kDatabaseLabelRect{15, 22, 400, 26};
inline constexpr WidgetRect kDatabaseFieldRect{20, 42, 555, 26};
inline constexpr WidgetRect kDatabaseButtonRect{578, 42, 46, 26};
inline constexpr WidgetRect kLibraryLabelRect{15, 71, 500, 26};
inline constexpr WidgetRect kLibraryFieldRect{20, 91, 555, 26};
inline constexpr WidgetRect kLibraryButtonRect{578, 91, 46, 26};
inline constexpr WidgetRect kSavePathsRect{15, 126, 300, 24};
inline constexpr WidgetRect kApplyButtonRect{449, 128, 175, 36};
inline constexpr WidgetRect kProgramFrameRect{5, 180, 624, 282};
inline constexpr WidgetRect kLanguageLabelRect{20, 207, 215, 26};
inline constexpr WidgetRect kLanguageComboRect{240, 200, 290, 32};
inline constexpr WidgetRect kFontLabelRect{20, 239, 215, 32};
inline constexpr WidgetRect kFontNameRect{240, 232, 290, 30};
inline constexpr WidgetRect kFontSizeRect{535, 236, 40, 22};
inline constexpr WidgetRect kFontButtonRect{578, 234, 46, 26};
inline constexpr WidgetRect kSearchLabelRect{20, 269, 215, 26};
inline constexpr WidgetRect kSearchComboRect{240, 262, 290, 32};
inline constexpr WidgetRect kHintLabelRect{20, 301, 215, 26};
inline constexpr WidgetRect kHintComboRect{240, 294, 290, 32};
inline constexpr WidgetRect kTitleLabelRect{20, 333, 215, 26};
inline constexpr WidgetRect kTitleComboRect{240, 326, 290, 32};
inline constexpr WidgetRect kMarkingLabelRect{20, 365, 215, 32};
inline constexpr WidgetRect kMarkingComboRect{240, 358, 290, 32};
inline constexpr WidgetRect kDyeNewsRect{15, 397, 320, 24};
inline constexpr WidgetRect kWindowDataRect{15, 427, 320, 24};
inline constexpr WidgetRect kDarkModeRect{340, 397, 270, 24};
inline constexpr WidgetRect kLineNumbersRect{340, 427, 270, 24};
inline constexpr WidgetRect kCancelButtonRect{5, 470, 307, 36};
inline constexpr WidgetRect kSaveButtonRect{322, 470, 307, 36};

// A control of the dialog with the place it was put at (grown with the text).
struct PlacedControl {
    const char* name;
    Gtk::Widget* widget;
    WidgetRect rect;
};

class SettingsWindow : public Gtk::Window {
  public:
    // Builds the dialog transient for the main window, with the check boxes and combo boxes set
    // from the Preferences, and registers its texts for the language switch.
    // Transient for `parent` when there is one.
    SettingsWindow(const WindowContext& context, const Preferences& preferences, Gtk::Window* parent);
    ~SettingsWindow() override;

    // The four fields that the settings button fills. A path is any bytes: its field shows it as
    // valid UTF-8, and the path itself is what the dialog gives back.
    void SetDatabasePath(const std::string& path);
    void SetLibraryPath(const std::string& path);
    void SetFont(const std::string& name, int size);
    const std::string& DatabasePath() const { return m_databasePath; }
    const std::string& LibraryPath() const { return m_libraryPath; }
    std::string FontName() const { return m_fontName.get_text(); }
    std::string FontSizeText() const { return m_fontSize.get_text(); }

    // The language chooser's row (-1 when none is selected): what a Save makes the language.
    int LanguageRow() const { return m_languageCombo.get_active_row_number(); }
    void SetLanguageRow(int row);

    // Everything Save reads from the dialog.
    SettingsDialogState State() const;

    Gtk::ComboBox& LanguageCombo() { return m_languageCombo; }
    Gtk::ComboBox& SearchCombo() { return m_searchCombo; }
    Gtk::ComboBox& HintCombo() { return m_hintCombo; }
    Gtk::ComboBox& TitleCombo() { return m_titleCombo; }
    Gtk::ComboBox& MarkingCombo() { return m_markingCombo; }
    Gtk::CheckButton& SavePathsCheck() { return m_savePaths; }
    Gtk::CheckButton& WindowDataCheck() { return m_windowData; }
    Gtk::CheckButton& DyeNewsCheck() { return m_dyeNews; }
    Gtk::CheckButton& DarkModeCheck() { return m_darkMode; }
    Gtk::CheckButton& LineNumbersCheck() { return m_lineNumbers; }
    Gtk::Button& DatabaseButton() { return m_databaseButton; }
    Gtk::Button& LibraryButton() { return m_libraryButton; }
    Gtk::Button& FontButton() { return m_fontButton; }
    Gtk::Button& ApplyButton() { return m_applyButton; }
    Gtk::Button& CancelButton() { return m_cancelButton; }
    Gtk::Button& SaveButton() { return m_saveButton; }
    Gtk::Label& LanguageLabel() { return m_languageLabel; }
    Gtk::Label& HintLabel() { return m_hintLabel; }
    Gtk::Label& PathsCaption() { return m_pathsCaption; }
    // Texts of a combo box's rows, top to bottom.
    static std::vector<std::string> RowTexts(Gtk::ComboBox& combo);
    // Every control with its designed place, in creation order.
    std::vector<PlacedControl> PlacedControls();

  private:
    struct RowColumns : public Gtk::TreeModelColumnRecord {
        RowColumns() {
            add(flag);
            add(text);
        }
        Gtk::TreeModelColumn<Glib::RefPtr<Gdk::Pixbuf>> flag;
        Gtk::TreeModelColumn<Glib::ustring> text;
    };

    void BuildPathsFrame();
    void BuildProgramFrame();
    void BuildButtons();
    void SetFromPreferences(const Preferences& prefs);
    void RegisterTexts();
    void ConnectSignals();
    void Place(Gtk::Widget& widget, const WidgetRect& rect, const char* name);
    void SetUpFrame(Gtk::Frame& frame, Gtk::Label& caption, const char* text, const WidgetRect& rect,
                    const char* name);
    void SetUpCombo(Gtk::ComboBox& combo, const std::vector<std::string>& rows, bool withFlags);
    static void SetRows(Gtk::ComboBox& combo, const std::vector<std::string>& rows);
    void PostClick(WidgetId widget);

    WindowContext m_context;
    RowColumns m_columns;
    Glib::RefPtr<Gtk::CssProvider> m_css;
    std::vector<PlacedControl> m_placed;
    FixedLayout m_fixed{kSettingsWidth, kSettingsHeight};

    Gtk::Frame m_pathsFrame;
    Gtk::Label m_pathsCaption;
    Gtk::Label m_databaseLabel;
    Gtk::Entry m_databaseField;
    Gtk::Button m_databaseButton;
    Gtk::Label m_libraryLabel;
    Gtk::Entry m_libraryField;
    Gtk::Button m_libraryButton;
    std::string m_databasePath;
    std::string m_libraryPath;
    Gtk::CheckButton m_savePaths;
    Gtk::Button m_applyButton;

    Gtk::Frame m_programFrame;
    Gtk::Label m_programCaption;
    Gtk::Label m_languageLabel;
    Gtk::ComboBox m_languageCombo;
    Gtk::Label m_fontLabel;
    Gtk::Label m_fontName;
    Gtk::Label m_fontSize;
    Gtk::Button m_fontButton;
    Gtk::Label m_searchLabel;
    Gtk::ComboBox m_searchCombo;
    Gtk::Label m_hintLabel;
    Gtk::ComboBox m_hintCombo;
    Gtk::Label m_titleLabel;
    Gtk::ComboBox m_titleCombo;
    Gtk::Label m_markingLabel;
    Gtk::ComboBox m_markingCombo;
    Gtk::CheckButton m_dyeNews;
    Gtk::CheckButton m_windowData;
    Gtk::CheckButton m_darkMode;
    Gtk::CheckButton m_lineNumbers;

    Gtk::Button m_cancelButton;
    Gtk::Button m_saveButton;
};

}  // namespace quillmate
