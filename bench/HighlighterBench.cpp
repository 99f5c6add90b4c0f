// Highlighting speed on a long generated Korvex file, and the literal passes against the fast ones.
#include <benchmark/benchmark.h>

#include <iostream>
#include <random>
#include <string>

#include "tests/core/HighlighterReference.h"
#include "viewer/Highlighter.h"

namespace {

using quillmate::ComputeHighlight;

// Korvex code shaped like the library's examples: header comments with a link, an import block,
// enumerations of constants, procedures with control flow, strings and calls, and a main part.
std::string KorvexFile(std::size_t lineCount, unsigned seed) {
    std::mt19937 random(seed);
    const auto below = [&](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    std::vector<std::string> lines = {
        "; Example: window with buttons, labels and entries",
        "; Link to topic:   https://docs.gtk.org/gtk3/class.Window.html",
        ";",
        "EnableExplicit",
        "",
        "ImportC \"-lgtk-3\"",
        "  gtk_window_new(type)",
        "  gtk_window_set_title(window, title.s)",
        "  gtk_container_add(container, widget)",
        "  gtk_widget_show_all(widget)",
        "EndImport",
        "",
    };
    std::vector<std::string> procedures;
    std::size_t block = 0;
    while (lines.size() < lineCount) {
        const std::string id = std::to_string(block++);
        switch (below(4)) {
            case 0:
                lines.push_back("Enumeration Gadgets" + id);
                for (int i = 0; i < 6; ++i) {
                    lines.push_back("  #Gadget_" + id + "_" + std::to_string(i) + "  ; gadget number " +
                                    std::to_string(i));
                }
                lines.push_back("EndEnumeration");
                lines.push_back("");
                break;
            case 1: {
                const std::string name = "Handler_" + id;
                lines.push_back("ProcedureC " + name + "(*widget, user_data)");
                lines.push_back("  Protected text.s = \"Clicked: \" + Str(user_data)");
                lines.push_back("  Debug text  ; show it");
                if (!procedures.empty()) {
                    lines.push_back("  " + procedures[below(procedures.size())] + "(*widget, #True)");
                }
                lines.push_back("EndProcedure");
                lines.push_back("");
                procedures.push_back(name);
                break;
            }
            default: {
                const std::string name = "Build_" + id;
                lines.push_back("Procedure.i " + name + "(parent, count = 10)");
                lines.push_back("  Protected i, result, label.s");
                lines.push_back("  For i = 1 To count");
                lines.push_back("    If i % 2 = 0 And count > 4");
                lines.push_back("      label = \"Row \" + Str(i) + \" of \" + Str(count) + \"; even\"");
                lines.push_back("      result = gtk_label_new(label)");
                lines.push_back("    ElseIf i = 1");
                lines.push_back("      result = gtk_button_new_with_label(\"First #\" + Str(i))");
                lines.push_back("    Else");
                lines.push_back("      result = gtk_entry_new()  ; plain entry");
                lines.push_back("    EndIf");
                if (!procedures.empty()) {
                    lines.push_back("    " + procedures[below(procedures.size())] + "(result, i)");
                }
                lines.push_back("    gtk_container_add(parent, result)");
                lines.push_back("  Next");
                lines.push_back("  ProcedureReturn result");
                lines.push_back("EndProcedure");
                lines.push_back("");
                procedures.push_back(name);
                break;
            }
        }
    }
    lines.resize(lineCount);
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += '\n';
        }
        text += lines[i];
    }
    return text;
}

void BM_Core20000Lines(benchmark::State& state) {
    const std::string text = KorvexFile(20000, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeHighlight(text, 2));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Core20000Lines)->Unit(benchmark::kMillisecond);

void BM_Core2000Lines(benchmark::State& state) {
    const std::string text = KorvexFile(2000, 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeHighlight(text, 2));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Core2000Lines)->Unit(benchmark::kMillisecond);

void BM_Reference2000Lines(benchmark::State& state) {
    const std::string text = KorvexFile(2000, 2);
    const std::u32string characters = quillmate::reference::DecodeUtf8(text).value();
    for (auto _ : state) {
        benchmark::DoNotOptimize(quillmate::reference::HighlightLiterally(characters, 2));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Reference2000Lines)->Unit(benchmark::kMillisecond);

// Console output plus the ratio of the literal passes to the fast ones on the 2,000-line file.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const std::string name = run.benchmark_name();
            if (name.starts_with("BM_Reference2000Lines")) {
                m_reference = run.GetAdjustedRealTime();
            } else if (name.starts_with("BM_Core2000Lines")) {
                m_core = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (m_reference > 0 && m_core > 0) {
            std::cout << "2,000 lines: literal passes take " << m_reference / m_core << " times as long\n";
        }
    }

  private:
    double m_reference = 0;
    double m_core = 0;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
