#include "settings/SettingsDialog.h"

#include <gdk/gdkkeysyms.h>
#include <glib.h>
#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/stylecontext.h>

#include "app/WindowEvents.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

// Every combo box of the dialog has three rows; a stored value outside them leaves the box
// without a selected row.
void SelectRowOrNone(Gtk::ComboBox& combo, int row) {
    combo.set_active(row >= 0 && row <= 2 ? row : -1);
}

// The controls keep their designed sizes: the theme's minimum heights and paddings of entries,
// buttons and combo boxes would otherwise make them taller than their places.
constexpr const char* kSettingsCss =
    "#SettingsWindow entry, #SettingsWindow button, #SettingsWindow combobox button {\n"
    "  min-height: 0; padding-top: 0; padding-bottom: 0;\n"
    "}\n"
    "#SettingsWindow button { min-width: 0; padding-left: 4px; padding-right: 4px; }\n";

// Stock items are deprecated in GTK 3; a button shows the same picture through its icon name
// and the stock label through GTK's own translation of it.
void MakeStockButton(Gtk::Button& button, const char* iconName, const char* stockLabel) {
    button.set_image_from_icon_name(iconName, Gtk::ICON_SIZE_BUTTON);
    button.set_label(g_dpgettext2("gtk30", "Stock label", stockLabel));
    button.set_use_underline(true);
    button.set_always_show_image(true);
}

std::string JoinRows(const std::vector<std::string>& rows) {
    std::string text;
    for (size_t i = 0; i < rows.size(); ++i) {
        text += (i == 0 ? "" : "\t") + rows[i];
    }
    return text;
}

// Texts longer than their control's place are cut with "…" instead of widening the control over
// its neighbours (translations are often longer than the German texts).
void SetButtonText(Gtk::Button& button, const std::string& text) {
    button.set_label(text);
    if (auto* label = dynamic_cast<Gtk::Label*>(button.get_child())) {
        label->set_ellipsize(Pango::ELLIPSIZE_END);
    }
}

// A click on a combo box lands on its inner button, which takes the focus unless told otherwise
// (the combo box's own focus-on-click does not reach it).
void NoFocusOnClickInside(GtkWidget* widget) {
    if (GTK_IS_BUTTON(widget)) {
        gtk_widget_set_focus_on_click(widget, FALSE);
    }
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(
            GTK_CONTAINER(widget), [](GtkWidget* child, gpointer) { NoFocusOnClickInside(child); }, nullptr);
    }
}

int CheckState(const Gtk::CheckButton& check) {
    return check.get_active() ? 1 : 0;
}

}  // namespace

SettingsWindow::SettingsWindow(const WindowContext& context, const Preferences& preferences,
                               Gtk::Window* parent)
    : m_context(context) {
    set_name("SettingsWindow");
    set_title("Quillmate - Settings");
    set_resizable(false);
    set_default_size(m_fixed.Width(), m_fixed.Height());
    set_position(Gtk::WIN_POS_CENTER);
    if (parent != nullptr) {
        set_transient_for(*parent);
    }
    m_css = Gtk::CssProvider::create();
    m_css->load_from_data(kSettingsCss);
    Gtk::StyleContext::add_provider_for_screen(Gdk::Screen::get_default(), m_css,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    BuildPathsFrame();
    BuildProgramFrame();
    BuildButtons();
    add(m_fixed);
    m_fixed.show_all();
    SetFromPreferences(preferences);
    RegisterTexts();
    ConnectSignals();
    m_cancelButton.grab_focus();
}

SettingsWindow::~SettingsWindow() {
    Gtk::StyleContext::remove_provider_for_screen(Gdk::Screen::get_default(), m_css);
}

void SettingsWindow::Place(Gtk::Widget& widget, const WidgetRect& rect, const char* name) {
    m_placed.push_back({name, &widget, PlaceAt(m_fixed, widget, rect)});
}

void SettingsWindow::SetUpFrame(Gtk::Frame& frame, Gtk::Label& caption, const char* text,
                                const WidgetRect& rect, const char* name) {
    caption.set_text(text);
    caption.set_ellipsize(Pango::ELLIPSIZE_END);
    caption.override_font(m_context.headingFont);
    frame.set_label_widget(caption);
    frame.override_background_color(m_context.transparent);
    Place(frame, rect, name);
}

void SettingsWindow::SetUpCombo(Gtk::ComboBox& combo, const std::vector<std::string>& rows, bool withFlags) {
    auto store = Gtk::ListStore::create(m_columns);
    const Picture flags[] = {Picture::FlagGerman, Picture::FlagBritish, Picture::FlagFrench};
    for (size_t i = 0; i < rows.size(); ++i) {
        auto row = *store->append();
        if (withFlags && i < std::size(flags)) {
            row[m_columns.flag] = m_context.pictures.Of(flags[i]);
        }
        row[m_columns.text] = rows[i];
    }
    combo.set_model(store);
    if (withFlags) {
        auto* flagRenderer = Gtk::make_managed<Gtk::CellRendererPixbuf>();
        combo.pack_start(*flagRenderer, false);
        combo.add_attribute(*flagRenderer, "pixbuf", m_columns.flag);
        combo.set_cell_data_func(
            *flagRenderer, [this, &combo, flagRenderer, flags](const Gtk::TreeModel::const_iterator& iter) {
                const auto row = static_cast<size_t>(combo.get_model()->get_path(iter)[0]);
                if (row < std::size(flags)) {
                    ShowCellPicture(*flagRenderer, m_context.pictures, flags[row], combo.get_scale_factor());
                }
            });
    }
    auto* textRenderer = Gtk::make_managed<Gtk::CellRendererText>();
    textRenderer->property_ellipsize() = Pango::ELLIPSIZE_END;
    combo.pack_start(*textRenderer, true);
    combo.add_attribute(*textRenderer, "text", m_columns.text);
    combo.set_focus_on_click(false);
    NoFocusOnClickInside(GTK_WIDGET(combo.gobj()));
}

void SettingsWindow::SetRows(Gtk::ComboBox& combo, const std::vector<std::string>& rows) {
    auto store = Glib::RefPtr<Gtk::ListStore>::cast_dynamic(combo.get_model());
    if (!store) {
        return;
    }
    size_t i = 0;
    for (auto& row : store->children()) {
        if (i < rows.size()) {
            row.set_value(1, Glib::ustring(rows[i]));
        }
        ++i;
    }
}

std::vector<std::string> SettingsWindow::RowTexts(Gtk::ComboBox& combo) {
    std::vector<std::string> texts;
    if (const auto model = combo.get_model()) {
        for (const auto& row : model->children()) {
            Glib::ustring text;
            row.get_value(1, text);
            texts.push_back(text);
        }
    }
    return texts;
}

void SettingsWindow::BuildPathsFrame() {
    SetUpFrame(m_pathsFrame, m_pathsCaption, "Pfade (Datenbank) temporär oder dauerhaft ändern ...",
               kPathsFrameRect, "paths frame");

    m_databaseLabel.set_text("Datenbank-Pfad (*.xml):");
    m_databaseLabel.set_xalign(0.0f);
    m_databaseLabel.set_ellipsize(Pango::ELLIPSIZE_END);
    Place(m_databaseLabel, kDatabaseLabelRect, "database label");
    m_databaseField.set_editable(false);
    m_databaseField.set_tooltip_text("Pfad der Datenbank-Datei (xml).");
    Place(m_databaseField, kDatabaseFieldRect, "database field");
    m_databaseButton.set_label("...");
    m_databaseButton.set_focus_on_click(false);
    m_databaseButton.set_tooltip_text("Dateiauswahl für die Datenbank-Datei (xml)");
    Place(m_databaseButton, kDatabaseButtonRect, "database button");

    m_libraryLabel.set_text("Library-Pfad (Hauptordner über Buttons, Calendar, ...):");
    m_libraryLabel.set_xalign(0.0f);
    m_libraryLabel.set_ellipsize(Pango::ELLIPSIZE_END);
    Place(m_libraryLabel, kLibraryLabelRect, "library label");
    m_libraryField.set_editable(false);
    m_libraryField.set_tooltip_text(
        "Hauptpfad (Hautordner) der Library. Kann leer bleiben falls identisch mit dem Viewer-Verzeichnis.");
    Place(m_libraryField, kLibraryFieldRect, "library field");
    m_libraryButton.set_label("...");
    m_libraryButton.set_focus_on_click(false);
    m_libraryButton.set_tooltip_text(
        "Dateiauswahl für das Library-Hauptverzeichnis, falls nicht identisch mit Viewer-Verzeichnis.");
    Place(m_libraryButton, kLibraryButtonRect, "library button");

    SetButtonText(m_savePaths, "Speichert Pfade mit 'Speichern'");
    m_savePaths.set_focus_on_click(false);
    m_savePaths.set_tooltip_text(
        "Ausgewählt werden die Pfadeinstellungen bei 'Speichern' mitgesichert, anders kann temporät "
        "gearbeitet werden.");
    Place(m_savePaths, kSavePathsRect, "save-paths check box");

    MakeStockButton(m_applyButton, "gtk-apply", "_Apply");
    m_applyButton.set_tooltip_text("Übernimmt (temporär) die Pfade und lädt die Datenbank neu.");
    Place(m_applyButton, kApplyButtonRect, "apply button");
}

void SettingsWindow::BuildProgramFrame() {
    SetUpFrame(m_programFrame, m_programCaption, "Programm-Einstellungen ...", kProgramFrameRect,
               "program-settings frame");

    struct LabelPlace {
        Gtk::Label& label;
        const char* text;
        WidgetRect rect;
        const char* name;
    };
    const LabelPlace labels[] = {
        {m_languageLabel, "Sprache", kLanguageLabelRect, "language label"},
        {m_fontLabel, "Zeichensatz für Dateianzeige", kFontLabelRect, "font label"},
        {m_searchLabel, "Suche in", kSearchLabelRect, "search label"},
        {m_hintLabel, "'Nicht gefunden' Hinweis", kHintLabelRect, "hint label"},
        {m_titleLabel, "Fenstertitel-Inhalt", kTitleLabelRect, "title label"},
        {m_markingLabel, "Editor Code-Hervorhebung", kMarkingLabelRect, "marking label"},
    };
    for (const LabelPlace& place : labels) {
        place.label.set_text(place.text);
        place.label.set_xalign(0.0f);
        place.label.set_ellipsize(Pango::ELLIPSIZE_END);
    }

    Place(m_languageLabel, kLanguageLabelRect, "language label");
    SetUpCombo(m_languageCombo, {"German", "English", "French"}, true);
    m_languageCombo.set_tooltip_text(
        "Wählt die Sprache für den Index und die Beschreibung. Fränzösich ist noch Englisch!");
    Place(m_languageCombo, kLanguageComboRect, "language combo box");

    Place(m_fontLabel, kFontLabelRect, "font label");
    m_fontName.set_xalign(0.5f);
    m_fontName.set_ellipsize(Pango::ELLIPSIZE_END);
    m_fontName.set_tooltip_text(
        "Aktuell gewählter Zeichensatz für den Code. Änderung über die Schaltfläche rechts.");
    Place(m_fontName, kFontNameRect, "font name field");
    m_fontSize.set_xalign(0.0f);
    Place(m_fontSize, kFontSizeRect, "font size field");
    m_fontButton.set_label("...");
    m_fontButton.set_focus_on_click(false);
    m_fontButton.set_tooltip_text("Öffnet die Zeichensatz-Auswahl.");
    Place(m_fontButton, kFontButtonRect, "font button");

    Place(m_searchLabel, kSearchLabelRect, "search label");
    SetUpCombo(m_searchCombo,
               {"Index + Beschreibung (akt. Sprache)", "Nur Index (akt. Sprache)",
                "Index + Beschreibung (alle Sprachen)", "Index + Beschreibung + Code"},
               false);
    m_searchCombo.set_tooltip_text("Wählt den Umfang des Suchmodus.");
    Place(m_searchCombo, kSearchComboRect, "search combo box");

    Place(m_hintLabel, kHintLabelRect, "hint label");
    SetUpCombo(m_hintCombo, {"Beide Effekte", "Fenster-'shake'", "Suchfeld blinkt falls unterstützt"}, false);
    m_hintCombo.set_tooltip_text("Wählt den Typ für Hinweise bei nicht (weiter) gefundenen Suchbegriffen.");
    Place(m_hintCombo, kHintComboRect, "hint combo box");

    Place(m_titleLabel, kTitleLabelRect, "title label");
    SetUpCombo(m_titleCombo, {"Nur Dateiname", "Unterordner & Dateiname", "Voller Pfad & Dateiname"}, false);
    m_titleCombo.set_tooltip_text("Wählt den Inhalt (Länge) der Fenster-Titelzeile.");
    Place(m_titleCombo, kTitleComboRect, "title combo box");

    Place(m_markingLabel, kMarkingLabelRect, "marking label");
    SetUpCombo(m_markingCombo, {"Reiner Text", "Fett, graue Kommentare", "Blau+Fett, graue Kommentare"},
               false);
    m_markingCombo.set_tooltip_text("Wählt die Kennzeichnung für Schlüsselwörter. Reiner Text ist 'Aus'.");
    Place(m_markingCombo, kMarkingComboRect, "marking combo box");

    SetButtonText(m_dyeNews, "Neues/Geändertes kennzeichnen (Index)");
    m_dyeNews.set_tooltip_text(
        "Blue Index-Schrift für neue Themen. Ausschalten falls bei dunklen Hintergründen nicht mehr lesbar.");
    Place(m_dyeNews, kDyeNewsRect, "new-entries check box");
    SetButtonText(m_windowData, "Fensterpos. u. größe mitspeichern");
    m_windowData.set_focus_on_click(false);
    m_windowData.set_tooltip_text(
        "Ausgewählt werden immer die letzte Fensterposition und -größe sowie die Splitterposition "
        "gespeichert.");
    Place(m_windowData, kWindowDataRect, "window-data check box");
    SetButtonText(m_darkMode, "'Dark-Theme' Farben");
    m_darkMode.set_tooltip_text("Setzt angepasste Farben für 'Dark-Themes'.");
    Place(m_darkMode, kDarkModeRect, "dark-colours check box");
    SetButtonText(m_lineNumbers, "Zeilennummern");
    m_lineNumbers.set_tooltip_text("Zeigt die Zeilennummern der Datei links neben dem Code.");
    Place(m_lineNumbers, kLineNumbersRect, "line-numbers check box");
}

void SettingsWindow::BuildButtons() {
    MakeStockButton(m_cancelButton, "gtk-cancel", "_Cancel");
    m_cancelButton.set_tooltip_text("Schließt ohne Übernahme der Änderungen.");
    Place(m_cancelButton, kCancelButtonRect, "cancel button");
    // GTK's own "gtk-save" stock item is drawn with the theme's "document-save" icon.
    MakeStockButton(m_saveButton, "document-save", "_Save");
    m_saveButton.set_tooltip_text("Übernimmt und speichert die Einstellungen in der *.ini-Datei.");
    Place(m_saveButton, kSaveButtonRect, "save button");
}

void SettingsWindow::SetFromPreferences(const Preferences& prefs) {
    m_savePaths.set_active(prefs.savePaths != 0);
    m_windowData.set_active(prefs.saveWinSetting != 0);
    m_dyeNews.set_active(prefs.dyeingNews != 0);
    m_darkMode.set_active(prefs.darkMode != 0);
    m_lineNumbers.set_active(prefs.lineNumbers != 0);
    SelectRowOrNone(m_languageCombo, prefs.language);
    SelectRowOrNone(m_searchCombo, prefs.searchMode);
    SelectRowOrNone(m_hintCombo, prefs.searchHint);
    SelectRowOrNone(m_titleCombo, prefs.sourceInTitle);
    SelectRowOrNone(m_markingCombo, prefs.codeMarks);
}

void SettingsWindow::RegisterTexts() {
    TextTargetRegistry& targets = m_context.textTargets;
    struct LabelKey {
        const char* key;
        Gtk::Label& label;
    };
    for (const LabelKey& item :
         {LabelKey{"#Cnf_LabelHint", m_hintLabel}, LabelKey{"#Cnf_LabelLib", m_libraryLabel},
          LabelKey{"#Cnf_LabelTitle", m_titleLabel}, LabelKey{"#Cnf_LangLabel", m_languageLabel},
          LabelKey{"#Cnf_LabelDB", m_databaseLabel}, LabelKey{"#Cnf_Frame1", m_pathsCaption},
          LabelKey{"#Cnf_Frame2", m_programCaption}, LabelKey{"#Cnf_LangFont", m_fontLabel},
          LabelKey{"#Cnf_LabelMark", m_markingLabel}, LabelKey{"#Cnf_LabelSearch", m_searchLabel}}) {
        Gtk::Label* label = &item.label;
        targets.labels[item.key] = {label->get_text(),
                                    [label](const std::string& text) { label->set_text(text); }};
    }
    struct ButtonKey {
        const char* key;
        Gtk::Button& button;
    };
    for (const ButtonKey& item :
         {ButtonKey{"#Cnf_WinData2Pref", m_windowData}, ButtonKey{"#Cnf_DyeNews", m_dyeNews},
          ButtonKey{"#Cnf_DarkMode", m_darkMode}, ButtonKey{"#Cnf_Paths2Pref", m_savePaths},
          ButtonKey{"#Cnf_FontChoose", m_fontButton}, ButtonKey{"#Cnf_LineNumbers", m_lineNumbers}}) {
        Gtk::Button* button = &item.button;
        targets.labels[item.key] = {button->get_label(),
                                    [button](const std::string& text) { SetButtonText(*button, text); }};
    }
    struct ComboKey {
        const char* key;
        Gtk::ComboBox& combo;
    };
    for (const ComboKey& item :
         {ComboKey{"#Cnf_SearchFailHint", m_hintCombo}, ComboKey{"#Cnf_Language", m_languageCombo},
          ComboKey{"#Cnf_SearchMode", m_searchCombo}, ComboKey{"#Cnf_CodeMarking", m_markingCombo},
          ComboKey{"#Cnf_FileNameLen", m_titleCombo}}) {
        Gtk::ComboBox* combo = &item.combo;
        const std::string builtIn = JoinRows(RowTexts(*combo));
        targets.labels[item.key] = {builtIn, [combo, builtIn](const std::string& text) {
                                        SetRows(*combo, ComboRows(text, builtIn, RowTexts(*combo).size()));
                                    }};
    }
    struct TooltipKey {
        const char* key;
        Gtk::Widget& widget;
    };
    for (const TooltipKey& item :
         {TooltipKey{"#Cnf_Apply", m_applyButton}, TooltipKey{"#Cnf_FontChoose", m_fontButton},
          TooltipKey{"#Cnf_LibChoose", m_libraryButton}, TooltipKey{"#Cnf_SearchMode", m_searchCombo},
          TooltipKey{"#Cnf_CodeMarking", m_markingCombo}, TooltipKey{"#Cnf_Paths2Pref", m_savePaths},
          TooltipKey{"#Cnf_FileNameLen", m_titleCombo}, TooltipKey{"#Cnf_LibShow", m_libraryField},
          TooltipKey{"#Cnf_SearchFailHint", m_hintCombo}, TooltipKey{"#Cnf_WinData2Pref", m_windowData},
          TooltipKey{"#Cnf_DarkMode", m_darkMode}, TooltipKey{"#Cnf_DyeNews", m_dyeNews},
          TooltipKey{"#Cnf_DbChoose", m_databaseButton}, TooltipKey{"#Cnf_OkSave", m_saveButton},
          TooltipKey{"#Cnf_Cancel", m_cancelButton}, TooltipKey{"#Cnf_DbShow", m_databaseField},
          TooltipKey{"#Cnf_Fontname", m_fontName}, TooltipKey{"#Cnf_Language", m_languageCombo},
          TooltipKey{"#Cnf_LineNumbers", m_lineNumbers}}) {
        Gtk::Widget* widget = &item.widget;
        targets.tooltips[item.key] = {widget->get_tooltip_text(),
                                      [widget](const std::string& text) { widget->set_tooltip_text(text); }};
    }
}

void SettingsWindow::PostClick(WidgetId widget) {
    m_context.queue.Post(WidgetEvent(WindowId::Settings, widget, WidgetEventType::LeftClick));
}

void SettingsWindow::ConnectSignals() {
    // Escape is the window's own shortcut; it carries the same command as in the main window.
    PostCloseAndEscape(*this, m_context.queue, WindowId::Settings);
    struct ButtonEvent {
        Gtk::Button& button;
        WidgetId widget;
    };
    for (const ButtonEvent& entry :
         {ButtonEvent{m_databaseButton, WidgetId::DatabaseChooser},
          ButtonEvent{m_libraryButton, WidgetId::LibraryChooser},
          ButtonEvent{m_fontButton, WidgetId::FontChooser}, ButtonEvent{m_applyButton, WidgetId::ApplyButton},
          ButtonEvent{m_saveButton, WidgetId::SaveButton},
          ButtonEvent{m_cancelButton, WidgetId::CancelButton}}) {
        const WidgetId widget = entry.widget;
        entry.button.signal_clicked().connect([this, widget] { PostClick(widget); });
    }
}

void SettingsWindow::SetDatabasePath(const std::string& path) {
    m_databasePath = path;
    m_databaseField.set_text(ShownText(path, kLabelTextLimit));
}

void SettingsWindow::SetLibraryPath(const std::string& path) {
    m_libraryPath = path;
    m_libraryField.set_text(ShownText(path, kLabelTextLimit));
}

void SettingsWindow::SetFont(const std::string& name, int size) {
    m_fontName.set_text(ToValidUtf8(name));
    m_fontSize.set_text(std::to_string(size));
}

void SettingsWindow::SetLanguageRow(int row) {
    SelectRowOrNone(m_languageCombo, row);
}

SettingsDialogState SettingsWindow::State() const {
    SettingsDialogState state;
    state.dbPathField = m_databasePath;
    state.libPathField = m_libraryPath;
    state.fontNameField = m_fontName.get_text();
    state.fontSizeField = m_fontSize.get_text();
    state.savePaths = CheckState(m_savePaths);
    state.saveWinSetting = CheckState(m_windowData);
    state.dyeingNews = CheckState(m_dyeNews);
    state.darkMode = CheckState(m_darkMode);
    state.lineNumbers = CheckState(m_lineNumbers);
    state.searchHint = m_hintCombo.get_active_row_number();
    state.searchMode = m_searchCombo.get_active_row_number();
    state.sourceInTitle = m_titleCombo.get_active_row_number();
    state.codeMarks = m_markingCombo.get_active_row_number();
    state.language = m_languageCombo.get_active_row_number();
    return state;
}

std::vector<PlacedControl> SettingsWindow::PlacedControls() {
    return m_placed;
}

}  // namespace quillmate
