// Loading a 20,000-entry database: the bare expat parse of the file against our load and
// EntryList fill. The load and fill should cost at most twice the bare parse.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "bench/LibraryGenerator.h"
#include "database/Database.h"

namespace quillmate {
namespace {

class NoRowSink : public IndexRowSink {
  public:
    void AppendRow(std::string_view text, int depth) override {
        benchmark::DoNotOptimize(text.data());
        benchmark::DoNotOptimize(depth);
    }
    void SetRowBackground(int, const std::string&) override {}
    void SetRowForeground(int, const std::string&) override {}
    void SetRowIcon(int, RowIcon) override {}
};

struct ParserFree {
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};

void XMLCALL IgnoreStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL IgnoreEnd(void*, const XML_Char*) {}
void XMLCALL IgnoreCharacters(void*, const XML_Char*, int) {}

// The same reading as the loader (pieces of 256 KiB, growing with a token that stays open, into
// expat's buffer) with handlers that do nothing.
bool BareParse(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    XML_SetElementHandler(parser.get(), IgnoreStart, IgnoreEnd);
    XML_SetCharacterDataHandler(parser.get(), IgnoreCharacters);
    bool ok = true;
    std::size_t total = 0;
    for (;;) {
        const std::size_t chunk = XmlReadPiece(total, XML_GetCurrentByteIndex(parser.get()));
        void* buffer = XML_GetBuffer(parser.get(), static_cast<int>(chunk));
        const ssize_t count = buffer != nullptr ? read(fd, buffer, chunk) : -1;
        total += count > 0 ? static_cast<std::size_t>(count) : 0;
        if (count < 0 ||
            XML_ParseBuffer(parser.get(), static_cast<int>(count), count == 0) != XML_STATUS_OK) {
            ok = false;
            break;
        }
        if (count == 0) {
            break;
        }
    }
    close(fd);
    return ok;
}

struct Records {
    EntryList entries;
    std::string lastGroupTitle;
    int helpEntryIndex = 0;
    std::string dbVersion;
};

void Fill(const XmlDocument& document, const Palette& palette, Records& records) {
    records.entries.clear();
    NoRowSink sink;
    IndexTreeState state{records.entries, records.lastGroupTitle, records.helpEntryIndex, records.dbVersion};
    FillIndexTree(document, document.Head(), 0, IndexTreeSettings{1, true, palette}, state, sink);
}

void BM_BareExpatParse(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        if (!BareParse(path)) {
            state.SkipWithError("parse failed");
            break;
        }
    }
}

void BM_LoadAndFill(benchmark::State& state, const std::string& path) {
    Palette palette;
    ApplyPalette(palette, false);
    Records records;
    for (auto _ : state) {
        const DatabaseLoadResult loaded = LoadDatabaseFile(path);
        if (loaded.status != DatabaseReadStatus::Loaded) {
            state.SkipWithError("load failed");
            break;
        }
        Fill(loaded.document, palette, records);
        benchmark::DoNotOptimize(records.entries.size());
    }
    state.counters["entries"] = static_cast<double>(records.entries.size());
}

void BM_RebuildFromMemory(benchmark::State& state, const std::string& path) {
    Palette palette;
    ApplyPalette(palette, false);
    const DatabaseLoadResult loaded = LoadDatabaseFile(path);
    Records records;
    for (auto _ : state) {
        Fill(loaded.document, palette, records);
        benchmark::DoNotOptimize(records.entries.size());
    }
}

// Prints the usual table and remembers the mean time of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With repetitions the mean (reported after the single runs) is the figure kept.
            const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
            if ((run.run_type == Run::RT_Iteration || mean) && !run.error_occurred) {
                realTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> realTimes;
    std::map<std::string, double> cpuTimes;
};

}  // namespace
}  // namespace quillmate

int main(int argc, char** argv) {
    using namespace quillmate;
    benchmark::Initialize(&argc, argv);
    const std::string folder = MakeTemporaryFolder("quillmate-bench-db");
    GeneratedLibrary library;
    LibraryOptions options;
    options.entryCount = 20000;
    options.themeCount = 200;
    if (folder.empty() || !WriteLibrary(folder, options, library)) {
        std::fprintf(stderr, "cannot write the benchmark library\n");
        return 1;
    }
    const std::string path = library.dbFullPath;
    benchmark::RegisterBenchmark("BareExpatParse", BM_BareExpatParse, path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LoadAndFill", BM_LoadAndFill, path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RebuildFromMemory", BM_RebuildFromMemory, path)
        ->Unit(benchmark::kMillisecond);
    // One title as long as the whole library: its load should cost about as much per byte.
    const std::string hugeTitlePath = folder + "/HugeTitle.xml";
    std::ofstream(hugeTitlePath, std::ios::binary)
        << "<Library title=\"" << std::string(std::filesystem::file_size(path), 'T')
        << "\"><Theme title=\"A\"><Entry File=\"/A/a.kx\" theme_de=\"a\"/></Theme></Library>\n";
    benchmark::RegisterBenchmark("LoadAndFillHugeTitle", BM_LoadAndFill, hugeTitlePath)
        ->Unit(benchmark::kMillisecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const char* bare = "BareExpatParse";
    const char* load = "LoadAndFill";
    if (reporter.realTimes.contains(bare) && reporter.realTimes.contains(load)) {
        std::printf("%d entries, %zu bytes\n", options.entryCount, std::filesystem::file_size(path));
        std::printf("real: bare parse %.2f ms, load + fill %.2f ms, ratio %.2f (target <= 2.00)\n",
                    reporter.realTimes[bare], reporter.realTimes[load],
                    reporter.realTimes[load] / reporter.realTimes[bare]);
        std::printf("cpu:  bare parse %.2f ms, load + fill %.2f ms, ratio %.2f\n", reporter.cpuTimes[bare],
                    reporter.cpuTimes[load], reporter.cpuTimes[load] / reporter.cpuTimes[bare]);
    }
    const char* huge = "LoadAndFillHugeTitle";
    if (reporter.realTimes.contains(load) && reporter.realTimes.contains(huge)) {
        std::printf("one title of the same size: load + fill %.2f ms, ratio %.2f to the library\n",
                    reporter.realTimes[huge], reporter.realTimes[huge] / reporter.realTimes[load]);
    }
    RemoveFolder(folder);
    return 0;
}
