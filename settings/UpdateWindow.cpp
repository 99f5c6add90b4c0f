#include "settings/UpdateWindow.h"

#include <gdk/gdkkeysyms.h>

#include "app/WindowEvents.h"
#include "base/Utf8.h"
#include "settings/AboutDialogs.h"

namespace quillmate {
namespace {

constexpr const char* kUpdateWindowTitle = "Quillmate: Update check";
constexpr const char* kUpdateLabelTexts[3] = {"App-Update gtk2 verfügbar? ", "App-Update gtk3 verfügbar? ",
                                              "API-Update (Codes & Datenbank) verfügbar? "};
constexpr std::string_view kUpdateLabelKeys[3] = {"#Upt_LabelAppGtk2", "#Upt_LabelAppGtk3", "#Upt_LabelXml"};

}  // namespace

UpdateWindow::UpdateWindow(const WindowContext& context) : m_queue(context.queue) {
    set_title(kUpdateWindowTitle);
    set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
    set_position(Gtk::WIN_POS_CENTER);
    set_resizable(false);
    set_size_request(m_fixed.Width(), m_fixed.Height());
    set_default_size(m_fixed.Width(), m_fixed.Height());
    const auto css = CompactFieldCss();
    for (int row = 0; row < 3; ++row) {
        m_labels[row].set_text(kUpdateLabelTexts[row]);
        m_labels[row].set_xalign(0.0f);
        m_labels[row].set_ellipsize(Pango::ELLIPSIZE_END);
        PlaceAt(m_fixed, m_labels[row], kUpdateLabelRects[row]);
        MakeCompactValueField(m_fields[row], css);
        m_fields[row].set_can_focus(false);
        PlaceAt(m_fixed, m_fields[row], kUpdateFieldRects[row]);
    }
    add(m_fixed);
    show_all_children();

    m_finished.connect(
        [this] { m_queue.Post(CommandEvent(WindowId::Update, Command::UpdateCheckFinished)); });
    // Escape is the window's own shortcut; it carries the same command as in the main window.
    PostCloseAndEscape(*this, m_queue, WindowId::Update);
}

void UpdateWindow::ShowAnswers(const UpdateAnswers& answers) {
    m_fields[0].set_text(ShownText(answers.otherEdition, kLabelTextLimit));
    m_fields[1].set_text(ShownText(answers.program, kLabelTextLimit));
    m_fields[2].set_text(ShownText(answers.database, kLabelTextLimit));
}

std::string UpdateWindow::FieldText(int row) const {
    return row >= 1 && row <= 3 ? m_fields[row - 1].get_text() : Glib::ustring();
}

bool UpdateWindow::SetLabelText(std::string_view key, const std::string& text) {
    for (int row = 0; row < 3; ++row) {
        if (kUpdateLabelKeys[row] == key) {
            m_labels[row].set_text(text);
            return true;
        }
    }
    return false;
}

void UpdateWindow::RegisterTexts(TextTargetRegistry& targets) {
    for (size_t row = 0; row < std::size(kUpdateLabelKeys); ++row) {
        const std::string key(kUpdateLabelKeys[row]);
        targets.labels[key] = TextTarget{kUpdateLabelTexts[row],
                                         [this, key](const std::string& text) { SetLabelText(key, text); }};
    }
}

}  // namespace quillmate
