// Syntax highlighting of the code view: the seven text tags, the highlighter's spans put onto the
// buffer as the text comes into view, and link addresses turned into clickable labels.
#pragma once

#include <glibmm/refptr.h>
#include <sigc++/connection.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Effects.h"
#include "viewer/Highlighter.h"

namespace Gtk {
class TextBuffer;
class TextChildAnchor;
class TextMark;
class TextTag;
class TextView;
}  // namespace Gtk

namespace quillmate {

struct Palette;

// The highlighting of one code view, owned by the Application. The highlighter's result is kept
// and put onto the buffer block by block, for the blocks that show and those a page around them,
// as the view is drawn and scrolled: a long file costs what its visible part costs. The result
// is dropped as soon as the generation moves on: another run started, or the text of the buffer
// changed (a new load, a cleared view).
struct HighlightRuns {
    HighlightRuns() = default;
    ~HighlightRuns();
    HighlightRuns(const HighlightRuns&) = delete;
    HighlightRuns& operator=(const HighlightRuns&) = delete;

    std::uint64_t generation = 0;
    // The highlighter's result is waited for this long before the window goes on answering.
    std::chrono::milliseconds quietWait = kQuietWait;
    // Counts every text change of the watched buffer as a new generation.
    Glib::RefPtr<Gtk::TextBuffer> watchedBuffer;
    sigc::connection textWatch;

    // The shown result and the generation it belongs to.
    std::uint64_t shownGeneration = 0;
    ShownHighlight shown;
    std::vector<Glib::RefPtr<Gtk::TextChildAnchor>> anchors;  // by shown.anchors
    std::vector<bool> taggedBlocks;
    std::vector<Glib::RefPtr<Gtk::TextMark>> cuts;  // where long lines were cut for tagging
    std::array<Glib::RefPtr<Gtk::TextTag>, kHighlightTagCount> tags;
    Gtk::TextView* view = nullptr;
    sigc::connection drawWatch;
    sigc::connection scrollWatch;
    sigc::connection visibleWork;
    sigc::connection aroundWork;
};

// Highlights the text of the code view under the marking scheme `codeMarks` (1 bold keywords,
// 2 blue bold keywords, other values no keyword tag). The seven tags are created on the first
// call from `palette` and keep those colours. The result is computed from the text on a second
// thread while the window answers; a new load or highlight meanwhile ends the run unfinished.
// Only link lines change the text (the address becomes a link label).
void Highlight(Gtk::TextView& codeView, HighlightRuns& runs, const Palette& palette, int codeMarks);
// The same for `text`, which is the buffer's text as it stands (child anchors as U+FFFC): a caller
// that has just put the text in saves reading it back.
void Highlight(Gtk::TextView& codeView, HighlightRuns& runs, const Palette& palette, int codeMarks,
               std::string text);

// Puts the whole result onto the buffer at once, as if every line had been shown.
void HighlightEverything(HighlightRuns& runs);

}  // namespace quillmate
