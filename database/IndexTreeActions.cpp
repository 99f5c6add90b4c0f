#include "database/IndexTreeActions.h"

#include "app/Application.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Paths.h"
#include "database/Database.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "viewer/CodeFile.h"
#include "viewer/CodeViewActions.h"

namespace quillmate {
namespace {

// Appends the rows that FillIndexTree produces to the tree widget.
class TreeRowSink : public IndexRowSink {
  public:
    TreeRowSink(IndexTree& tree, const Application& app) : m_tree(tree), m_app(app) {}

    void AppendRow(const std::string& text, int depth) override { m_tree.AppendRow(text, depth); }
    void SetRowBackground(int row, const std::string& colour) override {
        m_tree.SetRowBackground(row, colour);
    }
    void SetRowForeground(int row, const std::string& colour) override {
        m_tree.SetRowForeground(row, colour);
    }
    void SetRowIcon(int row, RowIcon icon) override {
        switch (icon) {
            case RowIcon::New:
                m_tree.SetRowIcon(row, m_app.ui.pictures.Of(Picture::NewEntryMark));
                break;
            case RowIcon::Changed:
                m_tree.SetRowIcon(row, m_app.ui.pictures.Of(Picture::ChangedEntryMark));
                break;
            case RowIcon::None:
                m_tree.SetRowIcon(row, {});
                break;
        }
    }

  private:
    IndexTree& m_tree;
    const Application& m_app;
};

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
    tree.Clear();
    tree.SetHintColour(app.records.palette.versionHint);
    app.records.entries.clear();
    if (!app.records.document.HasHead()) {
        return;
    }
    const IndexTreeSettings settings{app.IndexLanguage(), app.records.preferences.dyeingNews != 0,
                                     app.records.palette};
    IndexTreeState state{app.records.entries, app.records.lastGroupTitle, app.records.state.helpEntryIndex,
                         app.records.state.dbVersion};
    TreeRowSink sink(tree, app);
    tree.FillDetached(
        [&] { FillIndexTree(app.records.document, app.records.document.Head(), 0, settings, state, sink); });
}

void CountThemesAndEntries(Application& app) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    app.records.state.themeCount = 0;
    app.records.state.entryCount = 0;
    bool ownTheme = false;
    tree.ExpandAllRows();
    const int rows = tree.RowCount();
    for (int i = 0; i < rows; ++i) {
        const int depth = tree.RowDepth(i);
        if (depth == 1 && tree.RowHasChildren(i)) {
            ownTheme = tree.RowText(i) == kOwnThemeName;
            if (!ownTheme) {
                ++app.records.state.themeCount;
            }
        } else if (depth == 2 && static_cast<size_t>(i) < app.records.entries.size() &&
                   !app.records.entries[static_cast<size_t>(i)].file.empty() && !ownTheme) {
            // An entry with variants below it is an entry all the same.
            ++app.records.state.entryCount;
        }
    }
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

bool ShowEntry(Application& app, int index, bool reload) {
    if (index < 0 || static_cast<size_t>(index) >= app.records.entries.size()) {
        return false;
    }
    MainWindow& window = *app.ui.mainWindow;
    const DbEntry& entry = app.records.entries[static_cast<size_t>(index)];
    const int depth = window.Tree().RowDepth(index);
    window.SetDescriptionText(depth >= 2 ? DescriptionIn(entry, app.IndexLanguage()) : entry.nodeText);

    if (entry.file.empty()) {
        ShowNoEntryFile(app);
        return true;
    }
    if (!reload && app.records.state.shownCodeFile.IsEntryFile(entry.file)) {
        return false;
    }
    const std::string file = entry.file;  // the entry stays, but keep the path safe from rebuilds
    const bool loaded = LoadCodeFile(app, file, false);
    window.SetDescriptionBackground(loaded ? std::string() : app.records.palette.warning);
    app.records.state.currentCodeFile = file;
    const CodeFileInfo& info = app.records.codeFileInfo;
    window.SetAdminLabels(info.srcUtf8 != 0 ? "Src: UTF8" : "Src: Ascii",
                          info.exeUnicode != 0 ? "Exe: UNI" : "Exe: Ascii",
                          info.subSystem == 1   ? "Sub: gtk2"
                          : info.subSystem == 2 ? "Sub: gtk3"
                                                : "");
    SetTitleForFile(app, file);
    SetDatabaseInfoFile(app, file);
    return true;
}

void ShowNoEntryFile(Application& app) {
    ClearCodeView(app);
    app.records.state.currentCodeFile.clear();
    app.ui.mainWindow->set_title(kProgramTitle);
    SetDatabaseInfoFile(app, "");
}

bool TreeKeyNavigate(Application& app, const GdkEventKey* event) {
    constexpr guint kModifierBits = GDK_SHIFT_MASK | GDK_LOCK_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK;
    const guint key = event->keyval;
    if ((event->state & kModifierBits) != 0 ||
        (key != GDK_KEY_space && key != GDK_KEY_Left && key != GDK_KEY_Right)) {
        return false;
    }
    IndexTree& tree = app.ui.mainWindow->Tree();
    const int row = tree.SelectedRow();
    if (row < 0) {
        return false;
    }
    const int parent = tree.ParentRow(row);
    if (tree.RowHasChildren(row)) {
        const bool expanded = tree.IsRowExpanded(row);
        if (key == GDK_KEY_Left) {
            if (expanded) {
                tree.CollapseRow(row);
            } else if (parent >= 0) {
                SelectParentAndCollapse(app, parent);
            }
        } else if (key == GDK_KEY_Right) {
            if (!expanded) {
                tree.ExpandRow(row);
            }
        } else if (expanded) {
            tree.CollapseRow(row);
        } else {
            tree.ExpandRow(row);
        }
    } else if (key == GDK_KEY_Left && parent >= 0) {
        SelectParentAndCollapse(app, parent);
    }
    return false;
}

std::string DraggedEntryPath(const Application& app, int row) {
    if (row < 0 || static_cast<size_t>(row) >= app.records.entries.size()) {
        return {};
    }
    const std::string& file = app.records.entries[static_cast<size_t>(row)].file;
    if (file.empty()) {
        return {};
    }
    std::string path = CodeFileFullPath(app.records.location.libPath, file);
    if (!path.empty() && path.front() != '/') {
        path = app.records.state.programFolder + path;
    }
    return IsRegularFile(path) ? path : std::string();
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
