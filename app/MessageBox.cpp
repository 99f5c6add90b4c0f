#include "app/MessageBox.h"

#include <gtkmm/messagedialog.h>

#include "base/Utf8.h"

namespace quillmate {

// Messages quote paths and other texts that may be any bytes; GTK takes only valid UTF-8.
void ShowMessage(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(ToValidUtf8(text), false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, true);
    dialog.set_title(ToValidUtf8(title));
    dialog.run();
}

bool AskYesNo(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(ToValidUtf8(text), false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_YES_NO, true);
    dialog.set_title(ToValidUtf8(title));
    return dialog.run() == Gtk::RESPONSE_YES;
}

}  // namespace quillmate
