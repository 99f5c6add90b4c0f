// The code of the entries for the search scope "the code too": the files are read, decoded as the
// code view decodes them and folded on a worker, batch by batch, into an index that the search
// scans beside the haystacks. Rows whose batch has not arrived are searched without their code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"
#include "database/Search.h"

namespace quillmate {

// Code files above this size are searched without their code: the library holds small examples,
// and one such file would cost the reading time and memory of hundreds of them.
inline constexpr std::size_t kMaxSearchedCodeBytes = std::size_t{1} << 20;

struct CodeFileToRead {
    int row = 0;
    std::string fullPath;
    bool operator==(const CodeFileToRead&) const = default;
};

// What one reading covers. It owns its paths, so that the worker never looks at an EntryList
// that a reload may replace meanwhile.
struct CodeReadingPlan {
    int rowCount = 0;
    std::vector<CodeFileToRead> files;  // in increasing row order
    bool operator==(const CodeReadingPlan&) const = default;
};

// One file per entry that names one, at the path the code view loads it from
// (CodeFileFullPath of `libPath` and the entry's "File").
CodeReadingPlan PlanCodeReading(const EntryList& entries, std::string_view libPath);

// The folded code of consecutive rows, from `firstRow` on: row firstRow + i begins at starts[i] of
// `folded` and ends with a NUL; a row without code has only the NUL.
struct CodeTextBatch {
    std::uint64_t reading = 0;  // the number CodeTextIndex::Start gave the reading
    int firstRow = 0;
    std::vector<std::uint32_t> starts;
    std::string folded;
};

using CodeTextSink = std::function<void(CodeTextBatch&&)>;

// The worker's part: reads every file of `plan` (ReadCodeFileBytes up to kMaxSearchedCodeBytes),
// decodes it with DecodeCodeText, which leaves the option trailer out, folds it with CaseFolder and
// hands the texts to `sink` in batches of about a megabyte, in row order, the last one ending at
// plan.rowCount. A missing, unreadable or too large file leaves its row without code. Looks at
// `stop` once per megabyte read. Never throws; returns false when it was stopped or could not go
// on (out of memory, a throwing sink), true when every row was handed over.
bool ReadCodeTexts(const CodeReadingPlan& plan, std::uint64_t reading, const std::stop_token& stop,
                   const CodeTextSink& sink) noexcept;

// The folded code of the rows read so far, as the batches of one reading arrived.
class CodeTextIndex {
  public:
    // Empties the index for a reading of `plan` and returns the number that reading's batches
    // must carry; batches of earlier readings are refused from now on.
    std::uint64_t Start(std::shared_ptr<const CodeReadingPlan> plan);
    // True when the index holds, or is reading, the code of exactly these files: a tree rebuilt
    // from the same files (another index language) keeps its code.
    bool IsFor(const CodeReadingPlan& plan) const { return m_plan != nullptr && *m_plan == plan; }
    // Takes the next batch of the current reading. Refuses (false) a batch of another reading or
    // one that does not begin where the rows read so far end.
    bool Append(CodeTextBatch&& batch);
    void Clear();

    // Rows below this have their code in the index (or have none); the rest are not read yet.
    int RowsRead() const { return m_rowsRead; }
    // True when every row of the plan was read.
    bool Complete() const { return m_plan != nullptr && m_rowsRead >= m_plan->rowCount; }
    // Bytes the index holds on the heap, for the memory budget.
    std::size_t MemoryBytes() const;

    // The first row in [startRow, endRow) (startRow 0 when negative) whose code contains `term`,
    // folded as SearchHaystacks::FindRow folds; -1 when there is none or the term is empty.
    int FindRow(std::string_view term, int startRow, int endRow) const;

  private:
    std::vector<CodeTextBatch> m_batches;
    std::shared_ptr<const CodeReadingPlan> m_plan;
    std::uint64_t m_reading = 0;
    int m_rowsRead = 0;
};

struct SearchHit {
    int row = -1;             // -1: not found
    bool onlyInCode = false;  // the row's haystack lacks the term and its code holds it
    bool operator==(const SearchHit&) const = default;
};

// The search of "the code too": the first row from `startRow` on whose haystack or code contains
// `term` (each on its own: a match never runs from one into the other). A row found in both
// counts as found in its haystack.
SearchHit FindRowWithCode(const SearchHaystacks& haystacks, const CodeTextIndex& code, std::string_view term,
                          int startRow);

}  // namespace quillmate
