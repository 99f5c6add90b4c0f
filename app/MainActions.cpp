#include "app/MainActions.h"

#include <gtkmm/menu.h>

#include <memory>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/WindowTitle.h"
#include "base/Paths.h"
#include "base/Utf8.h"
#include "database/IndexTreeActions.h"
#include "viewer/CodeViewerActions.h"

namespace quillmate {

void ToggleExpandState(Application& app) {
    app.records.state.expandState = !app.records.state.expandState;
    app.ui.mainWindow->ShowExpandState(app.records.state.expandState);
    SetExpandAll(app, app.records.state.expandState);
}

void SetExpandAll(Application& app, bool on) {
    if (on) {
        app.ui.mainWindow->Tree().ExpandAllRows();
    } else {
        app.ui.mainWindow->Tree().CollapseAllRows();
    }
}

void ToggleSelectedNode(Application& app) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    const int row = tree.SelectedRow();
    if (row < 0) {
        return;
    }
    if (app.records.indexRows.HasChildren(row)) {
        if (tree.IsRowExpanded(row)) {
            tree.CollapseRow(row);
        } else {
            tree.ExpandRow(row);
        }
    }
    tree.SelectRow(row);
}

void SetTitleForFile(Application& app, const std::string& storedPath) {
    const std::string title =
        TitleForFile(app.records.preferences.sourceInTitle, storedPath, app.records.location.dbFolder);
    // The database folder comes from the preferences file and may hold bytes that are not UTF-8.
    app.ui.mainWindow->set_title(ShownText(title, kRowTextLimit));
}

void AddToHistory(Application& app, int entryIndex) {
    app.records.history.Add(entryIndex);
    std::vector<std::string> names;
    for (const int index : app.records.history.Entries()) {
        const auto position = static_cast<size_t>(index);
        names.push_back(position < app.records.entries.size() ? FilePart(app.records.entries[position].file)
                                                              : std::string());
    }
    app.ui.mainWindow->FillHistory(names);
}

void ClearHistory(Application& app) {
    app.records.history.Clear();
    app.ui.mainWindow->FillHistory({});
}

void ShowHistoryEntry(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    const int row = window.HistoryCombo().get_active_row_number();
    const auto& entries = app.records.history.Entries();
    if (row < 0 || static_cast<size_t>(row) >= entries.size()) {
        return;
    }
    const int index = entries[static_cast<size_t>(row)];
    if (index < 0 || static_cast<size_t>(index) >= app.records.entries.size()) {
        return;
    }
    window.Tree().SelectRow(index);
    ShowEntry(app, index);
}

void PopupMenuAtPointer(Application& app, Gtk::Menu& menu) {
    const Glib::RefPtr<Gdk::Window> window = app.ui.mainWindow->get_window();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    if (!window || pointer == nullptr) {
        return;
    }
    // A stand-in for the click: GTK places the menu by its window, device and position.
    struct EventFree {
        void operator()(GdkEvent* event) const { gdk_event_free(event); }
    };
    const std::unique_ptr<GdkEvent, EventFree> trigger(gdk_event_new(GDK_BUTTON_PRESS));
    trigger->button.window = GDK_WINDOW(g_object_ref(window->gobj()));
    trigger->button.time = GDK_CURRENT_TIME;
    trigger->button.button = 1;
    gdk_event_set_device(trigger.get(), pointer);
    gdk_window_get_device_position_double(window->gobj(), pointer, &trigger->button.x, &trigger->button.y,
                                          nullptr);
    menu.popup_at_pointer(trigger.get());
}

}  // namespace quillmate
