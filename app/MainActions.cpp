#include "app/MainActions.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/Paths.h"
#include "app/WindowTitle.h"
#include "database/IndexTreeActions.h"
#include "viewer/CodeViewActions.h"

namespace quillmate {

void ToggleExpandState(Application& app) {
    app.state.expandState = !app.state.expandState;
    app.mainWindow->ShowExpandState(app.state.expandState);
    SetExpandAll(app, app.state.expandState);
}

void SetExpandAll(Application& app, bool on) {
    if (on) {
        app.mainWindow->Tree().ExpandAllRows();
    } else {
        app.mainWindow->Tree().CollapseAllRows();
    }
}

void ToggleSelectedNode(Application& app) {
    IndexTree& tree = app.mainWindow->Tree();
    const int row = tree.SelectedRow();
    if (row < 0) {
        return;
    }
    if (tree.RowHasChildren(row)) {
        if (tree.IsRowExpanded(row)) {
            tree.CollapseRow(row);
        } else {
            tree.ExpandRow(row);
        }
    }
    tree.SelectRow(row);
}

void SetTitleForFile(Application& app, const std::string& storedPath) {
    const std::string title = TitleForFile(app.preferences.sourceInTitle, storedPath, app.location.dbFolder);
    // The database folder comes from the preferences file and may hold bytes that are not UTF-8.
    app.mainWindow->set_title(Glib::ustring(title).make_valid());
}

void AddToHistory(Application& app, int entryIndex) {
    app.history.Add(entryIndex);
    std::vector<std::string> names;
    for (const int index : app.history.Entries()) {
        const auto position = static_cast<size_t>(index);
        names.push_back(position < app.entries.size() ? FilePart(app.entries[position].file) : std::string());
    }
    app.mainWindow->FillHistory(names);
}

void ClearHistory(Application& app) {
    app.history.Clear();
    app.mainWindow->FillHistory({});
}

void ShowHistoryEntry(Application& app) {
    MainWindow& window = *app.mainWindow;
    const int row = window.HistoryCombo().get_active_row_number();
    const auto& entries = app.history.Entries();
    if (row < 0 || static_cast<size_t>(row) >= entries.size()) {
        return;
    }
    const int index = entries[static_cast<size_t>(row)];
    if (index < 0 || static_cast<size_t>(index) >= app.entries.size()) {
        return;
    }
    window.Tree().SelectRow(index);
    app.currentEntry = index;
    const DbEntry& entry = app.entries[static_cast<size_t>(index)];
    const int language = app.IndexLanguage();
    window.SetDescriptionText(language == 0   ? entry.descriptDe
                              : language == 1 ? entry.descriptEn
                                              : entry.descriptFr);
    if (entry.file != app.state.currentCodeFile) {
        const bool loaded = LoadCodeFile(app, entry.file, false);
        window.SetDescriptionBackground(loaded ? std::string() : app.palette.warning);
        app.state.currentCodeFile = entry.file;
        SetTitleForFile(app, entry.file);
    }
}

void ToggleCodeWrap(Application& app) {
    Gtk::TextView& view = app.mainWindow->CodeView();
    view.set_wrap_mode(view.get_wrap_mode() == Gtk::WRAP_NONE ? Gtk::WRAP_WORD : Gtk::WRAP_NONE);
}

}  // namespace quillmate
