#include "database/CodeTextIndex.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "base/StopPoll.h"
#include "viewer/CodeFile.h"

namespace quillmate {
namespace {

// A batch is handed over when its texts fill a megabyte: often enough that the search sees the
// code soon, rarely enough that handing over costs nothing.
constexpr std::size_t kBatchBytes = std::size_t{1} << 20;

// Rows up to `endRow` that are not in the batch yet join it without code.
void AddRowsWithoutCode(CodeTextBatch& batch, int endRow) {
    while (batch.firstRow + static_cast<int>(batch.starts.size()) < endRow) {
        batch.starts.push_back(static_cast<std::uint32_t>(batch.folded.size()));
        batch.folded.push_back('\0');
    }
}

// The files' bytes, read ahead on a thread of their own so that decoding and folding overlap the
// reading; in order, at most a few megabytes ahead. Where no thread can be started, each file is
// read when it is asked for.
class FilesAhead {
  public:
    FilesAhead(const CodeReadingPlan& plan, const std::stop_token& stop) : m_plan(plan) {
        try {
            m_thread = std::jthread([this, stop](const std::stop_token& own) { ReadAll(stop, own); });
        } catch (const std::system_error&) {
            m_inline = true;
        }
    }
    ~FilesAhead() {
        {
            const std::lock_guard lock(m_mutex);
            m_gone = true;
        }
        m_changed.notify_all();
    }
    FilesAhead(const FilesAhead&) = delete;
    FilesAhead& operator=(const FilesAhead&) = delete;

    // The bytes of file `index` of the plan (none for a file that cannot be read); files are
    // asked for in order.
    std::optional<std::string> Take(std::size_t index) {
        if (m_inline) {
            return ReadCodeFileBytes(m_plan.files[index].fullPath, kMaxSearchedCodeBytes);
        }
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_ready.empty() || m_ended; });
        if (m_ready.empty()) {
            return std::nullopt;  // the reader stopped early
        }
        std::optional<std::string> bytes = std::move(m_ready.front());
        m_ready.pop_front();
        m_aheadBytes -= bytes ? bytes->size() : 0;
        lock.unlock();
        m_changed.notify_all();
        return bytes;
    }

  private:
    static constexpr std::size_t kAheadBytes = std::size_t{4} << 20;

    void ReadAll(const std::stop_token& stop, const std::stop_token& own) noexcept {
        try {
            for (const CodeFileToRead& file : m_plan.files) {
                if (stop.stop_requested() || own.stop_requested()) {
                    break;
                }
                std::optional<std::string> bytes = ReadCodeFileBytes(file.fullPath, kMaxSearchedCodeBytes);
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_aheadBytes < kAheadBytes || m_gone; });
                if (m_gone) {
                    break;
                }
                m_aheadBytes += bytes ? bytes->size() : 0;
                m_ready.push_back(std::move(bytes));
                lock.unlock();
                m_changed.notify_all();
            }
        } catch (...) {
            // Out of memory, for one: the files not handed over are read as unreadable.
        }
        const std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }

    const CodeReadingPlan& m_plan;
    bool m_inline = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::optional<std::string>> m_ready;
    std::size_t m_aheadBytes = 0;
    bool m_ended = false;
    bool m_gone = false;
    std::jthread m_thread;  // last: joined before the rest goes
};

}  // namespace

CodeReadingPlan PlanCodeReading(const EntryList& entries, std::string_view libPath) {
    CodeReadingPlan plan;
    plan.rowCount = static_cast<int>(entries.size());
    for (std::size_t row = 0; row < entries.size(); ++row) {
        if (!entries[row].file.empty()) {
            plan.files.push_back({static_cast<int>(row), CodeFileFullPath(libPath, entries[row].file)});
        }
    }
    return plan;
}

bool ReadCodeTexts(const CodeReadingPlan& plan, std::uint64_t reading, const std::stop_token& stop,
                   const CodeTextSink& sink) noexcept {
    try {
        const CaseFolder folder;
        StopPoll stopped(stop);
        std::size_t bytesRead = 0;
        CodeTextBatch batch{reading, 0, {}, {}};
        FilesAhead ahead(plan, stop);
        std::size_t index = 0;
        const auto handOver = [&](int endRow) {
            AddRowsWithoutCode(batch, endRow);
            // The index keeps the batch as it is: a batch closed early gives back its spare room.
            if (batch.folded.capacity() - batch.folded.size() > batch.folded.capacity() / 8) {
                batch.folded.shrink_to_fit();
            }
            batch.starts.shrink_to_fit();
            sink(std::move(batch));
            batch = CodeTextBatch{reading, endRow, {}, {}};
        };
        for (const CodeFileToRead& file : plan.files) {
            // Each file is small, so the stop is looked at here, between files, and not inside.
            const std::optional<std::string> bytes = ahead.Take(index++);
            if (stopped(bytesRead)) {
                return false;
            }
            const int nextRow = batch.firstRow + static_cast<int>(batch.starts.size());
            if (file.row < nextRow || file.row >= plan.rowCount) {
                continue;  // not in row order or outside the rows: not a plan of PlanCodeReading
            }
            const std::string text = bytes ? DecodeCodeText(*bytes).text : std::string();
            bytesRead += bytes ? bytes->size() : 0;
            // A batch is filled into room taken once, not grown: growing would copy it and
            // touch twice the memory. Folding keeps nearly every text at its length.
            const std::size_t needed = static_cast<std::size_t>(file.row - nextRow) + text.size() + 1;
            if (!batch.starts.empty() && batch.folded.size() + needed > batch.folded.capacity()) {
                handOver(file.row);
            }
            batch.folded.reserve(std::max(kBatchBytes, batch.folded.size() + needed));
            AddRowsWithoutCode(batch, file.row);
            batch.starts.push_back(static_cast<std::uint32_t>(batch.folded.size()));
            folder.Append(text, batch.folded);
            batch.folded.push_back('\0');
        }
        if (stop.stop_requested()) {
            return false;
        }
        handOver(plan.rowCount);
        return true;
    } catch (...) {
        // Nothing may leave the worker: the rows handed over so far stay searchable.
        return false;
    }
}

std::uint64_t CodeTextIndex::Start(std::shared_ptr<const CodeReadingPlan> plan) {
    Clear();
    m_plan = std::move(plan);
    return ++m_reading;
}

void CodeTextIndex::Clear() {
    m_batches.clear();
    m_batches.shrink_to_fit();
    m_plan.reset();
    m_rowsRead = 0;
    ++m_reading;
}

bool CodeTextIndex::Append(CodeTextBatch&& batch) {
    if (m_plan == nullptr || batch.reading != m_reading || batch.firstRow != m_rowsRead) {
        return false;
    }
    if (!batch.starts.empty()) {
        m_rowsRead += static_cast<int>(batch.starts.size());
        m_batches.push_back(std::move(batch));
    }
    return true;
}

std::size_t CodeTextIndex::MemoryBytes() const {
    std::size_t bytes = m_batches.capacity() * sizeof(CodeTextBatch);
    for (const CodeTextBatch& batch : m_batches) {
        bytes += batch.folded.capacity() + batch.starts.capacity() * sizeof(std::uint32_t);
    }
    if (m_plan != nullptr) {
        bytes += sizeof(CodeReadingPlan) + m_plan->files.capacity() * sizeof(CodeFileToRead);
        for (const CodeFileToRead& file : m_plan->files) {
            bytes += file.fullPath.capacity();
        }
    }
    return bytes;
}

int CodeTextIndex::FindRow(std::string_view term, int startRow, int endRow) const {
    const int first = std::max(startRow, 0);
    const int end = std::min(endRow, m_rowsRead);
    const std::optional<std::string> needle = first < end ? SearchNeedle(term) : std::nullopt;
    if (!needle) {
        return -1;
    }
    const auto startsAfter = [](int row, const CodeTextBatch& batch) { return row < batch.firstRow; };
    auto batch = std::upper_bound(m_batches.begin(), m_batches.end(), first, startsAfter) - 1;
    for (; batch != m_batches.end() && batch->firstRow < end; ++batch) {
        const auto startOf = [&](int row) {
            return batch->starts[static_cast<std::size_t>(row - batch->firstRow)];
        };
        const int batchEnd = batch->firstRow + static_cast<int>(batch->starts.size());
        const std::size_t from = first > batch->firstRow ? startOf(first) : 0;
        const std::size_t to = end < batchEnd ? startOf(end) : batch->folded.size();
        const void* found = ::memmem(batch->folded.data() + from, to - from, needle->data(), needle->size());
        if (found != nullptr) {
            const auto offset =
                static_cast<std::size_t>(static_cast<const char*>(found) - batch->folded.data());
            const auto next = std::upper_bound(batch->starts.begin(), batch->starts.end(), offset);
            return batch->firstRow + static_cast<int>(next - batch->starts.begin()) - 1;
        }
    }
    return -1;
}

SearchHit FindRowWithCode(const SearchHaystacks& haystacks, const CodeTextIndex& code, std::string_view term,
                          int startRow) {
    const int inHaystack = haystacks.FindRow(term, startRow);
    // Code beyond the haystack's row cannot come first.
    const int inCode =
        code.FindRow(term, startRow, inHaystack < 0 ? std::numeric_limits<int>::max() : inHaystack);
    return inCode >= 0 ? SearchHit{inCode, true} : SearchHit{inHaystack, false};
}

}  // namespace quillmate
