// Reads the entries' code for the search on a second thread and hands the batches back to the
// window's thread through the event queue.
#pragma once

#include <glibmm/dispatcher.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/EventQueue.h"
#include "database/CodeTextIndex.h"

namespace quillmate {

class CodeTextReader {
  public:
    // Arrived batches are announced by Command::CodeTextsRead in `queue`.
    explicit CodeTextReader(EventQueue& queue);
    ~CodeTextReader();
    CodeTextReader(const CodeTextReader&) = delete;
    CodeTextReader& operator=(const CodeTextReader&) = delete;

    // Reads the files of `plan` as reading number `reading`, after stopping a reading under way.
    // Where no second thread can be started, the reading runs here and now.
    void Start(std::shared_ptr<const CodeReadingPlan> plan, std::uint64_t reading);
    // The batches arrived since the last call, in their order.
    std::vector<CodeTextBatch> TakeBatches();

  private:
    void Receive(CodeTextBatch&& batch);

    EventQueue& m_queue;
    std::mutex m_mutex;
    std::vector<CodeTextBatch> m_arrived;
    Glib::Dispatcher m_announce;
    std::jthread m_thread;  // last: stopped and joined before the rest goes
};

}  // namespace quillmate
