// The search per keystroke on a 20,000-entry library in the widest search mode, with a term
// that only the last row holds (the whole cache is scanned). Target: at most 5 ms.
// With the code too (about 3 KB per entry): a keystroke at most 10 ms and 1.5 times a plain
// memmem over the same bytes; reading the code at most 1.5 times reading its files alone; the
// index at most 1.5 bytes per byte of code.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/FileDescriptor.h"
#include "bench/LibraryGenerator.h"
#include "bench/PeakMemory.h"
#include "database/CodeTextIndex.h"
#include "database/Database.h"
#include "database/IndexRows.h"
#include "database/Search.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

// The unique tail given to the last entry's French description; it starts like thousands of
// titles, so the scan meets many partial matches.
constexpr const char* kLastRowWords = "gtk_widget_searched_at_the_end";
constexpr const char* kTerm = "GTK_WIDGET_SEARCHED_AT_THE_END";

struct Library {
    std::shared_ptr<XmlDocument> document;  // the entries view its texts
    std::vector<std::string> rows;
    EntryList entries;
};

Library MakeLibrary(const LibraryOptions& options) {
    Library library;
    library.document = std::make_shared<XmlDocument>(ParseXmlText(GenerateDatabaseText(options)).document);
    const XmlDocument& document = *library.document;
    Palette palette;
    ApplyPalette(palette, false);
    std::string lastGroupTitle;
    int helpEntryIndex = 0;
    std::string dbVersion;
    IndexTreeState state{library.entries, lastGroupTitle, helpEntryIndex, dbVersion};
    IndexRows sink;
    FillIndexTree(document, document.Head(), 0, IndexTreeSettings{0, true, palette}, state, sink);
    for (const auto& row : sink.Rows()) {
        library.rows.push_back(row.text);
    }
    if (!library.entries.empty()) {
        DbEntry last = library.entries.back();
        const std::string words = std::string(last.descriptFr) + " " + kLastRowWords;
        last.descriptFr = words;
        library.entries.Set(library.entries.size() - 1, last);
    }
    return library;
}

// One keystroke: the cache check and the scan from row 0.
void BM_SearchKeystroke(benchmark::State& state, const Library& library, int searchMode) {
    const SearchScope scope{1, searchMode, 0};
    SearchHaystacks haystacks;
    haystacks.Build(scope, library.rows, library.entries);
    const int lastRow = static_cast<int>(library.rows.size()) - 1;
    const int expected = scope.searchMode == 2 ? lastRow : -1;
    if (haystacks.FindRow(kTerm, 0) != expected) {
        state.SkipWithError("the term is not found in the last row only");
        return;
    }
    for (auto _ : state) {
        if (!haystacks.IsBuiltFor(scope)) {
            haystacks.Build(scope, library.rows, library.entries);
        }
        benchmark::DoNotOptimize(haystacks.FindRow(kTerm, 0));
    }
    state.counters["rows"] = static_cast<double>(library.rows.size());
}

// Paid once after every rebuild of the tree or change of mode or language.
void BM_BuildHaystacks(benchmark::State& state, const Library& library, int searchMode) {
    SearchHaystacks haystacks;
    for (auto _ : state) {
        haystacks.Build({1, searchMode, 0}, library.rows, library.entries);
        benchmark::DoNotOptimize(haystacks.RowCount());
    }
}

// The literal rule for comparison: build and fold each row's haystack on every keystroke.
void BM_LiteralSearch(benchmark::State& state, const Library& library) {
    for (auto _ : state) {
        int found = -1;
        for (size_t row = 0; row < library.rows.size(); ++row) {
            if (ContainsIgnoringCase(SearchHaystack(library.rows[row], library.entries[row], 2, 0), kTerm)) {
                found = static_cast<int>(row);
                break;
            }
        }
        benchmark::DoNotOptimize(found);
    }
}

// The code of the library: only the last entry's code holds kCodeTerm, and no title does.
constexpr const char* kCodeWords = "gtk_code_searched_at_the_end";
constexpr const char* kCodeTerm = "GTK_CODE_SEARCHED_AT_THE_END";
constexpr const char* kAbsentTerm = "GTK_NOWHERE_AT_ALL";

using Clock = std::chrono::steady_clock;
double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The machine's cores are shared: the thread's processor time shows what a keystroke costs when
// no other program competes.
double ThreadCpuMilliseconds() {
    timespec time{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

struct CodeLibrary {
    std::string folder;
    std::shared_ptr<const CodeReadingPlan> plan;
    std::size_t codeBytes = 0;  // the files' sizes
};

void ReadAll(CodeTextIndex& index, const std::shared_ptr<const CodeReadingPlan>& plan) {
    const std::uint64_t reading = index.Start(plan);
    ReadCodeTexts(*plan, reading, {}, [&](CodeTextBatch&& batch) { index.Append(std::move(batch)); });
}

// The reference: each file opened and read into a string, nothing else.
std::size_t ReadFilesAlone(const CodeReadingPlan& plan) {
    std::size_t total = 0;
    for (const CodeFileToRead& file : plan.files) {
        const FileDescriptor fd(::open(file.fullPath.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0) {
            continue;
        }
        std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
        const ssize_t count = ::read(fd.Get(), bytes.data(), bytes.size());
        total += count > 0 ? static_cast<std::size_t>(count) : 0;
        benchmark::DoNotOptimize(bytes.data());
    }
    return total;
}

// One keystroke in the scope "the code too", timed beside one memmem over the same bytes (the
// folded haystacks and code, one after the other) in every iteration.
void BM_CodeKeystroke(benchmark::State& state, const Library& library, const CodeLibrary& code,
                      const char* term, int expected) {
    SearchHaystacks haystacks;
    haystacks.Build({1, 3, 0}, library.rows, library.entries);
    CodeTextIndex index;
    ReadAll(index, code.plan);
    if (FindRowWithCode(haystacks, index, term, 0) != SearchHit{expected, expected >= 0}) {
        state.SkipWithError("the term is not found in the last row's code only");
        return;
    }
    std::string same;
    const CaseFolder folder;
    for (std::size_t row = 0; row < library.rows.size(); ++row) {
        folder.Append(SearchHaystack(library.rows[row], library.entries[row], 3, 0), same);
        same.push_back('\0');
    }
    ReadCodeTexts(*code.plan, 0, {}, [&](CodeTextBatch&& batch) { same += batch.folded; });
    const std::string needle = *SearchNeedle(term);
    Clock::duration ours{};
    Clock::duration plain{};
    double oursCpu = 0;
    for (auto _ : state) {
        const double cpu = ThreadCpuMilliseconds();
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(FindRowWithCode(haystacks, index, term, 0));
        const Clock::time_point middle = Clock::now();
        oursCpu += ThreadCpuMilliseconds() - cpu;
        benchmark::DoNotOptimize(::memmem(same.data(), same.size(), needle.data(), needle.size()));
        plain += Clock::now() - middle;
        ours += middle - start;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["oursMs"] = Milliseconds(ours) / iterations;
    state.counters["oursCpuMs"] = oursCpu / iterations;
    state.counters["memmemMs"] = Milliseconds(plain) / iterations;
    state.counters["vsMemmem"] = Milliseconds(ours) / Milliseconds(plain);
    state.counters["MB"] = static_cast<double>(same.size()) / 1e6;
}

// Reading the code into the index, timed beside reading the same files alone in every
// iteration; the index's memory and the reading's peak per byte of code.
void BM_ReadCode(benchmark::State& state, const CodeLibrary& code) {
    Clock::duration ours{};
    Clock::duration alone{};
    double memory = 0;
    double peak = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(ReadFilesAlone(*code.plan));
        const Clock::time_point middle = Clock::now();
        CodeTextIndex index;
        const PeakMemory peakMemory;
        const Clock::time_point reading = Clock::now();
        ReadAll(index, code.plan);
        ours += Clock::now() - reading;
        alone += middle - start;
        memory = static_cast<double>(index.MemoryBytes());
        peak = static_cast<double>(peakMemory.Grown());
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["oursMs"] = Milliseconds(ours) / iterations;
    state.counters["aloneMs"] = Milliseconds(alone) / iterations;
    state.counters["vsAlone"] = Milliseconds(ours) / Milliseconds(alone);
    state.counters["memoryPerByte"] = memory / static_cast<double>(code.codeBytes);
    state.counters["peakPerByte"] = peak / static_cast<double>(code.codeBytes);
    state.counters["codeMB"] = static_cast<double>(code.codeBytes) / 1e6;
}

// Writes the library with about 3 KB of code per entry; kCodeWords goes into the last file.
CodeLibrary WriteCodeLibrary(const LibraryOptions& options, const EntryList& entries) {
    CodeLibrary code;
    code.folder = MakeTemporaryFolder("quillmate-bench-search");
    GeneratedLibrary written;
    if (code.folder.empty() || !WriteLibrary(code.folder, options, written) || written.codeFiles.empty()) {
        return code;
    }
    const std::string last = written.folder + written.codeFiles.back().substr(1);
    std::stringstream text;
    text << "; " << kCodeWords << "\n" << std::ifstream(last, std::ios::binary).rdbuf();
    std::ofstream(last, std::ios::binary) << text.str();
    code.plan = std::make_shared<const CodeReadingPlan>(PlanCodeReading(entries, written.folder));
    for (const CodeFileToRead& file : code.plan->files) {
        std::error_code error;
        code.codeBytes += static_cast<std::size_t>(std::filesystem::file_size(file.fullPath, error));
    }
    return code;
}

}  // namespace
}  // namespace quillmate

int main(int argc, char** argv) {
    using namespace quillmate;
    // The program folds characters with the locale it takes from the environment.
    std::setlocale(LC_ALL, "");
    if (std::string(std::setlocale(LC_CTYPE, nullptr)) == "C") {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    benchmark::Initialize(&argc, argv);
    LibraryOptions options;
    options.entryCount = 20000;
    options.writeCodeFiles = true;
    options.minCodeLines = 60;
    options.maxCodeLines = 160;
    const Library library = MakeLibrary(options);
    const CodeLibrary code = WriteCodeLibrary(options, library.entries);
    if (code.plan == nullptr) {
        std::fprintf(stderr, "cannot write the benchmark library\n");
        return 1;
    }
    benchmark::RegisterBenchmark("SearchKeystroke/mode2", BM_SearchKeystroke, library, 2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SearchKeystroke/mode0", BM_SearchKeystroke, library, 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BuildHaystacks/mode2", BM_BuildHaystacks, library, 2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LiteralSearch/mode2", BM_LiteralSearch, library)
        ->Unit(benchmark::kMillisecond);
    const int lastRow = static_cast<int>(library.rows.size()) - 1;
    benchmark::RegisterBenchmark("CodeKeystroke/foundAtTheEnd", BM_CodeKeystroke, library, code, kCodeTerm,
                                 lastRow)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CodeKeystroke/absent", BM_CodeKeystroke, library, code, kAbsentTerm, -1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReadCode", BM_ReadCode, code)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveFolder(code.folder);
    return 0;
}
