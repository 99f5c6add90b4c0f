#include "viewer/FindBar.h"

#include <gtkmm/window.h>

#include "app/AccessibleName.h"

namespace quillmate {

std::string FindCountText(std::size_t current, std::size_t count, bool counting) {
    return std::to_string(current) + " / " + std::to_string(count) + (counting ? "\u2026" : "");
}

FindBar::FindBar(EventQueue& queue) {
    const auto post = [&queue](WidgetId widget, WidgetEventType type) {
        return [&queue, widget, type] { queue.Post(WidgetEvent(WindowId::Main, widget, type)); };
    };
    m_entry.set_width_chars(12);
    m_entry.set_tooltip_text(
        "Sucht den Ausdruck im angezeigten Code (Strg+F). Enter: nächster Treffer, Esc: schließen.");
    NameAfterTooltip(m_entry);
    m_entry.signal_changed().connect(post(WidgetId::FindEntry, WidgetEventType::Change));
    for (auto [button, icon, tooltip, widget] :
         {std::tuple{&m_previous, "go-up-symbolic", "Vorheriger Treffer (Umschalt+Enter)",
                     WidgetId::FindPrevious},
          std::tuple{&m_next, "go-down-symbolic", "Nächster Treffer (Enter)", WidgetId::FindNext}}) {
        button->set_image_from_icon_name(icon, Gtk::ICON_SIZE_BUTTON);
        button->set_tooltip_text(tooltip);
        NameAfterTooltip(*button);
        button->set_focus_on_click(false);
        button->signal_clicked().connect(post(widget, WidgetEventType::LeftClick));
    }
    m_matchCase.set_label("Aa");
    m_matchCase.set_tooltip_text("Groß-/Kleinschreibung beachten");
    NameAfterTooltip(m_matchCase);
    m_matchCase.set_focus_on_click(false);
    m_matchCase.signal_toggled().connect(post(WidgetId::FindCase, WidgetEventType::Change));
    m_count.set_width_chars(9);
    m_count.set_xalign(0);
    m_box.pack_start(m_entry, false, false);
    m_box.pack_start(m_previous, false, false);
    m_box.pack_start(m_next, false, false);
    m_box.pack_start(m_matchCase, false, false);
    m_box.pack_start(m_count, false, false);
    add(m_box);
    set_show_close_button(true);
    connect_entry(m_entry);
    // The bar's close button (and anything else that ends its search mode) closes the find.
    property_search_mode_enabled().signal_changed().connect([this, post] {
        if (!get_search_mode()) {
            post(WidgetId::FindBar, WidgetEventType::Change)();
        }
    });
    show_all_children();
}

void FindBar::Open(const std::string& term, bool focus) {
    // The bar takes the focus whenever it opens; where it should not, the focus goes back.
    auto* window = dynamic_cast<Gtk::Window*>(get_toplevel());
    Gtk::Widget* before = window != nullptr ? window->get_focus() : nullptr;
    set_search_mode(true);
    if (!term.empty()) {
        m_entry.set_text(term);
    }
    if (focus) {
        m_entry.grab_focus();
        m_entry.select_region(0, -1);
    } else if (auto* entry = dynamic_cast<Gtk::Entry*>(before);
               entry != nullptr && !entry->is_ancestor(*this)) {
        entry->grab_focus_without_selecting();  // the user types on in it
    } else if (before != nullptr && !before->is_ancestor(*this)) {
        before->grab_focus();
    }
}

void FindBar::Close() {
    set_search_mode(false);
}

bool FindBar::HasFocusWithin() {
    auto* window = dynamic_cast<Gtk::Window*>(get_toplevel());
    Gtk::Widget* focus = window != nullptr ? window->get_focus() : nullptr;
    return focus != nullptr && get_search_mode() && focus->is_ancestor(*this);
}

void FindBar::ShowCount(std::size_t current, std::size_t count, bool counting) {
    m_count.set_text(m_entry.get_text().empty() ? "" : FindCountText(current, count, counting));
}

}  // namespace quillmate
