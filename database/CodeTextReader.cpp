#include "database/CodeTextReader.h"

#include <system_error>
#include <utility>

namespace quillmate {

CodeTextReader::CodeTextReader(EventQueue& queue) : m_queue(queue) {
    m_announce.connect([this] { m_queue.Post(CommandEvent(WindowId::Main, Command::CodeTextsRead)); });
}

CodeTextReader::~CodeTextReader() {
    m_thread = std::jthread();
}

void CodeTextReader::Start(std::shared_ptr<const CodeReadingPlan> plan, std::uint64_t reading) {
    m_thread = std::jthread();  // stops the reading under way and waits for it
    {
        const std::lock_guard lock(m_mutex);
        m_arrived.clear();
    }
    const auto read = [this, plan = std::move(plan), reading](const std::stop_token& stop) {
        ReadCodeTexts(*plan, reading, stop, [this](CodeTextBatch&& batch) { Receive(std::move(batch)); });
    };
    try {
        m_thread = std::jthread(read);
    } catch (const std::system_error&) {
        read(std::stop_token());
    }
}

void CodeTextReader::Receive(CodeTextBatch&& batch) {
    {
        const std::lock_guard lock(m_mutex);
        m_arrived.push_back(std::move(batch));
    }
    m_announce.emit();
}

std::vector<CodeTextBatch> CodeTextReader::TakeBatches() {
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_arrived, {});
}

}  // namespace quillmate
