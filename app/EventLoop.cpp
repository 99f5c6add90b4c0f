#include "app/EventLoop.h"

#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include <cstdlib>

#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/ErrorTrap.h"

namespace quillmate {

LoopTurn TakeLoopTurn(Application& app, bool wait) {
    if (auto event = app.services.queue.Take()) {
        Dispatch(app, *event);
        return LoopTurn::Dispatched;
    }
    if (wait || Gtk::Main::events_pending()) {
        Gtk::Main::iteration(wait);
        return LoopTurn::Processed;
    }
    return LoopTurn::Idle;
}

void RunEventLoop(Application& app) {
    while (!app.records.state.quitRequest) {
        TakeLoopTurn(app, true);
    }
}

void EndProgram(Application& app) {
    // Code copied from the program stays available to other programs after it ends.
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_set_can_store(clipboard, nullptr, 0);
    gtk_clipboard_store(clipboard);
    ResetErrorTrap();
    app.ReleaseWindows();
    std::exit(0);
}

}  // namespace quillmate
