#include "viewer/ClipboardActions.h"

#include <gtk/gtk.h>
#include <gtkmm/clipboard.h>

#include <chrono>
#include <thread>

#include "app/Application.h"
#include "app/Effects.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "settings/AboutDialogs.h"
#include "viewer/ExternalPrograms.h"

namespace quillmate {
namespace {

// Long enough for the selection to be seen before it goes again.
constexpr auto kSelectionShowTime = std::chrono::milliseconds(50);

void SetClipboardText(const std::string& text) {
    Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->set_text(text);
}

}  // namespace

void QuickCopy(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    Gtk::TextView& view = window.Code().View();
    const auto buffer = view.get_buffer();
    // Hidden text and link widgets are not part of the copied code.
    const std::string text = buffer->get_text(buffer->begin(), buffer->end(), false);
    if (text.empty()) {
        return;
    }
    g_signal_emit_by_name(view.gobj(), "select-all", TRUE);
    view.grab_focus();
    RefreshWidget(window);
    std::this_thread::sleep_for(kSelectionShowTime);
    SetClipboardText(text);
    g_signal_emit_by_name(view.gobj(), "select-all", FALSE);
}

void CopyCodePath(Application& app) {
    SetClipboardText(CodePath(app.records.location.dbFolder, app.ui.mainWindow->Code().CurrentEntryFile()));
}

void OpenCode(Application& app) {
    StartCodeOpener(app.services.starter, app.records.preferences.codeEditorPath,
                    CodePath(app.records.location.dbFolder, app.ui.mainWindow->Code().CurrentEntryFile()));
}

void OpenLibraryFolder(Application& app) {
    const std::string field =
        app.ui.databaseInfoWindow ? app.ui.databaseInfoWindow->LibraryText() : app.records.location.libPath;
    OpenFolderOrBeep(app.services.starter, field, app.records.state.programFolder);
}

void EditHelpFile(Application& app) {
    const auto path = HelpFileEditPath(app.records.location.dbFolder, app.records.entries,
                                       app.records.state.helpEntryIndex);
    if (!path) {
        ShowMessage("Sorry", "seems the helpfile can't be found.");
        return;
    }
    app.services.starter.StartWithArguments("xdg-open", {*path}, "");
}

}  // namespace quillmate
