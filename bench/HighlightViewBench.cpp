// Highlighting in the program's code viewer: the text shown highlighted, every link made and every
// block tagged, on a 20,000-line file, and against the passes done literally with text-iterator
// searches on a 2,000-line file; the ratio is printed at the end.
// Showing the long file with and without highlighting tells what highlighting adds to a load.
// Side by side with GtkSourceView 4 (Korvex definition in bench/korvex.lang) on the bundled
// library's code files repeated to 20,000 lines, with their link lines and with the links turned
// into plain comments: showing the text highlighted until the view has settled, the first frame
// drawn with the top lines coloured, and scrolling through 20 pages afterwards; the ratios are
// printed at the end. The view without highlighting
// on the same text tells what laying out the text alone costs. Tokens on one long line are set
// against the same tokens on lines of normal length.
// Needs a display; not part of the test run:
//   xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ./build/bench/bench_highlightview
#include <benchmark/benchmark.h>
#include <glibmm/main.h>
#include <glibmm/markup.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/label.h>
#include <gtkmm/main.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>
#include <gtksourceview/gtksource.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/Effects.h"
#include "bench/LibraryGenerator.h"
#include "bench/PeakMemory.h"
#include "resources/KeywordList.h"
#include "viewer/CodeFile.h"
#include "viewer/CodeViewer.h"
#include "viewer/Highlighter.h"
#include "viewer/Palette.h"

namespace {

using namespace quillmate;

constexpr int kCodeMarks = 2;
constexpr int kLibraryLines = 20000;
constexpr int kScrollPages = 20;

void ProcessPendingEvents() {
    while (Gtk::Main::events_pending()) {
        Gtk::Main::iteration(true);
    }
}

// The reference view is set up as the program's code view is.
void SetUpLikeCodeView(Gtk::TextView& view) {
    view.set_editable(false);
    view.set_cursor_visible(false);
    view.set_wrap_mode(Gtk::WRAP_NONE);
    view.set_left_margin(4);
    view.set_right_margin(4);
    view.override_font(Pango::FontDescription("Monospace 10"));
    Pango::TabArray tabs(1, true);
    tabs.set_tab(0, Pango::TAB_LEFT, 16);
    view.set_tabs(tabs);
}

// Counts the draws of a view, to tell when it has settled: drawn since a mark, nothing pending.
class DrawWatch {
  public:
    explicit DrawWatch(Gtk::Widget& view) {
        view.signal_draw().connect(
            [this](const Cairo::RefPtr<Cairo::Context>&) {
                ++m_draws;
                return false;
            },
            false);
    }

    int Mark() const { return m_draws; }

    // A draw that never comes ends the wait after a second, so that a run cannot hang.
    void Settle(int mark) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        sigc::connection wake = Glib::signal_timeout().connect([] { return true; }, 50);
        ProcessPendingEvents();
        while (m_draws == mark && std::chrono::steady_clock::now() < deadline) {
            Gtk::Main::iteration(true);
            ProcessPendingEvents();
        }
        wake.disconnect();
    }

    // The frame clock keeps frames about 17 ms apart; waiting that out before a measured step
    // keeps the wait out of the measured time.
    static void WaitForNextFrame() {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ProcessPendingEvents();
    }

  private:
    int m_draws = 0;
};

// True when some of the first characters at the top of the view carry a tag.
bool TopLinesTagged(Gtk::TextView& view) {
    Gdk::Rectangle visible;
    view.get_visible_rect(visible);
    Gtk::TextIter at;
    int top = 0;
    view.get_line_at_y(at, visible.get_y(), top);
    for (int i = 0; i < 2000 && !at.is_end(); ++i, at.forward_char()) {
        if (!at.get_tags().empty()) {
            return true;
        }
    }
    return false;
}

// Milliseconds from `show` starting to the first frame drawn with tags on its top lines (seen as
// the drawing starts: what is tagged then is drawn), the view emptied by `empty` and settled
// before; -1 when no such frame came within two seconds.
double FirstColouredFrame(Gtk::TextView& view, const std::function<void()>& empty,
                          const std::function<void()>& show) {
    using Clock = std::chrono::steady_clock;
    empty();
    DrawWatch::WaitForNextFrame();
    std::optional<Clock::time_point> coloured;
    sigc::connection watch = view.signal_draw().connect(
        [&](const Cairo::RefPtr<Cairo::Context>&) {
            if (!coloured && TopLinesTagged(view)) {
                coloured = Clock::now();
            }
            return false;
        },
        false);
    sigc::connection wake = Glib::signal_timeout().connect([] { return true; }, 5);
    const auto start = Clock::now();
    show();
    while (!coloured && Clock::now() < start + std::chrono::seconds(2)) {
        Gtk::Main::iteration(true);
    }
    wake.disconnect();
    watch.disconnect();
    return coloured ? std::chrono::duration<double, std::milli>(*coloured - start).count() : -1;
}

// The mean of five first coloured frames, as the benchmark's counter "firstColouredMs".
void CountFirstColouredFrame(benchmark::State& state, const std::function<double()>& measure) {
    double sum = 0;
    for (int run = 0; run < 5; ++run) {
        const double ms = measure();
        if (ms < 0) {
            state.SkipWithError("no coloured frame");
            return;
        }
        sum += ms;
    }
    state.counters["firstColouredMs"] = benchmark::Counter(sum / 5);
}

// A view left full would go on laying its text out while the next benchmark runs.
template <class Window>
void LeaveEmpty(Window& window) {
    window.Load("");
    DrawWatch::WaitForNextFrame();
}

// A window with a scrolled code view set up like the main window's.
class CodeWindow {
  public:
    CodeWindow()
        : m_palette(LightPalette()), m_viewer(m_queue, m_palette, Pango::FontDescription("Monospace 10")) {
        m_window.add(m_viewer);
        m_window.set_default_size(640, 600);
        m_window.move(0, 0);
        m_window.show_all();
        m_viewer.ShowText("", kCodeMarks);  // creates the tags
        ProcessPendingEvents();
    }

    Gtk::TextView& View() { return m_viewer.View(); }
    Glib::RefPtr<Gtk::TextBuffer> Buffer() { return View().get_buffer(); }
    Glib::RefPtr<Gtk::Adjustment> Scrolling() { return m_viewer.get_vadjustment(); }
    const DrawWatch& Draws() const { return m_draws; }
    CodeViewer& Viewer() { return m_viewer; }
    // What a load does once the file is read: the text put in and highlighted.
    void Show(const std::string& text) { m_viewer.ShowText(text, kCodeMarks); }

    // Puts fresh text into the view and lets it settle, outside the measured time.
    void Load(const std::string& text) {
        m_viewer.ShowText(text, 0);
        ProcessPendingEvents();
    }

  private:
    static Palette LightPalette() {
        Palette palette;
        ApplyPalette(palette, false);
        return palette;
    }

    EventQueue m_queue;
    Palette m_palette;
    Gtk::Window m_window;
    CodeViewer m_viewer;
    DrawWatch m_draws{m_viewer.View()};
};

// The same window with a GtkSourceView that highlights Korvex by the definition in bench/.
class SourceWindow {
  public:
    SourceWindow() {
        GtkSourceLanguageManager* languages = gtk_source_language_manager_get_default();
        // The definition's schema comes from the installed folders, searched after this one.
        std::vector<const gchar*> folders = {QUILLMATE_BENCH_SOURCE_DIR};
        for (const gchar* const* folder = gtk_source_language_manager_get_search_path(languages);
             *folder != nullptr; ++folder) {
            folders.push_back(*folder);
        }
        folders.push_back(nullptr);
        gtk_source_language_manager_set_search_path(languages, const_cast<gchar**>(folders.data()));
        GtkSourceLanguage* korvex = gtk_source_language_manager_get_language(languages, "korvex");
        m_buffer = gtk_source_buffer_new_with_language(korvex);
        gtk_source_buffer_set_max_undo_levels(m_buffer, 0);
        gtk_source_buffer_set_highlight_matching_brackets(m_buffer, FALSE);
        m_view = Gtk::manage(Glib::wrap(GTK_TEXT_VIEW(gtk_source_view_new_with_buffer(m_buffer))));
        g_object_unref(m_buffer);  // the view holds it
        SetUpLikeCodeView(*m_view);
        m_draws = std::make_unique<DrawWatch>(*m_view);
        m_scroller.add(*m_view);
        m_window.add(m_scroller);
        m_window.set_default_size(640, 600);
        m_window.move(640, 0);
        m_window.show_all();
        ProcessPendingEvents();
    }

    // True when the highlighting tagged some of the first characters of `text`.
    bool Highlights(const std::string& text) {
        SetHighlighted(text);
        GtkTextIter at;
        gtk_text_buffer_get_start_iter(GTK_TEXT_BUFFER(m_buffer), &at);
        for (int i = 0; i < 2000 && gtk_text_iter_forward_char(&at); ++i) {
            GSList* tags = gtk_text_iter_get_tags(&at);
            const bool tagged = tags != nullptr;
            g_slist_free(tags);
            if (tagged) {
                return true;
            }
        }
        return false;
    }
    Gtk::TextView& View() { return *m_view; }
    Glib::RefPtr<Gtk::Adjustment> Scrolling() { return m_scroller.get_vadjustment(); }
    const DrawWatch& Draws() const { return *m_draws; }

    // Buffer set and the highlighting of the whole buffer at once.
    void SetHighlighted(const std::string& text) {
        gtk_text_buffer_set_text(GTK_TEXT_BUFFER(m_buffer), text.data(), static_cast<int>(text.size()));
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_bounds(GTK_TEXT_BUFFER(m_buffer), &start, &end);
        gtk_source_buffer_ensure_highlight(m_buffer, &start, &end);
    }

    void Load(const std::string& text) {
        gtk_text_buffer_set_text(GTK_TEXT_BUFFER(m_buffer), text.data(), static_cast<int>(text.size()));
        ProcessPendingEvents();
    }

  private:
    Gtk::Window m_window;
    Gtk::ScrolledWindow m_scroller;
    GtkSourceBuffer* m_buffer = nullptr;
    Gtk::TextView* m_view = nullptr;
    std::unique_ptr<DrawWatch> m_draws;
};

// The six passes as the buffer's own searches, one forward search per keyword and per name.
class LiteralPasses {
  public:
    explicit LiteralPasses(CodeWindow& window) : m_window(window), m_buffer(window.Buffer()) {
        const auto table = m_buffer->get_tag_table();
        m_disable = table->lookup("Disable");
        m_literal = table->lookup("Literal");
        m_constant = table->lookup("Constant");
        m_function = table->lookup("Function");
        m_funcCall = table->lookup("FuncCall");
        m_keyword = table->lookup("BlueBold");
    }

    void Run() {
        m_buffer = m_window.Buffer();
        m_buffer->remove_all_tags(m_buffer->begin(), m_buffer->end());
        Comments();
        Strings();
        RefreshWidget(m_window.View());
        Constants();
        RefreshWidget(m_window.View());
        std::vector<Glib::ustring> names = Keywords();
        RefreshWidget(m_window.View());
        ProcedureUses(names);
        Links();
        RefreshWidget(m_window.View());
    }

  private:
    static bool IsWordAt(const Gtk::TextIter& at) { return !at.is_end() && IsWordChar(at.get_char()); }
    static bool IsWordBefore(Gtk::TextIter at) {
        return !at.is_start() && at.backward_char() && IsWordAt(at);
    }

    static bool Find(const Glib::ustring& needle, const Gtk::TextIter& from, Gtk::TextIter& start,
                     Gtk::TextIter& end) {
        return from.forward_search(needle, Gtk::TextSearchFlags(0), start, end);
    }

    // The quotes before the ";" are counted from the start of its own line.
    void Comments() {
        Gtk::TextIter from = m_buffer->begin();
        Gtk::TextIter start;
        Gtk::TextIter end;
        while (Find(";", from, start, end)) {
            int quotes = 0;
            Gtk::TextIter at = start;
            at.set_line_offset(0);
            for (; at.compare(start) < 0; at.forward_char()) {
                quotes += at.get_char() == '"' ? 1 : 0;
            }
            if (quotes % 2 == 0) {
                Gtk::TextIter lineEnd = start;
                if (!lineEnd.ends_line()) {
                    lineEnd.forward_to_line_end();
                }
                m_buffer->apply_tag(m_disable, start, lineEnd);
                from = lineEnd;
                from.forward_char();
            } else {
                from = end;
            }
        }
    }

    void Strings() {
        Gtk::TextIter from = m_buffer->begin();
        Gtk::TextIter open;
        Gtk::TextIter afterOpen;
        while (Find("\"", from, open, afterOpen)) {
            if (open.has_tag(m_disable)) {
                from.forward_char();
                continue;
            }
            Gtk::TextIter close;
            Gtk::TextIter afterClose;
            if (!Find("\"", afterOpen, close, afterClose)) {
                return;
            }
            m_buffer->apply_tag(m_literal, afterOpen, close);
            from = afterClose;
        }
    }

    void Constants() {
        Gtk::TextIter from = m_buffer->begin();
        Gtk::TextIter hash;
        Gtk::TextIter end;
        while (Find("#", from, hash, end)) {
            if (!IsWordBefore(hash) && !hash.has_tag(m_disable)) {
                while (IsWordAt(end)) {
                    end.forward_char();
                }
                m_buffer->apply_tag(m_constant, hash, end);
            }
            from = end;
        }
    }

    bool Counts(const Gtk::TextIter& start, const Gtk::TextIter& end) const {
        return !IsWordBefore(start) && !start.has_tag(m_disable) && !start.has_tag(m_literal) &&
               !IsWordAt(end);
    }

    std::vector<Glib::ustring> Keywords() {
        std::vector<Glib::ustring> names;
        for (const std::string_view keyword : KorvexKeywords()) {
            const Glib::ustring needle(std::string{keyword});
            const bool procedure = kProcedureKeywords.find(keyword) != std::string_view::npos;
            Gtk::TextIter from = m_buffer->begin();
            Gtk::TextIter start;
            Gtk::TextIter end;
            while (Find(needle, from, start, end)) {
                from = end;
                if (!Counts(start, end)) {
                    continue;
                }
                m_buffer->apply_tag(m_keyword, start, end);
                if (!procedure) {
                    continue;
                }
                Gtk::TextIter space;
                Gtk::TextIter afterSpace;
                if (!Find(" ", start, space, afterSpace)) {
                    break;
                }
                while (!afterSpace.is_end() && afterSpace.get_char() == ' ') {
                    afterSpace.forward_char();
                }
                Gtk::TextIter nameEnd = afterSpace;
                while (IsWordAt(nameEnd)) {
                    nameEnd.forward_char();
                }
                m_buffer->apply_tag(m_function, afterSpace, nameEnd);
                if (nameEnd.compare(afterSpace) > 0) {
                    names.push_back(m_buffer->get_slice(afterSpace, nameEnd, true));
                }
                from = nameEnd;
            }
        }
        return names;
    }

    void ProcedureUses(const std::vector<Glib::ustring>& names) {
        for (const Glib::ustring& name : names) {
            Gtk::TextIter from = m_buffer->begin();
            Gtk::TextIter start;
            Gtk::TextIter end;
            while (Find(name, from, start, end)) {
                if (Counts(start, end) && !start.has_tag(m_function)) {
                    m_buffer->apply_tag(m_funcCall, start, end);
                }
                from = end;
            }
        }
    }

    void Links() {
        Gtk::TextIter from = m_buffer->begin();
        Gtk::TextIter start;
        Gtk::TextIter end;
        while (Find(std::string(kLinkPrefix), from, start, end)) {
            Gtk::TextIter addressEnd = end;
            while (!addressEnd.is_end() && !addressEnd.ends_line() && addressEnd.get_char() != ' ') {
                addressEnd.forward_char();
            }
            const Glib::ustring address = m_buffer->get_slice(end, addressEnd, true);
            if (address.empty()) {
                from = end;
                continue;
            }
            Gtk::TextIter at = m_buffer->erase(end, addressEnd);
            const auto anchor = m_buffer->create_child_anchor(at);
            auto* label = Gtk::make_managed<Gtk::Label>();
            label->set_markup("<a href=\"" + Glib::Markup::escape_text(address) + "\">" +
                              Glib::Markup::escape_text(address) + "</a>");
            m_window.View().add_child_at_anchor(*label, anchor);
            label->show();
            from = m_buffer->get_iter_at_child_anchor(anchor);
            from.forward_char();
        }
    }

    CodeWindow& m_window;
    Glib::RefPtr<Gtk::TextBuffer> m_buffer;
    Glib::RefPtr<Gtk::TextTag> m_disable;
    Glib::RefPtr<Gtk::TextTag> m_literal;
    Glib::RefPtr<Gtk::TextTag> m_constant;
    Glib::RefPtr<Gtk::TextTag> m_function;
    Glib::RefPtr<Gtk::TextTag> m_funcCall;
    Glib::RefPtr<Gtk::TextTag> m_keyword;
};

// Tag names per character and the buffer's text, to compare two highlighted buffers.
std::string Fingerprint(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    std::string result = buffer->get_slice(buffer->begin(), buffer->end(), true);
    for (Gtk::TextIter at = buffer->begin(); !at.is_end(); at.forward_char()) {
        result += '|';
        for (const auto& tag : at.get_tags()) {
            result += tag->property_name().get_value();
            result += ',';
        }
    }
    return result;
}

// The text the code view shows for a generated code file of about `lines` lines, read through
// the program's own loading (byte-order mark and option trailer removed); "" on failure.
std::string ViewText(int lines, std::uint64_t seed) {
    const std::string folder = MakeTemporaryFolder("quillmate-bench");
    if (folder.empty()) {
        return "";
    }
    const std::string path = folder + "Generated.kx";
    std::ofstream(path, std::ios::binary) << GenerateCodeFileText(seed, lines);
    CodeFileLoad load = LoadCodeFileText(path);
    RemoveFolder(folder);
    return load.outcome == CodeFileOutcome::Loaded ? load.text : "";
}

// Showing the text as a load does, with and without highlighting: putting it into the emptied
// view, then the redraw in which the view lays out every line.
void ShowLoop(benchmark::State& state, CodeWindow& window, const std::string& text, bool highlighted) {
    for (auto _ : state) {
        state.PauseTiming();
        window.Load("");
        state.ResumeTiming();
        window.Viewer().ShowText(text, highlighted ? kCodeMarks : 0);
        RefreshWidget(window.View());
    }
}

// The text put into the emptied view and highlighted, every link made and every block tagged.
void HighlightLoop(benchmark::State& state, CodeWindow& window, const std::string& text) {
    for (auto _ : state) {
        state.PauseTiming();
        window.Load("");
        state.ResumeTiming();
        window.Show(text);
        window.Viewer().HighlightEverything();
    }
}

void LiteralLoop(benchmark::State& state, CodeWindow& window, const std::string& text) {
    LiteralPasses literal(window);
    // Both must tag the same text the same way, or the comparison means nothing.
    window.Load(text);
    window.Show(text);
    window.Viewer().HighlightEverything();
    const std::string fast = Fingerprint(window.Buffer());
    window.Load(text);
    literal.Run();
    if (Fingerprint(window.Buffer()) != fast) {
        state.SkipWithError("the literal passes tag the text differently");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        window.Load(text);
        state.ResumeTiming();
        literal.Run();
    }
}

// The bundled library's text: with its link lines, or with their prefix changed so that they are
// plain comments.
struct LibraryTexts {
    std::string withLinks;
    std::string withoutLinks;
    std::size_t links = 0;
};

LibraryTexts MakeLibraryTexts() {
    LibraryTexts texts;
    texts.withLinks = RepeatedLibraryText(QUILLMATE_LIBRARY_DIR, kLibraryLines);
    texts.withoutLinks = texts.withLinks;
    std::string plainPrefix(kLinkPrefix);
    plainPrefix.replace(plainPrefix.find("topic"), 5, "Topic");
    for (std::size_t at = 0; (at = texts.withoutLinks.find(kLinkPrefix, at)) != std::string::npos;) {
        texts.withoutLinks.replace(at, kLinkPrefix.size(), plainPrefix);
        ++texts.links;
    }
    return texts;
}

// The view is emptied and settled outside the measured time; measured is what a load costs:
// the text put in, highlighted, and the view settled (drawn, nothing pending).
void SideBySideHighlightLoop(benchmark::State& state, CodeWindow& window, const std::string& text) {
    for (auto _ : state) {
        state.PauseTiming();
        window.Load("");
        DrawWatch::WaitForNextFrame();
        const int mark = window.Draws().Mark();
        state.ResumeTiming();
        window.Show(text);
        window.Draws().Settle(mark);
    }
    CountFirstColouredFrame(state, [&] {
        return FirstColouredFrame(
            window.View(), [&] { window.Load(""); }, [&] { window.Show(text); });
    });
    LeaveEmpty(window);
}

// The find bar's work in a shown 20,000-line library text: every match counted and the first one
// marked and shown, for a term on most lines and for one on a few.
void FindLoop(benchmark::State& state, CodeWindow& window, const std::string& text, const char* term) {
    window.Load("");
    window.Show(text);
    window.Viewer().HighlightEverything();
    ProcessPendingEvents();
    std::size_t matches = 0;
    double longestTurn = 0;  // the longest time the window could not answer
    const auto timed = [&longestTurn](const auto& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        longestTurn = std::max(
            longestTurn,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    };
    for (auto _ : state) {
        timed([&] { window.Viewer().Find(term, false); });
        while (window.Viewer().FoundPosition().counting) {
            timed([] { Gtk::Main::iteration(false); });
        }
        matches += window.Viewer().FoundPosition().count;
        state.PauseTiming();
        window.Viewer().EndFind();
        state.ResumeTiming();
    }
    state.counters["matches"] = static_cast<double>(matches) / static_cast<double>(state.iterations());
    state.counters["longestTurnMs"] = longestTurn;
    LeaveEmpty(window);
}

// The same without highlighting: what putting the text into the view and laying it out costs.
void SideBySidePlainLoop(benchmark::State& state, CodeWindow& window, const std::string& text) {
    for (auto _ : state) {
        state.PauseTiming();
        window.Load("");
        DrawWatch::WaitForNextFrame();
        const int mark = window.Draws().Mark();
        state.ResumeTiming();
        window.Viewer().ShowText(text, 0);
        window.Draws().Settle(mark);
    }
    LeaveEmpty(window);
}

void SideBySideSourceLoop(benchmark::State& state, SourceWindow& window, const std::string& text) {
    if (!window.Highlights(text)) {
        state.SkipWithError("bench/korvex.lang was not found or not understood");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        window.Load("");
        DrawWatch::WaitForNextFrame();
        const int mark = window.Draws().Mark();
        state.ResumeTiming();
        window.SetHighlighted(text);
        window.Draws().Settle(mark);
    }
    // Here the view highlights what it shows as it draws, as it does when used in a program.
    CountFirstColouredFrame(state, [&] {
        return FirstColouredFrame(
            window.View(), [&] { window.Load(""); }, [&] { window.View().get_buffer()->set_text(text); });
    });
    LeaveEmpty(window);
}

// Page by page from the top, each page drawn; the text is highlighted afresh before each
// round, outside the measured time.
template <class Window>
void ScrollPages(benchmark::State& state, Window& window, const std::function<void()>& highlight) {
    for (auto _ : state) {
        state.PauseTiming();
        highlight();
        ProcessPendingEvents();
        const Glib::RefPtr<Gtk::Adjustment> scrolling = window.Scrolling();
        scrolling->set_value(0);
        ProcessPendingEvents();
        state.ResumeTiming();
        for (int page = 1; page <= kScrollPages; ++page) {
            state.PauseTiming();
            DrawWatch::WaitForNextFrame();
            const int mark = window.Draws().Mark();
            state.ResumeTiming();
            scrolling->set_value(scrolling->get_page_size() * page);
            window.Draws().Settle(mark);
        }
    }
    LeaveEmpty(window);
}

// Keywords and names on one line of about `bytes` bytes, or the same tokens with a line break
// in place of every eighth space.
std::string KeywordText(std::size_t bytes, bool oneLine) {
    const std::string tokens = "If x And y Or z EndIf ";
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        text += tokens;
        if (!oneLine && i % 2 == 1) {
            text.back() = '\n';
        }
    }
    return text;
}

// One line of `bytes` bytes of `what` ("tabs", "spaces" or keywords), with a statement behind it.
std::string OneLine(const std::string& what, std::size_t bytes) {
    if (what == "keywords") {
        return KeywordText(bytes, true);
    }
    return std::string(bytes, what == "tabs" ? '\t' : ' ') + "Debug 1\n";
}

// One long line shown in the emptied view under `codeMarks` and settled; with `wrap`, the shown
// line wrapped (F5) and unwrapped again instead, each settled. Counters: the time to the first
// frame drawn after the text went in, the longest time the window did not answer (the gap
// between ticks of a 5 ms timer) and the peak memory that showing added, per byte of the text.
void OneLineLoop(benchmark::State& state, CodeWindow& window, const std::string& text, int codeMarks,
                 bool wrap) {
    using Clock = std::chrono::steady_clock;
    Clock::duration longest{};
    Clock::duration shown{};
    double peakPerByte = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.Load("");
        if (wrap) {
            window.Viewer().ShowText(text, codeMarks);
            ProcessPendingEvents();
        }
        DrawWatch::WaitForNextFrame();
        const PeakMemory peak;
        Clock::time_point last = Clock::now();
        sigc::connection ticks = Glib::signal_timeout().connect(
            [&] {
                longest = std::max(longest, Clock::now() - last);
                last = Clock::now();
                return true;
            },
            5);
        std::optional<Clock::time_point> in;
        std::optional<Clock::time_point> drawn;
        sigc::connection draws = window.View().signal_draw().connect(
            [&](const Cairo::RefPtr<Cairo::Context>&) {
                if (in && !drawn) {
                    drawn = Clock::now();
                }
                return false;
            },
            false);
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        last = start;
        if (wrap) {
            for (int turn = 0; turn < 2; ++turn) {
                const int mark = window.Draws().Mark();
                window.Viewer().ToggleWrap();
                window.Draws().Settle(mark);
            }
        } else {
            const int mark = window.Draws().Mark();
            window.Viewer().ShowText(text, codeMarks);
            in = Clock::now();
            window.Draws().Settle(mark);
        }
        state.PauseTiming();
        longest = std::max(longest, Clock::now() - last);
        shown = drawn ? *drawn - start : Clock::duration{};
        draws.disconnect();
        ticks.disconnect();
        peakPerByte = static_cast<double>(peak.Grown()) / static_cast<double>(text.size());
        state.ResumeTiming();
    }
    state.counters["shownMs"] = benchmark::Counter(std::chrono::duration<double, std::milli>(shown).count());
    state.counters["pauseMs"] =
        benchmark::Counter(std::chrono::duration<double, std::milli>(longest).count());
    state.counters["peakPerByte"] = benchmark::Counter(peakPerByte);
    LeaveEmpty(window);
}

// Console output plus the ratio of the literal passes to Highlight on the 2,000-line file.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const std::string name = run.benchmark_name();
            if (name.starts_with("BM_LiteralPasses2000Lines")) {
                m_literal = run.GetAdjustedRealTime();
            } else if (name.starts_with("BM_Highlight2000Lines")) {
                m_fast = run.GetAdjustedRealTime();
            } else if (name.starts_with("BM_PlainShow20000Lines")) {
                m_plainShow = run.GetAdjustedRealTime();
            } else if (name.starts_with("BM_HighlightedShow20000Lines")) {
                m_highlightedShow = run.GetAdjustedRealTime();
            } else if (name.starts_with("BM_OneLine/")) {
                const std::string what = name.substr(11, name.find('/', 11) - 11);
                m_oneLine[what] = {run.GetAdjustedRealTime(), run.counters.at("shownMs").value,
                                   run.counters.at("pauseMs").value, run.counters.at("peakPerByte").value};
            } else if (name.starts_with("BM_LongLine")) {
                m_longLine[name.find("OneLine") != std::string::npos] = run.GetAdjustedRealTime();
            } else if (name.starts_with("BM_SideBySide")) {
                const std::size_t start = name.find('/') + 1;
                const std::string what = name.substr(start, name.find('/', start) - start);
                m_sideBySide[what] = run.GetAdjustedRealTime();
                if (const auto counter = run.counters.find("firstColouredMs");
                    counter != run.counters.end()) {
                    m_firstColoured[what] = counter->second.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (m_plainShow > 0 && m_highlightedShow > 0) {
            std::cout << "20,000 lines: highlighting adds " << m_highlightedShow - m_plainShow
                      << " ms to showing the file\n";
        }
        if (m_literal > 0 && m_fast > 0) {
            std::cout << "2,000 lines in a text view: the literal passes take " << m_literal / m_fast
                      << " times as long as Highlight\n";
        }
        const auto ratio = [this](const char* what, const std::string& ours, const std::string& theirs,
                                  double target) {
            const double a = m_sideBySide[ours];
            const double b = m_sideBySide[theirs];
            if (a > 0 && b > 0) {
                std::cout << what << ": " << a << " ms against GtkSourceView's " << b << " ms, ratio "
                          << a / b << " (target at most " << target << ")\n";
            }
        };
        ratio("Library text with links, Highlight", "Highlight:Links", "SourceView:Links", 0.7);
        ratio("Library text without links, Highlight", "Highlight:NoLinks", "SourceView:NoLinks", 0.4);
        for (const char* links : {"Links", "NoLinks"}) {
            const double ours = m_firstColoured[std::string("Highlight:") + links];
            const double theirs = m_firstColoured[std::string("SourceView:") + links];
            if (ours > 0 && theirs > 0) {
                std::cout << "First coloured frame, library text " << (links[0] == 'L' ? "with" : "without")
                          << " links: " << ours << " ms against GtkSourceView's " << theirs << " ms, ratio "
                          << ours / theirs << " (target at most 1)\n";
            }
        }
        if (m_longLine[0] > 0 && m_longLine[1] > 0) {
            std::cout << "Tokens on one long line: " << m_longLine[1] << " ms against " << m_longLine[0]
                      << " ms on lines of normal length, ratio " << m_longLine[1] / m_longLine[0]
                      << " (target at most 2)\n";
        }
        ratio("Scrolling 20 pages with links", "Scroll20Pages:Highlight", "Scroll20Pages:SourceView", 1.5);
        for (const auto& [what, figures] : m_oneLine) {
            std::cout << "One line, " << what << ": shown after " << figures.shownMs << " ms, settled after "
                      << figures.ms << " ms, longest pause " << figures.pauseMs << " ms, peak memory "
                      << figures.peakPerByte << " x the text\n";
        }
        const auto compare = [this](const char* what, const std::string& a, const std::string& b,
                                    const char* target) {
            if (m_oneLine.count(a) != 0 && m_oneLine.count(b) != 0) {
                std::cout << what << ": " << m_oneLine[a].ms / m_oneLine[b].ms
                          << " x the time to settle, shown after " << m_oneLine[a].shownMs << " against "
                          << m_oneLine[b].shownMs << " ms, pauses " << m_oneLine[a].pauseMs << " against "
                          << m_oneLine[b].pauseMs << " ms (" << target << ")\n";
            }
        };
        compare("1 MB of tabs against spaces", "Tabs:1MB:Marks2", "Spaces:1MB:Marks2",
                "targets: shown within 1 s, pauses at most 100 ms");
        compare("F5 and back on a 1 MB line, highlighted against plain", "Wrap:1MB:Marks2", "Wrap:1MB:Marks0",
                "target: pauses at most 100 ms longer");
        compare("10 MB against 1 MB on one line", "Keywords:10MB:Marks2", "Keywords:1MB:Marks2",
                "targets: at most 12 x, within 3 s, pauses at most 100 ms, memory under 10 x");
    }

  private:
    double m_literal = 0;
    double m_fast = 0;
    double m_plainShow = 0;
    double m_highlightedShow = 0;
    std::map<std::string, double> m_sideBySide;
    std::map<std::string, double> m_firstColoured;
    struct OneLineFigures {
        double ms = 0;
        double shownMs = 0;
        double pauseMs = 0;
        double peakPerByte = 0;
    };
    std::map<std::string, OneLineFigures> m_oneLine;
    double m_longLine[2] = {0, 0};  // by "on one line"
};

// The reference must know every keyword the program highlights.
bool KeywordsDefined() {
    std::ifstream in(std::string(QUILLMATE_BENCH_SOURCE_DIR) + "/korvex.lang");
    std::stringstream definition;
    definition << in.rdbuf();
    for (const std::string_view keyword : KorvexKeywords()) {
        if (definition.str().find("<keyword>" + std::string(keyword) + "</keyword>") == std::string::npos) {
            std::cerr << "bench/korvex.lang lacks the keyword " << keyword << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) {
        std::cerr << "No display: run under xvfb-run.\n";
        return 1;
    }
    Gtk::Main::init_gtkmm_internals();
    CodeWindow window;
    const std::string long20000 = ViewText(20000, 1);
    const std::string long2000 = ViewText(2000, 2);
    if (long20000.empty() || long2000.empty()) {
        std::cerr << "Cannot write the generated code files.\n";
        return 1;
    }
    SourceWindow source;
    const LibraryTexts library = MakeLibraryTexts();
    if (library.withLinks.empty() || !KeywordsDefined()) {
        return 1;
    }
    std::cout << "Library text: " << kLibraryLines << " lines, " << library.withLinks.size() << " bytes, "
              << library.links << " link lines\n";
    const auto sideBySide = [](const std::string& name, auto&&... arguments) {
        benchmark::RegisterBenchmark(("BM_SideBySide/" + name).c_str(), arguments...)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(5);
    };
    sideBySide("Highlight:Links", SideBySideHighlightLoop, std::ref(window), library.withLinks);
    sideBySide("SourceView:Links", SideBySideSourceLoop, std::ref(source), library.withLinks);
    sideBySide("Highlight:NoLinks", SideBySideHighlightLoop, std::ref(window), library.withoutLinks);
    sideBySide("SourceView:NoLinks", SideBySideSourceLoop, std::ref(source), library.withoutLinks);
    sideBySide("PlainView:NoLinks", SideBySidePlainLoop, std::ref(window), library.withoutLinks);
    sideBySide("Scroll20Pages:Highlight", ScrollPages<CodeWindow>, std::ref(window), [&] {
        window.Load("");
        window.Show(library.withLinks);
    });
    sideBySide("Scroll20Pages:SourceView", ScrollPages<SourceWindow>, std::ref(source), [&] {
        source.Load("");
        source.SetHighlighted(library.withLinks);
    });
    // A file of one 1 MB line, to be shown within a few seconds.
    benchmark::RegisterBenchmark("BM_MegabyteLine", SideBySideHighlightLoop, std::ref(window),
                                 KeywordText(1000000, true))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
    for (const bool oneLine : {false, true}) {
        benchmark::RegisterBenchmark(oneLine ? "BM_LongLine/OneLine" : "BM_LongLine/ManyLines",
                                     SideBySideHighlightLoop, std::ref(window), KeywordText(100000, oneLine))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
    }
    // One long line: tabs against spaces under every marking scheme, wrapping it, and 1 MB against
    // 10 MB; named what:size:marks.
    struct OneLineCase {
        const char* what;
        std::size_t megabytes;
        int codeMarks;
        bool wrap;
    };
    for (const OneLineCase& one :
         {OneLineCase{"spaces", 1, 2, false}, OneLineCase{"tabs", 1, 0, false},
          OneLineCase{"tabs", 1, 1, false}, OneLineCase{"tabs", 1, 2, false}, OneLineCase{"tabs", 1, 2, true},
          OneLineCase{"keywords", 1, 0, true}, OneLineCase{"keywords", 1, 2, true},
          OneLineCase{"keywords", 1, 2, false}, OneLineCase{"keywords", 10, 2, false}}) {
        std::string name = one.wrap ? "Wrap" : std::string(one.what);
        if (!one.wrap) {
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
        } else if (std::string(one.what) == "tabs") {
            name = "WrapTabs";
        }
        name += ":" + std::to_string(one.megabytes) + "MB:Marks" + std::to_string(one.codeMarks);
        benchmark::RegisterBenchmark(("BM_OneLine/" + name).c_str(), OneLineLoop, std::ref(window),
                                     OneLine(one.what, one.megabytes * 1000000), one.codeMarks, one.wrap)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    }
    benchmark::RegisterBenchmark("BM_Highlight20000Lines", HighlightLoop, std::ref(window), long20000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_PlainShow20000Lines", ShowLoop, std::ref(window), long20000, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_HighlightedShow20000Lines", ShowLoop, std::ref(window), long20000, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    for (const char* term : {"gtk", "Link to topic"}) {
        benchmark::RegisterBenchmark(("BM_Find20000Lines/" + std::string(term)).c_str(), FindLoop,
                                     std::ref(window), library.withLinks, term)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(5);
    }
    // A term on every line of a 100 MB text: counted while the window answers.
    benchmark::RegisterBenchmark("BM_Find100MB", FindLoop, std::ref(window), KeywordText(100000000, false),
                                 "If")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("BM_Highlight2000Lines", HighlightLoop, std::ref(window), long2000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LiteralPasses2000Lines", LiteralLoop, std::ref(window), long2000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(2);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
