#include "ProgramDriver.h"

#include <cairomm/context.h>
#include <cairomm/surface.h>
#include <gtkmm/main.h>
#include <gtkmm/menushell.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "app/EventLoop.h"
#include "app/StartUp.h"

namespace quillmate::test {
namespace {

// Event times of synthesised input: the monotonic clock at ten times its speed, so that two
// clicks made one after the other never fall within the double-click time.
guint32 EventTime() {
    return static_cast<guint32>(g_get_monotonic_time() / 100);
}

void SendButton(GdkWindow* window, GdkEventType type, double x, double y, guint32 time) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.send_event = TRUE;
    event->button.time = time;
    event->button.x = x;
    event->button.y = y;
    int originX = 0;
    int originY = 0;
    gdk_window_get_origin(window, &originX, &originY);
    event->button.x_root = originX + x;
    event->button.y_root = originY + y;
    event->button.button = 1;
    event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    gdk_event_set_device(event, pointer);
    gdk_event_set_source_device(event, pointer);
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// One turn of the program's event loop, or a short rest when there is nothing to do.
LoopTurn TakeTurn(Application& app) {
    const LoopTurn turn = TakeLoopTurn(app, false);
    if (turn == LoopTurn::Idle) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return turn;
}

}  // namespace

std::unique_ptr<Application> StartProgram(const TempProgramFolder& folder) {
    if (::chdir(folder.Path().c_str()) != 0) {
        throw std::runtime_error("cannot enter the program folder");
    }
    auto app = std::make_unique<Application>(folder.Path());
    StartUp(*app);
    RunUntil(*app, [&] { return app->ui.mainWindow->get_mapped(); });
    Settle(*app);
    return app;
}

bool Settle(Application& app, std::chrono::milliseconds quiet) {
    // GTK always has something to do now and then (timers, redraws), so only the program's
    // own queue decides when things have come to rest.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto idleSince = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < end) {
        const LoopTurn turn = TakeTurn(app);
        if (turn == LoopTurn::Dispatched) {
            idleSince = std::chrono::steady_clock::now();
        } else if (turn == LoopTurn::Idle && std::chrono::steady_clock::now() - idleSince >= quiet) {
            return true;
        }
    }
    // A slow machine (a sanitized build, a loaded one) may still be laying out a long text: the
    // checks after the wait decide whether what they need has happened.
    return false;
}

bool RunUntil(Application& app, const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) {
        TakeTurn(app);
    }
    return done();
}

void ShowRow(Application& app, int row) {
    app.ui.mainWindow->Tree().SelectRow(row);
    app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
    Settle(app);
}

void OpenSettings(Application& app) {
    Click(app, *app.ui.mainWindow->SettingsButton());
    EXPECT_TRUE(RunUntil(app, [&] { return app.ui.settingsWindow->get_mapped(); }));
    Settle(app);
}

void Click(Application& app, Gtk::Button& button) {
    button.clicked();
    Settle(app);
}

void ClickTreeRow(Application& app, int row, int clicks) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    const Gtk::TreeModel::Path path = tree.RowPath(row);
    if (path.empty()) {
        throw std::out_of_range("no such row");
    }
    tree.scroll_to_row(path);
    Settle(app, std::chrono::milliseconds(10));
    Gdk::Rectangle cell;
    tree.get_cell_area(path, tree.Column(), cell);
    const double x = cell.get_x() + cell.get_width() / 2.0;
    const double y = cell.get_y() + cell.get_height() / 2.0;
    GdkWindow* bin = tree.get_bin_window()->gobj();
    const guint32 time = EventTime();
    SendButton(bin, GDK_BUTTON_PRESS, x, y, time);
    SendButton(bin, GDK_BUTTON_RELEASE, x, y, time + 5);
    if (clicks == 2) {
        SendButton(bin, GDK_BUTTON_PRESS, x, y, time + 10);
        SendButton(bin, GDK_2BUTTON_PRESS, x, y, time + 10);
        SendButton(bin, GDK_BUTTON_RELEASE, x, y, time + 15);
    }
    Settle(app);
}

void MoveTreeCursor(Application& app, int row) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    tree.grab_focus();
    tree.set_cursor(tree.RowPath(row));
    Settle(app);
}

void ChooseHistoryRow(Application& app, int row) {
    Gtk::ComboBoxText& combo = app.ui.mainWindow->HistoryCombo();
    combo.popup();
    PumpUntil([&] { return combo.property_popup_shown().get_value(); });
    auto* menu = GTK_MENU_SHELL(gtk_accessible_get_widget(
        GTK_ACCESSIBLE(gtk_combo_box_get_popup_accessible(GTK_COMBO_BOX(combo.gobj())))));
    gtk_menu_shell_activate_item(menu, Glib::wrap(menu)->get_children().at(static_cast<size_t>(row))->gobj(),
                                 TRUE);
    Settle(app);
}

std::string DescriptionText(Application& app) {
    return app.ui.mainWindow->DescriptionLine().get_buffer()->get_text(true).raw();
}

std::string CodeText(Application& app) {
    return app.ui.mainWindow->Code().Text();
}

std::vector<std::string> HistoryRows(Application& app) {
    std::vector<std::string> rows;
    const auto model = app.ui.mainWindow->HistoryCombo().get_model();
    for (const auto& row : model->children()) {
        Glib::ustring text;
        row.get_value(0, text);
        rows.push_back(text.raw());
    }
    return rows;
}

std::string PixelColour(Gtk::Widget& widget, int x, int y) {
    const int width = widget.get_allocated_width();
    const int height = widget.get_allocated_height();
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return {};
    }
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_RGB24, width, height);
    {
        auto context = Cairo::Context::create(surface);
        context->set_source_rgb(0, 0, 0);
        context->paint();
        gtk_widget_draw(widget.gobj(), context->cobj());
    }
    surface->flush();
    const unsigned char* data = surface->get_data();
    const auto pixel = *reinterpret_cast<const uint32_t*>(data + y * surface->get_stride() + x * 4);
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF,
                  pixel & 0xFF);
    return text;
}

void FillManyEntryLibrary(const TempProgramFolder& folder, int count,
                          const std::vector<std::string>& extraPreferences) {
    FillSmallLibrary(folder, extraPreferences);
    std::string database =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Library title=\"Many entries\">\n"
        "  <Theme title=\"Many\">Many entries\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        database += "    <Entry File=\"/Many/E" + n + ".kx\" theme_de=\"Entry" + n + "\" theme_en=\"Entry" +
                    n + "\" theme_fr=\"Entry" + n + "\" descript_de=\"D" + n + "\" descript_en=\"E" + n +
                    "\" descript_fr=\"F" + n + "\"/>\n";
        folder.WriteFile("Many/E" + n + ".kx", "; code " + n + "\n");
    }
    database += "  </Theme>\n</Library>\n";
    folder.WriteFile("Quillmate-Toc.xml", database);
}

void Program::Start(const std::vector<std::string>& preferences) {
    FillSmallLibrary(folder, preferences);
    Launch();
}

std::vector<SeenDialog> Program::Messages() const {
    std::vector<SeenDialog> messages;
    std::ranges::copy_if(watcher.Seen(), std::back_inserter(messages),
                         [](const SeenDialog& seen) { return seen.kind == "message"; });
    return messages;
}

}  // namespace quillmate::test
