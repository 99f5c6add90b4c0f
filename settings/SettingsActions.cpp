#include "settings/SettingsActions.h"

#include <gtkmm/filechooserdialog.h>
#include <gtkmm/fontchooserdialog.h>

#include <cmath>

#include "app/Application.h"
#include "app/Effects.h"
#include "app/FirstMonitor.h"
#include "app/FontMetrics.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Paths.h"
#include "database/Database.h"
#include "database/IndexTreeActions.h"
#include "database/SearchActions.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "settings/LanguageActions.h"
#include "settings/Requesters.h"
#include "settings/SettingsDialog.h"
#include "viewer/CodeViewerActions.h"
#include "viewer/Zoom.h"

namespace quillmate {
namespace {

constexpr const char* kRestartText =
    "For an update of the CodeViewer colors the app still has to be restarted!";

// The row of the entry whose file the code view shows, whether or not it is selected (a search
// may leave none selected); -1 for a dropped file or a view emptied by Apply.
int ShownEntryFileRow(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    const std::string& entryFile = window.Code().CurrentEntryFile();
    if (!window.Code().ShownFile().IsEntryFile(entryFile) || window.Code().View().get_buffer()->size() == 0) {
        return -1;
    }
    return ShownEntryRow(app.records.entries, entryFile, window.Tree().SelectedRow());
}

// The code font from "FontName" and "FontSize"; a font that cannot be loaded leaves the view's font.
void TakeCodeFont(Application& app) {
    const Preferences& prefs = app.records.preferences;
    if (!FontFamilyExists(prefs.fontName) || prefs.fontSize <= 0) {
        return;
    }
    app.ui.codeFont = CodeFont(prefs.fontName, prefs.fontSize);
    // A zoomed view stays zoomed by the same step.
    Pango::FontDescription shown = app.ui.codeFont;
    shown.set_size(ZoomedFontSize(prefs.fontSize, app.records.zoom.current));
    app.ui.mainWindow->Code().SetFont(shown);
}

std::optional<WindowGeometry> MainWindowGeometry(Application& app) {
    if (!app.ui.mainWindow) {
        return std::nullopt;
    }
    MainWindow& window = *app.ui.mainWindow;
    WindowGeometry geometry;
    // Where the compositor places the window, its position is unknown: the stored one stays.
    if (CompositorPlacesWindows()) {
        geometry.x = app.records.preferences.winX;
        geometry.y = app.records.preferences.winY;
    } else {
        window.get_position(geometry.x, geometry.y);
    }
    window.get_size(geometry.width, geometry.height);
    geometry.splitter = window.MainSplitter().get_position();
    return geometry;
}

}  // namespace

void OpenSettings(Application& app) {
    SettingsWindow& dialog = *app.ui.settingsWindow;
    dialog.SetDatabasePath(app.records.location.dbFolder + app.records.location.dbFileName);
    dialog.SetLibraryPath(app.records.location.libPath);
    dialog.SetFont(app.records.preferences.fontName, app.records.preferences.fontSize);
    dialog.show();
    dialog.present();
}

void HideSettings(Application& app) {
    app.ui.settingsWindow->hide();
}

void ChooseSettingsDatabase(Application& app) {
    SettingsWindow& dialog = *app.ui.settingsWindow;
    const auto chosen =
        ChooseDatabaseFile(DatabaseRequestFor(app.records.location.dbFileName), dialog.DatabasePath());
    if (chosen) {
        dialog.SetDatabasePath(*chosen);
    }
}

void ChooseLibraryFolder(Application& app) {
    SettingsWindow& dialog = *app.ui.settingsWindow;
    Gtk::FileChooserDialog chooser(dialog, "Choose Library-Main-Path ...",
                                   Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER);
    chooser.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    chooser.add_button("_Open", Gtk::RESPONSE_ACCEPT);
    const std::string& libPath = app.records.location.libPath;
    const std::string start = libPath.empty() ? app.records.state.programFolder : libPath;
    if (IsDirectory(start)) {
        chooser.set_current_folder(start);
    }
    if (chooser.run() != Gtk::RESPONSE_ACCEPT) {
        return;
    }
    const std::string folder = chooser.get_filename();
    if (folder.empty()) {
        return;
    }
    dialog.SetLibraryPath(LibraryFieldForChoice(folder, app.records.state.programFolder));
}

void ChooseCodeFont(Application& app) {
    SettingsWindow& dialog = *app.ui.settingsWindow;
    Gtk::FontChooserDialog chooser;
    chooser.set_transient_for(dialog);
    chooser.set_modal(true);
    Pango::FontDescription start(app.records.preferences.fontName);
    start.set_size(app.records.preferences.fontSize * PANGO_SCALE);
    chooser.set_font_desc(start);
    if (chooser.run() != Gtk::RESPONSE_OK) {
        return;
    }
    const Pango::FontDescription chosen = chooser.get_font_desc();
    if (chosen.get_family().empty()) {
        return;
    }
    const int size = static_cast<int>(std::lround(static_cast<double>(chosen.get_size()) / PANGO_SCALE));
    dialog.SetFont(chosen.get_family(), size);
}

void ApplyDatabaseSettings(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    IndexTree& tree = window.Tree();
    tree.SelectRow(0);
    RefreshWidget(tree);

    const SettingsWindow& dialog = *app.ui.settingsWindow;
    TakeDialogPaths(dialog.DatabasePath(), dialog.LibraryPath(), app.records.location);
    app.records.state.missingFileNotice = true;

    // Nothing is shown any more, so the next entry chosen is loaded, whichever it is.
    ShowNoEntryFile(app);
    window.SetDescriptionText("");

    // The lists go by file: those of entries the database still holds stay.
    const std::string keptPlaces = app.records.history.StateText(app.records.entries);
    tree.Clear();
    app.records.entries.clear();
    app.records.state.helpEntryIndex = 0;

    // Silent: a file that cannot be read or is nested too deeply keeps the document in memory, a
    // malformed one gives the elements read before the fault.
    ReloadDatabaseFile(app.records.location.dbFullPath, app.records.document);
    RebuildIndexTree(app);
    CountThemesAndEntries(app);

    // The tree is expanded by the counting, but the toggle starts over in its collapsed state.
    window.ShowExpandState(false);
    app.records.state.expandState = false;

    tree.SelectRow(0);
    FillDatabaseInfo(app);
    ReloadPlaces(app, keptPlaces);
    StartCodeTextReading(app);
}

void SaveSettings(Application& app) {
    SettingsWindow& dialog = *app.ui.settingsWindow;
    MainWindow& window = *app.ui.mainWindow;
    Preferences& prefs = app.records.preferences;

    const SaveDecisions decisions = TakeDialogSettings(dialog.State(), prefs, app.records.location);
    if (const int shownRow = ShownEntryFileRow(app); decisions.reshowCodeFile && shownRow >= 0) {
        // Loaded again, so that it gets the new code marking.
        ShowEntry(app, shownRow, true);
    }
    if (decisions.applyPalette) {
        ApplyPalette(app.records.palette, prefs.darkMode != 0);
    }
    if (decisions.fontChanged) {
        TakeCodeFont(app);
    }
    window.Code().ShowLineNumbers(prefs.lineNumbers != 0);
    prefs.zoom = app.records.zoom.current;

    // A language box without a chosen row (a stored language outside its rows) is no choice.
    if (dialog.LanguageRow() >= 0) {
        ApplyLanguage(app, dialog.LanguageRow(), false);
    }

    if (decisions.coloursChanged) {
        IndexTree& tree = window.Tree();
        const int selected = tree.SelectedRow();
        RebuildIndexTree(app);
        tree.SelectRow(selected);
    }
    if (decisions.titleChanged && ShownEntryFileRow(app) >= 0) {
        SetTitleForFile(app, window.Code().ShownFile().path);
    }
    app.records.state.missingFileNotice = true;
    StartCodeTextReading(app);
    if (decisions.restartNeeded) {
        ShowMessage(kProgramTitle, kRestartText);
    }
    dialog.hide();

    const PreferencesSave saved = SavePreferences(app.records.state.preferencesFile, prefs,
                                                  app.records.location, MainWindowGeometry(app));
    if (saved == PreferencesSave::Failed ||
        (saved != PreferencesSave::Saved && !app.records.state.preferencesSaveable)) {
        ShowMessage(kProgramTitle, kPreferencesSaveFailedText);
    }
}

}  // namespace quillmate
