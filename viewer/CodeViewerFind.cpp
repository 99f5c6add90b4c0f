// The code view's find: counting the matches slice by slice, marking those that come into view,
// and walking from one to the next.
#include <glibmm/main.h>
#include <gtkmm/textbuffer.h>

#include <algorithm>

#include "viewer/CodeFind.h"
#include "viewer/CodeViewer.h"

namespace quillmate {
namespace {

// The text is looked at by slices of this many characters: a few milliseconds each.
constexpr int kFindSlice = 128 << 10;
// Counting goes on while the window is idle, this long at a time.
constexpr auto kFindTurn = std::chrono::milliseconds(10);
// At most this many marks go on per turn: a line of thousands of matches takes a few turns.
constexpr std::size_t kMarksPerTurn = 4096;

}  // namespace

void CodeViewer::Find(const std::string& term, bool matchCase) {
    if (m_find.active && term == m_find.term && matchCase == m_find.matchCase) {
        return;
    }
    RemoveFindMarks();  // by the old term's length
    m_find.term = term;
    m_find.matchCase = matchCase;
    m_find.key = FindKey(term, matchCase);
    m_find.active = true;
    Gdk::Rectangle visible;
    m_view.get_visible_rect(visible);
    Gtk::TextIter top;
    m_view.get_iter_at_location(top, visible.get_x(), visible.get_y());
    m_find.top = static_cast<std::uint32_t>(top.get_offset());
    RestartFind();
}

// Only where marks were put: removing a tag from a whole text of a hundred megabytes would walk
// all of it.
void CodeViewer::RemoveFindMarks() {
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    const auto length = static_cast<int>(m_find.key.size());
    for (std::size_t match = 0; match < m_find.marked.size(); ++match) {
        if (m_find.marked[match]) {
            const auto at = static_cast<int>(m_find.starts[match]);
            buffer->remove_tag(m_findTag, buffer->get_iter_at_offset(at),
                               buffer->get_iter_at_offset(at + length));
        }
    }
    if (m_find.hasCurrent) {
        const auto at = static_cast<int>(m_find.starts[m_find.current]);
        buffer->remove_tag(m_findCurrentTag, buffer->get_iter_at_offset(at),
                           buffer->get_iter_at_offset(at + length));
    }
}

void CodeViewer::EndFind() {
    RemoveFindMarks();
    ForgetFound();
    m_find.active = false;
    m_find.term.clear();
    m_find.key.clear();
    FindChanged();
}

CodeViewer::FindPosition CodeViewer::FoundPosition() const {
    return {m_find.hasCurrent ? m_find.current + 1 : 0, m_find.starts.size(),
            m_find.active && !m_find.complete};
}

void CodeViewer::ForgetFound() {
    m_find.countWork.disconnect();
    m_find.markWork.disconnect();
    m_find.scanned = 0;
    m_find.from = 0;
    m_find.complete = false;
    std::vector<std::uint32_t>().swap(m_find.starts);
    std::vector<bool>().swap(m_find.marked);
    m_find.hasCurrent = false;
}

// Counts in the text now shown: what fits in one turn at once, the rest while idle.
void CodeViewer::RestartFind() {
    ForgetFound();
    if (!m_find.active) {
        return;
    }
    if (m_find.key.empty()) {
        m_find.complete = true;
    } else if (!CountMatches(std::chrono::steady_clock::now() + kFindTurn)) {
        m_find.countWork = Glib::signal_idle().connect(
            [this] { return !CountMatches(std::chrono::steady_clock::now() + kFindTurn); });
    }
    FindChanged();
}

bool CodeViewer::CountMatches(std::chrono::steady_clock::time_point deadline) {
    // Offsets hold only once every link stands in its place.
    if (m_tagging.active && m_tagging.anchors.size() < m_tagging.shown.anchors.size()) {
        return false;
    }
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    const auto total = static_cast<std::uint32_t>(buffer->get_char_count());
    const std::size_t before = m_find.starts.size();
    while (m_find.scanned < total && std::chrono::steady_clock::now() < deadline) {
        // A slice reaches a term's length further, so that a match across its end is found whole;
        // hidden characters (the view's own line breaks) and the link anchors count as they stand.
        const std::uint32_t end = std::min<std::uint32_t>(m_find.scanned + kFindSlice, total);
        const auto reach = static_cast<int>(std::min<std::uint64_t>(end + m_find.key.size() - 1, total));
        const Glib::ustring slice =
            buffer->get_slice(buffer->get_iter_at_offset(static_cast<int>(m_find.scanned)),
                              buffer->get_iter_at_offset(reach), true);
        std::vector<std::uint32_t> found;
        FindMatches(slice.raw(), m_find.key, m_find.matchCase, m_find.scanned, m_find.from, found);
        m_find.starts.insert(m_find.starts.end(), found.begin(), found.end());
        m_find.scanned = end;
    }
    m_find.complete = m_find.scanned >= total;
    m_find.marked.resize(m_find.starts.size(), false);
    // The first match at or after the top of the view, once it is known; else the first one.
    if (!m_find.hasCurrent && !m_find.starts.empty()) {
        const std::size_t next = MatchAtOrAfter(m_find.starts, m_find.top);
        if (m_find.starts[next] >= m_find.top || m_find.complete) {
            MakeCurrent(next);
        }
    }
    if (m_find.starts.size() != before || m_find.complete) {
        ScheduleFindMarks();
        FindChanged();
    }
    return m_find.complete;
}

void CodeViewer::FindStep(bool forward) {
    if (m_find.starts.empty()) {
        return;
    }
    MakeCurrent(m_find.hasCurrent ? StepMatch(m_find.current, m_find.starts.size(), forward) : 0);
    FindChanged();
}

void CodeViewer::MakeCurrent(std::size_t match) {
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    const auto length = static_cast<int>(m_find.key.size());
    if (m_find.hasCurrent) {
        const auto old = static_cast<int>(m_find.starts[m_find.current]);
        buffer->remove_tag(m_findCurrentTag, buffer->get_iter_at_offset(old),
                           buffer->get_iter_at_offset(old + length));
    }
    m_find.current = match;
    m_find.hasCurrent = true;
    const auto at = static_cast<int>(m_find.starts[match]);
    const Gtk::TextIter start = buffer->get_iter_at_offset(at);
    const Gtk::TextIter end = buffer->get_iter_at_offset(at + length);
    buffer->apply_tag(m_findCurrentTag, start, end);
    buffer->select_range(start, end);
    // A match in full view stays where it is; any other is brought to a third of the view's height, through a
    // mark, which the view scrolls to once the lines above it are laid out.
    Gdk::Rectangle visible;
    Gdk::Rectangle location;
    m_view.get_visible_rect(visible);
    m_view.get_iter_location(start, location);
    if (location.get_y() >= visible.get_y() &&
        location.get_y() + location.get_height() <= visible.get_y() + visible.get_height() &&
        location.get_x() >= visible.get_x() && location.get_x() < visible.get_x() + visible.get_width()) {
        return;
    }
    if (!m_findMark || m_findMark->get_buffer() != buffer) {
        m_findMark = buffer->create_mark(start);
    } else {
        buffer->move_mark(m_findMark, start);
    }
    m_view.scroll_to(m_findMark, 0.0, 0.0, 1.0 / 3);
}

void CodeViewer::ScheduleFindMarks() {
    if (!m_find.active || m_find.starts.empty() || m_find.markWork.connected()) {
        return;
    }
    m_find.markWork = Glib::signal_idle().connect(
        [this] {
            MarkVisibleMatches();
            return false;
        },
        G_PRIORITY_HIGH_IDLE);
}

// Marks the matches on the lines that show and a page around them.
void CodeViewer::MarkVisibleMatches() {
    Gdk::Rectangle visible;
    m_view.get_visible_rect(visible);
    Gtk::TextIter first;
    Gtk::TextIter last;
    m_view.get_iter_at_location(first, 0, std::max(visible.get_y() - visible.get_height(), 0));
    m_view.get_iter_at_location(last, 0, visible.get_y() + 2 * visible.get_height());
    first.set_line_offset(0);
    last.forward_to_line_end();
    const auto length = static_cast<std::uint32_t>(m_find.key.size());
    const auto from = static_cast<std::uint32_t>(first.get_offset());
    const auto to = static_cast<std::uint32_t>(last.get_offset());
    const Glib::RefPtr<Gtk::TextBuffer> buffer = m_view.get_buffer();
    std::size_t made = 0;
    auto match =
        std::lower_bound(m_find.starts.begin(), m_find.starts.end(), from > length ? from - length : 0);
    for (; match != m_find.starts.end() && *match <= to && made < kMarksPerTurn; ++match) {
        const auto index = static_cast<std::size_t>(match - m_find.starts.begin());
        if (m_find.marked[index]) {
            continue;
        }
        m_find.marked[index] = true;
        buffer->apply_tag(m_findTag, buffer->get_iter_at_offset(static_cast<int>(*match)),
                          buffer->get_iter_at_offset(static_cast<int>(*match + length)));
        ++made;
    }
    if (made == kMarksPerTurn) {
        ScheduleFindMarks();
    }
}

void CodeViewer::FindChanged() const {
    if (m_find.changed) {
        m_find.changed();
    }
}

}  // namespace quillmate
