// Highlighting of a real text view: the whole Highlight (computing the spans, tagging the buffer,
// replacing the links, the closing redraw) on a 20,000-line file, and against the passes done
// literally with text-iterator searches on a 2,000-line file; the ratio is printed at the end.
// Showing the long file with and without highlighting tells what highlighting adds to a load.
// Needs a display; not part of the test run:
//   xvfb-run -a -s "-screen 0 1280x1024x24" ./build/bench/bench_highlightview
#include <benchmark/benchmark.h>
#include <glibmm/markup.h>
#include <gtkmm/label.h>
#include <gtkmm/main.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Effects.h"
#include "bench/LibraryGenerator.h"
#include "resources/KeywordList.h"
#include "viewer/CodeFile.h"
#include "viewer/HighlightView.h"
#include "viewer/Highlighter.h"
#include "viewer/Palette.h"

namespace {

using namespace quillmate;

constexpr int kCodeMarks = 2;

void ProcessPendingEvents() {
    while (Gtk::Main::events_pending()) {
        Gtk::Main::iteration(true);
    }
}

// A window with a scrolled code view set up like the main window's.
class CodeWindow {
  public:
    CodeWindow() {
        ApplyPalette(m_palette, false);
        m_view.set_editable(false);
        m_view.set_cursor_visible(false);
        m_view.set_wrap_mode(Gtk::WRAP_NONE);
        m_view.override_font(Pango::FontDescription("Monospace 10"));
        Pango::TabArray tabs(1, true);
        tabs.set_tab(0, Pango::TAB_LEFT, 16);
        m_view.set_tabs(tabs);
        m_scroller.add(m_view);
        m_window.add(m_scroller);
        m_window.set_default_size(800, 600);
        m_window.show_all();
        Highlight(m_view, m_runs, m_palette, kCodeMarks);  // creates the tags
        ProcessPendingEvents();
    }

    Gtk::TextView& View() { return m_view; }
    Glib::RefPtr<Gtk::TextBuffer> Buffer() { return m_view.get_buffer(); }
    HighlightRuns& Runs() { return m_runs; }
    const Palette& Colours() const { return m_palette; }

    // Puts fresh text into the view and lets it settle, outside the measured time.
    void Load(const std::string& text) {
        Buffer()->set_text(text);
        ProcessPendingEvents();
    }

  private:
    Palette m_palette;
    HighlightRuns m_runs;
    Gtk::Window m_window;
    Gtk::ScrolledWindow m_scroller;
    Gtk::TextView m_view;
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
        window.Buffer()->set_text(text);
        if (highlighted) {
            Highlight(window.View(), window.Runs(), window.Colours(), kCodeMarks);
        } else {
            RefreshWidget(window.View());
        }
    }
}

// Highlight on text that is already shown and laid out: its closing redraw lays out every line
// again.
void HighlightLoop(benchmark::State& state, CodeWindow& window, const std::string& text) {
    for (auto _ : state) {
        state.PauseTiming();
        window.Load(text);
        state.ResumeTiming();
        Highlight(window.View(), window.Runs(), window.Colours(), kCodeMarks);
    }
}

void LiteralLoop(benchmark::State& state, CodeWindow& window, const std::string& text) {
    LiteralPasses literal(window);
    // Both must tag the same text the same way, or the comparison means nothing.
    window.Load(text);
    Highlight(window.View(), window.Runs(), window.Colours(), kCodeMarks);
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
    }

  private:
    double m_literal = 0;
    double m_fast = 0;
    double m_plainShow = 0;
    double m_highlightedShow = 0;
};

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
