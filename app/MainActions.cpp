#include "app/MainActions.h"

#include <gtkmm/menu.h>

#include <memory>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/WindowTitle.h"
#include "base/ExportFile.h"
#include "base/Paths.h"
#include "base/Utf8.h"
#include "database/Database.h"
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

namespace {

// Written whole into a file beside it that then takes its place, so that a failed write leaves
// the lists kept before. A folder where nothing can be written keeps nothing, without a word.
void SavePlaces(const Application& app) {
    if (app.records.state.stateFile.empty()) {
        return;
    }
    ExportFile file;
    if (file.Create(app.records.state.stateFile)) {
        std::string text = app.records.history.StateText(app.records.entries);
        text.pop_back();  // the writer ends the last line
        file.WriteLine(text);
        [[maybe_unused]] const bool written = file.Close();
    }
}

// The entry whose file the view shows (or was found missing), -1 for none.
int ShownRow(Application& app) {
    return ShownEntryRow(app.records.entries, app.ui.mainWindow->Code().CurrentEntryFile(),
                         app.ui.mainWindow->Tree().SelectedRow());
}

}  // namespace

void ShowPlaces(Application& app) {
    const History& history = app.records.history;
    std::vector<std::string> names;
    int separator = -1;
    for (const int index : history.ListedRows()) {
        const auto position = static_cast<size_t>(index);
        if (index < 0) {
            separator = static_cast<int>(names.size());
            names.emplace_back();
        } else {
            const std::string name = position < app.records.entries.size()
                                         ? FilePart(app.records.entries[position].file)
                                         : std::string();
            names.push_back(history.IsFavourite(index) && names.size() < history.Favourites().size()
                                ? "\u2605 " + name
                                : name);
        }
    }
    const int firstEntry = static_cast<int>(names.size() - history.Entries().size());
    app.ui.mainWindow->FillHistory(names, separator, history.Entries().empty() ? -1 : firstEntry);
    ShowFavouriteStar(app);
}

void ShowFavouriteStar(Application& app) {
    const int shown = ShownRow(app);
    app.ui.mainWindow->ShowFavourite(shown >= 0, shown >= 0 && app.records.history.IsFavourite(shown));
}

void AddToHistory(Application& app, int entryIndex) {
    app.records.history.Add(entryIndex);
    ShowPlaces(app);
    SavePlaces(app);
}

void ToggleFavourite(Application& app) {
    const int shown = ShownRow(app);
    if (shown < 0) {
        return;
    }
    app.records.history.ToggleFavourite(shown);
    ShowPlaces(app);
    SavePlaces(app);
}

void LoadPlaces(Application& app) {
    std::string text;
    if (!app.records.state.stateFile.empty()) {
        ForEachTextLine(app.records.state.stateFile,
                        [&text](const std::string& line) { text += line + "\n"; });
    }
    app.records.history.TakeState(text, app.records.entries);
    ShowPlaces(app);
}

void ReloadPlaces(Application& app, const std::string& keptState) {
    app.records.history.TakeState(keptState, app.records.entries);
    ShowPlaces(app);
    SavePlaces(app);
}

void ShowHistoryEntry(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    const int row = window.HistoryCombo().get_active_row_number();
    const std::vector<int> listed = app.records.history.ListedRows();
    if (row < 0 || static_cast<size_t>(row) >= listed.size()) {
        return;
    }
    const int index = listed[static_cast<size_t>(row)];
    if (index < 0 || static_cast<size_t>(index) >= app.records.entries.size()) {
        return;
    }
    window.Tree().SelectRow(index);
    ShowEntry(app, index);
}

namespace {

struct EventFree {
    void operator()(GdkEvent* event) const { gdk_event_free(event); }
};

// A stand-in for the click or key press that opens a menu: GTK places the menu and hands it the
// pointer or keyboard by the event's window, device and time.
std::unique_ptr<GdkEvent, EventFree> MenuTrigger(GdkEventType type, const Glib::RefPtr<Gdk::Window>& window,
                                                 GdkDevice* device) {
    std::unique_ptr<GdkEvent, EventFree> trigger(gdk_event_new(type));
    trigger->any.window = GDK_WINDOW(g_object_ref(window->gobj()));
    if (type == GDK_BUTTON_PRESS) {
        trigger->button.time = GDK_CURRENT_TIME;
        trigger->button.button = 1;
        gdk_window_get_device_position_double(window->gobj(), device, &trigger->button.x, &trigger->button.y,
                                              nullptr);
    } else {
        trigger->key.time = GDK_CURRENT_TIME;
    }
    gdk_event_set_device(trigger.get(), device);
    return trigger;
}

GdkSeat* DefaultSeat() {
    return gdk_display_get_default_seat(gdk_display_get_default());
}

}  // namespace

void PopupMenuAtPointer(Application& app, Gtk::Menu& menu) {
    const Glib::RefPtr<Gdk::Window> window = app.ui.mainWindow->get_window();
    GdkDevice* pointer = gdk_seat_get_pointer(DefaultSeat());
    if (window && pointer != nullptr) {
        menu.popup_at_pointer(MenuTrigger(GDK_BUTTON_PRESS, window, pointer).get());
    }
}

void PopupButtonMenu(Application& app, Gtk::Menu& menu, Gtk::Widget* button, bool fromKeyboard) {
    if (!fromKeyboard || button == nullptr) {
        PopupMenuAtPointer(app, menu);
        return;
    }
    const Glib::RefPtr<Gdk::Window> window = button->get_window();
    GdkDevice* keyboard = gdk_seat_get_keyboard(DefaultSeat());
    if (window && keyboard != nullptr) {
        menu.popup_at_widget(button, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST,
                             MenuTrigger(GDK_KEY_PRESS, window, keyboard).get());
        menu.select_first(false);
    }
}

}  // namespace quillmate
