// The update window: three rows that answer whether a newer program or database is available,
// filled when the version file has arrived from the project's server.
#pragma once

#include "settings/TextKeys.h"

#include <glibmm/dispatcher.h>
#include <gtkmm/entry.h>
#include <gtkmm/fixed.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include <string>
#include <string_view>

#include "app/FixedLayout.h"
#include "app/WidgetRect.h"
#include "app/WindowContext.h"
#include "settings/UpdateCheck.h"

namespace quillmate {

inline constexpr int kUpdateWindowWidth = 640;
inline constexpr int kUpdateWindowHeight = 105;
inline constexpr WidgetRect kUpdateLabelRects[3] = {{5, 15, 345, 22}, {5, 45, 345, 22}, {5, 75, 345, 22}};
inline constexpr WidgetRect kUpdateFieldRects[3] = {
    {355, 10, 280, 26}, {355, 40, 280, 26}, {355, 70, 280, 26}};

class UpdateWindow : public Gtk::Window {
  public:
    explicit UpdateWindow(const WindowContext& context);

    void ShowAnswers(const UpdateAnswers& answers);
    // Row 1 the other edition, row 2 the program, row 3 the database.
    std::string FieldText(int row) const;
    // Called from any thread: the check has finished; the loop then shows its result.
    void NotifyFinished() { m_finished.emit(); }

    // Language switch: "#Upt_LabelAppGtk2", "#Upt_LabelAppGtk3", "#Upt_LabelXml"; false for keys
    // of other windows.
    bool SetLabelText(std::string_view key, const std::string& text);
    // Offers the three labels to the language switch, with their German texts.
    void RegisterTexts(TextTargetRegistry& targets);

  private:
    EventQueue& m_queue;
    Glib::Dispatcher m_finished;
    FixedLayout m_fixed{kUpdateWindowWidth, kUpdateWindowHeight};
    Gtk::Label m_labels[3];
    Gtk::Entry m_fields[3];
};

}  // namespace quillmate
