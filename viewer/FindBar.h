// The find bar at the code view: the term, the way to the previous and the next match, whether
// case counts, and where the current match stands among all of them.
#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/searchbar.h>
#include <gtkmm/searchentry.h>
#include <gtkmm/togglebutton.h>

#include <cstddef>
#include <string>

#include "base/EventQueue.h"

namespace quillmate {

// "k / n": match k of n is current (k 0: none); an ellipsis while more text is to be looked at.
std::string FindCountText(std::size_t current, std::size_t count, bool counting);

class FindBar : public Gtk::SearchBar {
  public:
    // Its widgets post their events to `queue`.
    explicit FindBar(EventQueue& queue);

    // Shows the bar with `term` selected in its field, which takes the focus if `focus`.
    void Open(const std::string& term, bool focus = true);
    void Close();
    bool IsOpen() { return get_search_mode(); }
    // True when the focus is in the bar.
    bool HasFocusWithin();
    std::string Term() const { return m_entry.get_text().raw(); }
    bool MatchCase() const { return m_matchCase.get_active(); }
    void ShowCount(std::size_t current, std::size_t count, bool counting);

    Gtk::SearchEntry& Entry() { return m_entry; }
    Gtk::Button& PreviousButton() { return m_previous; }
    Gtk::Button& NextButton() { return m_next; }
    Gtk::ToggleButton& MatchCaseButton() { return m_matchCase; }
    const Gtk::Label& CountLabel() const { return m_count; }

  private:
    Gtk::Box m_box{Gtk::ORIENTATION_HORIZONTAL, 4};
    Gtk::SearchEntry m_entry;
    Gtk::Button m_previous;
    Gtk::Button m_next;
    Gtk::ToggleButton m_matchCase;
    Gtk::Label m_count;
};

}  // namespace quillmate
