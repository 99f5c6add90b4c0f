#include "database/IndexTreeActions.h"

#include "app/Application.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Paths.h"
#include "database/Database.h"
#include "database/IndexRows.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "viewer/CodeFile.h"
#include "viewer/CodeViewerActions.h"

namespace quillmate {
namespace {

// A keyboard move like any other: the newly selected row is shown.
void SelectParentAndCollapse(Application& app, int parent) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    tree.SelectRow(parent);
    tree.CollapseRow(parent);
    app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
}

}  // namespace

void RebuildIndexTree(Application& app) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    tree.Clear();  // the tree reads the rows: not while they change
    IndexRows& rows = app.records.indexRows;
    rows.Clear();
    app.records.entries.clear();
    if (app.records.document.HasHead()) {
        const IndexTreeSettings settings{app.records.preferences.language,
                                         app.records.preferences.dyeingNews != 0, app.records.palette};
        IndexTreeState state{app.records.entries, app.records.lastGroupTitle,
                             app.records.state.helpEntryIndex, app.records.state.dbVersion};
        FillIndexTree(app.records.document, app.records.document.Head(), 0, settings, state, rows);
    }
    tree.SetHintColours(app.records.palette.versionHint, app.records.palette.versionHintText);
    tree.Show(rows, app.ui.pictures);
}

void CountThemesAndEntries(Application& app) {
    app.ui.mainWindow->Tree().ExpandAllRows();
    const IndexCounts counts = CountThemesAndEntries(app.records.indexRows, app.records.entries);
    app.records.state.themeCount = counts.themes;
    app.records.state.entryCount = counts.entries;
}

void ShowSelectedEntry(Application& app, WidgetEventType type) {
    const int row = app.ui.mainWindow->Tree().SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= app.records.entries.size()) {
        return;
    }
    if (!ShowEntry(app, row) && type == WidgetEventType::LeftClick) {
        AddToHistory(app, row);
    }
}

bool TreeKeyNavigate(Application& app, const GdkEventKey* event) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    const int row = tree.SelectedRow();
    const TreeKeyDecision decision =
        DecideTreeKey(app.records.indexRows, row, event->keyval, event->state, tree.IsRowExpanded(row));
    switch (decision.step) {
        case TreeKeyStep::Expand:
            tree.ExpandRow(decision.row);
            break;
        case TreeKeyStep::Collapse:
            tree.CollapseRow(decision.row);
            break;
        case TreeKeyStep::SelectAndCollapse:
            SelectParentAndCollapse(app, decision.row);
            break;
        case TreeKeyStep::Nothing:
            break;
    }
    return false;
}

std::string DraggedEntryPath(const Application& app, int row) {
    return DraggedEntryPath(app.records.entries, row, app.records.location.libPath,
                            app.records.state.programFolder, IsRegularFile);
}

void ShowHelpEntry(Application& app) {
    if (app.records.state.helpEntryIndex == 0) {
        ShowMessage(kProgramTitle, "No help-file found.");
        return;
    }
    IndexTree& tree = app.ui.mainWindow->Tree();
    tree.ExpandRow(1);
    tree.SelectRow(app.records.state.helpEntryIndex);
    app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
}

}  // namespace quillmate
