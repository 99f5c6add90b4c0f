#include "app/MessageBox.h"

#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>

#include "app/FirstMonitor.h"
#include "app/FontMetrics.h"
#include "base/Utf8.h"

namespace quillmate {

namespace {

// Messages quote paths and other texts that may be any bytes and any length; GTK takes only valid
// UTF-8, and a box as tall as a huge text would freeze the window laying it out. Its lines wrap
// at two thirds of the monitor at the most, inside a path or any other text without spaces too.
void Fit(Gtk::MessageDialog& dialog, const std::string& title) {
    dialog.set_title(ShownText(title, kRowTextLimit));
    for (Gtk::Widget* child : dialog.get_message_area()->get_children()) {
        if (auto* label = dynamic_cast<Gtk::Label*>(child)) {
            label->set_line_wrap(true);
            label->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
            label->set_max_width_chars(
                BoxWidthCharacters(FirstMonitor(), MeasureFont(*label).characterWidth));
        }
    }
}

// Pango wraps a run without break opportunities at a cost growing with the square of its length,
// and a label lays its text out many times while the box is sized: a run longer than any path a
// user would read gets invisible break opportunities (the box's text cannot be selected).
std::string BoxText(const std::string& text) {
    constexpr std::size_t kLongestRun = 100;
    return WithBreakOpportunities(ShownText(text, kLabelTextLimit), kLongestRun);
}

}  // namespace

void ShowMessage(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(BoxText(text), false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, true);
    Fit(dialog, title);
    dialog.run();
}

bool AskYesNo(const std::string& title, const std::string& text) {
    Gtk::MessageDialog dialog(BoxText(text), false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_YES_NO, true);
    Fit(dialog, title);
    return dialog.run() == Gtk::RESPONSE_YES;
}

}  // namespace quillmate
