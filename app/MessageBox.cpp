#include "app/MessageBox.h"

#include <gtkmm/messagedialog.h>

#include "base/Utf8.h"

namespace quillmate {

// Messages quote paths and other texts that may be any bytes and any length; GTK takes only valid
// UTF-8, and a box as tall as a huge text would freeze the window laying it out.
void ShowMessage(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(ShownText(text, kLabelTextLimit), false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK,
                              true);
    dialog.set_title(ShownText(title, kRowTextLimit));
    dialog.run();
}

bool AskYesNo(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(ShownText(text, kLabelTextLimit), false, Gtk::MESSAGE_QUESTION,
                              Gtk::BUTTONS_YES_NO, true);
    dialog.set_title(ShownText(title, kRowTextLimit));
    return dialog.run() == Gtk::RESPONSE_YES;
}

}  // namespace quillmate
