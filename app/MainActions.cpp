#include "app/MainActions.h"

#include <gtkmm/menu.h>

#include <memory>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/WindowTitle.h"
#include "base/Paths.h"
#include "database/IndexTreeActions.h"

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
    ShowEntry(app, index);
}

void ToggleCodeWrap(Application& app) {
    Gtk::TextView& view = app.mainWindow->CodeView();
    view.set_wrap_mode(view.get_wrap_mode() == Gtk::WRAP_NONE ? Gtk::WRAP_WORD : Gtk::WRAP_NONE);
}

void PopupMenuAtPointer(Application& app, Gtk::Menu& menu) {
    const Glib::RefPtr<Gdk::Window> window = app.mainWindow->get_window();
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
