// Syntax highlighting of the code view: the seven text tags, the highlighter's spans put onto the
// buffer, and link addresses turned into clickable labels.
#pragma once

#include <glibmm/refptr.h>
#include <sigc++/connection.h>

#include <chrono>
#include <cstdint>

namespace Gtk {
class TextBuffer;
class TextView;
}  // namespace Gtk

namespace quillmate {

struct Palette;

// Bookkeeping of the highlighting runs on one code view, owned by the Application. A run that
// lets the window redraw between slices stops as soon as the generation has moved on: another
// run started, or the text of the buffer changed (a new load, a cleared view).
struct HighlightRuns {
    HighlightRuns() = default;
    ~HighlightRuns();
    HighlightRuns(const HighlightRuns&) = delete;
    HighlightRuns& operator=(const HighlightRuns&) = delete;

    std::uint64_t generation = 0;
    // Tags are applied in slices of about this length with a redraw in between; a file whose
    // tags take less is tagged in one go.
    std::chrono::milliseconds sliceTime{100};
    // Counts every text change of the watched buffer as a new generation.
    Glib::RefPtr<Gtk::TextBuffer> watchedBuffer;
    sigc::connection textWatch;
};

// Highlights the text of the code view under the marking scheme `codeMarks` (1 bold keywords,
// 2 blue bold keywords, other values no keyword tag). The seven tags are created on the first
// call from `palette` and keep those colours. The whole result is computed from the text before
// the buffer is touched; only link lines change the text (the address becomes a link label).
void Highlight(Gtk::TextView& codeView, HighlightRuns& runs, const Palette& palette, int codeMarks);

}  // namespace quillmate
