// The code view and everything about what it shows: the text, which goes in by slices when it is
// very large; its highlighting, put on as the text comes into view; the link labels; the file it
// holds, the entry that copying and opening name, and the facts of the last loaded file.
#pragma once

#include <gdkmm/rgba.h>
#include <glibmm/refptr.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <pangomm/fontdescription.h>
#include <sigc++/connection.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Effects.h"
#include "base/EventQueue.h"
#include "viewer/CodeFile.h"
#include "viewer/Highlighter.h"

namespace quillmate {

struct Palette;

// What the view holds: the stored path of the entry whose file it shows, or the full path of a
// dropped file; an empty path when it holds neither (emptied, or a load left unfinished).
struct ShownCodeFile {
    std::string path;
    bool dropped = false;

    // True when the view holds the file of an entry stored with `entryPath`.
    bool IsEntryFile(std::string_view entryPath) const {
        return !dropped && !path.empty() && path == entryPath;
    }
};

enum class CodeLoad {
    Shown,
    NotShown,   // missing or unreadable: the view is empty
    Overtaken,  // the user chose something else or quit meanwhile: the load stopped unfinished
};

// One file to show: where it is read, what the view then holds, and the marking scheme (0 plain).
struct CodeFileRequest {
    std::string fullPath;
    ShownCodeFile shown;
    int codeMarks = 0;
};

// Texts up to this size go into the view in one insertion; larger ones by pieces, with the waiting
// events answered between them.
inline constexpr std::size_t kCodeTextSlice = std::size_t{256} << 10;

class CodeViewer : public Gtk::ScrolledWindow {
  public:
    // While a file loads, `queue` is looked at: an event that leaves the shown code (a newer
    // choice, a quit) stops the load. The highlighting's colours are taken from `palette` when
    // the first file is highlighted, and kept.
    CodeViewer(EventQueue& queue, const Palette& palette, const Pango::FontDescription& font);
    ~CodeViewer() override;
    CodeViewer(const CodeViewer&) = delete;
    CodeViewer& operator=(const CodeViewer&) = delete;

    Gtk::TextView& View() { return m_view; }
    const ShownCodeFile& ShownFile() const { return m_shown; }
    // The stored path of the entry last shown or found missing: the file that copying and opening
    // name. A dropped file leaves it.
    const std::string& CurrentEntryFile() const { return m_currentEntry; }
    // Facts of the last file shown; all zero after a missing one.
    const CodeFileInfo& FileInfo() const { return m_info; }
    // The text as shown, link labels left out.
    std::string Text() const;

    // Reads and decodes the file on a second thread, puts its text in and highlights it, while
    // the window answers. Until the load completes, the view keeps what it showed (or, once the
    // new text is in, holds no file); the shown file, the current entry and the file's facts
    // change only when it completes. A missing file leaves the view empty.
    CodeLoad ShowFile(const CodeFileRequest& request);
    // The same for a text that comes from no file: the view then holds no file.
    CodeLoad ShowText(std::string text, int codeMarks);
    // Text instead of a file (the missing-file notice); what the view holds stays recorded.
    void ShowNotice(const std::string& text);
    // Empties the view: it holds no file and names no entry.
    void ShowNothing();

    void ToggleWrap();
    void SetFont(const Pango::FontDescription& font);
    // Shows the numbers of the file's lines in a gutter beside the code, or hides it.
    void ShowLineNumbers(bool show);
    struct LineNumberMark {
        int y = 0;  // the bottom of its line's first row, in the gutter's coordinates
        std::uint32_t number = 0;
    };
    // The numbers the gutter shows beside the lines in view, top to bottom; none while it is
    // hidden or the view holds no file's text.
    std::vector<LineNumberMark> VisibleLineNumbers();
    // Makes every link and puts the whole highlighting on at once, as if every line had been shown.
    void HighlightEverything();

    // Marks the matches of `term` (ignoring case unless `matchCase`) and makes the first one at or
    // after the top of the view current. The matches are counted a slice of the text at a time,
    // the rest while the window is idle, and marked as they come into view; a new text is searched
    // again, until EndFind. An empty term marks nothing.
    void Find(const std::string& term, bool matchCase);
    // Makes the next (or previous) match current, round the end, selects it and shows it.
    void FindStep(bool forward);
    // Removes the marks; the view finds no more.
    void EndFind();
    struct FindPosition {
        std::size_t current = 0;  // 1 for the first match; 0 when none is current
        std::size_t count = 0;    // the matches counted so far
        bool counting = false;    // more of the text is still to be looked at
    };
    FindPosition FoundPosition() const;
    // Called whenever the current match or the count changes.
    void OnFindChanged(std::function<void()> changed) { m_find.changed = std::move(changed); }

  private:
    // The highlighting of the text in the view: the highlighter's result, put on block by block
    // for the blocks that show and those a page around them. The links are made from the top,
    // those of the first page first, the rest while the window is idle; a block is tagged only
    // once every link above it is made, for only then are its offsets the shown ones.
    struct Tagging {
        bool active = false;
        ShownHighlight shown;
        std::vector<Glib::RefPtr<Gtk::TextChildAnchor>> anchors;  // the links made, by shown.anchors
        std::vector<bool> taggedBlocks;
        sigc::connection visibleWork;
        sigc::connection aroundWork;
        sigc::connection linkWork;
    };

    CodeLoad Show(CodeFileLoad file, ViewBreaks breaks, const ShownCodeFile& shown, int codeMarks,
                  std::uint64_t load);
    bool Overtaken(std::uint64_t load) const;
    // Replaces the view's text, with the view's own line breaks before the bytes `breaks`; false
    // when overtaken before the new text was whole.
    bool PutText(const std::string& text, const std::vector<std::size_t>& breaks, std::uint64_t load);
    // Appends bytes [from, to) of `text`, with a break before each of `breaks` from `nextBreak` on.
    void Append(const Glib::RefPtr<Gtk::TextBuffer>& buffer, const std::string& text, std::size_t from,
                std::size_t to, const std::vector<std::size_t>& breaks,
                std::vector<std::size_t>::const_iterator& nextBreak);
    // What a very large text leaves behind goes while the window is idle: a detached buffer is
    // emptied by slices, a decoded text freed.
    void Dispose(Glib::RefPtr<Gtk::TextBuffer> buffer);
    void Dispose(std::string text);
    void DisposeWhenIdle();
    Glib::RefPtr<Gtk::TextBuffer> NewBuffer();
    // False when overtaken; a highlighter that fails leaves the text plain.
    bool Highlight(std::string text, int codeMarks, const std::vector<std::uint32_t>& breaks,
                   std::uint64_t load);
    void CreateTags();
    void Forget();
    std::uint32_t FinalEnd() const;
    bool MakeLinks(std::uint32_t upTo, std::chrono::steady_clock::time_point deadline);
    void MakeLabel(std::size_t link);
    bool TagBlock(std::size_t block);
    // Blocks of the characters shown in the visible area widened by `pages` areas on every side.
    std::vector<std::size_t> AreaBlocks(int pages);
    bool TagArea(int pages, std::chrono::steady_clock::time_point deadline, bool& tagged);
    void ScheduleTagging();

    // What the find looks for and what it has found in the text shown.
    struct Finding {
        bool active = false;
        std::string term;
        bool matchCase = false;
        std::u32string key;
        std::uint32_t top = 0;      // the character at the top of the view when the term was given
        std::uint32_t scanned = 0;  // characters of the buffer looked at
        std::uint32_t from = 0;     // where the next match may start
        bool complete = false;
        std::vector<std::uint32_t> starts;
        std::vector<bool> marked;  // by match
        std::size_t current = 0;
        bool hasCurrent = false;
        std::function<void()> changed;
        sigc::connection countWork;
        sigc::connection markWork;
    };
    void RestartFind();
    void ForgetFound();
    void RemoveFindMarks();
    // True when the whole text is looked at; false when the deadline came first (or the links the
    // offsets wait for are not all made).
    bool CountMatches(std::chrono::steady_clock::time_point deadline);
    void MarkVisibleMatches();
    void ScheduleFindMarks();
    void MakeCurrent(std::size_t match);
    void FindChanged() const;

    // The gutter is as wide as the last line's number in the view's font, and follows that font.
    void FitGutter();
    void DrawLineNumbers(const Cairo::RefPtr<Cairo::Context>& cr);

    EventQueue& m_queue;
    const Palette& m_palette;
    Gtk::TextView m_view;
    Glib::RefPtr<Gtk::CssProvider> m_css;
    Glib::RefPtr<Gtk::CssProvider> m_linkCss;
    std::uint64_t m_loads = 0;  // moves on with every change of the text; an older load is overtaken
    ShownCodeFile m_shown;
    std::string m_currentEntry;
    CodeFileInfo m_info;
    std::array<Glib::RefPtr<Gtk::TextTag>, kHighlightTagCount> m_tags;
    Glib::RefPtr<Gtk::TextTag> m_breakTag;  // invisible: the view's own line breaks
    Glib::RefPtr<Gtk::TextTag> m_findTag;
    Glib::RefPtr<Gtk::TextTag> m_findCurrentTag;
    Glib::RefPtr<Gtk::TextMark> m_findMark;
    Tagging m_tagging;
    Finding m_find;
    bool m_lineNumbers = false;
    ViewLines m_viewLines;  // of the text shown; no lines for a text that is no file's
    // Taken from the palette once, like the code's own colours.
    Gdk::RGBA m_numberColour;
    Gdk::RGBA m_gutterBack;
    struct Disposals {
        std::vector<Glib::RefPtr<Gtk::TextBuffer>> buffers;
        std::vector<std::string> texts;
        sigc::connection work;
    } m_disposals;
};

}  // namespace quillmate
