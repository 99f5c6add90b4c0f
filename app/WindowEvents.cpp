#include "app/WindowEvents.h"

#include <gtkmm/window.h>

namespace quillmate {

void PostCloseAndEscape(Gtk::Window& gtkWindow, EventQueue& queue, WindowId window) {
    gtkWindow.signal_delete_event().connect([&queue, window](GdkEventAny*) {
        ProgramEvent event;
        event.kind = EventKind::CloseRequest;
        event.window = window;
        queue.Post(event);
        return true;
    });
    gtkWindow.signal_key_press_event().connect(
        [&queue, window](GdkEventKey* event) {
            const guint modifiers = event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK);
            if (event->keyval == GDK_KEY_Escape && modifiers == 0) {
                queue.Post(CommandEvent(window, Command::Quit));
                return true;
            }
            return false;
        },
        false);
}

}  // namespace quillmate
