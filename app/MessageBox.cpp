#include "app/MessageBox.h"

#include <gtkmm/messagedialog.h>

namespace quillmate {

void ShowMessage(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(text, false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, true);
    dialog.set_title(title);
    dialog.run();
}

bool AskYesNo(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(text, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_YES_NO, true);
    dialog.set_title(title);
    return dialog.run() == Gtk::RESPONSE_YES;
}

}  // namespace quillmate
