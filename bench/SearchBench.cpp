// The search per keystroke on a 20,000-entry library in the widest search mode, with a term
// that only the last row holds (the whole cache is scanned). Target: at most 5 ms.
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/LibraryGenerator.h"
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

Library MakeLibrary(int entryCount) {
    LibraryOptions options;
    options.entryCount = entryCount;
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
    const Library library = MakeLibrary(20000);
    benchmark::RegisterBenchmark("SearchKeystroke/mode2", BM_SearchKeystroke, library, 2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SearchKeystroke/mode0", BM_SearchKeystroke, library, 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BuildHaystacks/mode2", BM_BuildHaystacks, library, 2)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LiteralSearch/mode2", BM_LiteralSearch, library)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
