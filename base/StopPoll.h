// Long work on a second thread looks at its stop request as it goes: once per megabyte of
// progress, often enough to end within milliseconds, rarely enough to cost nothing.
#pragma once

#include <cstddef>
#include <stop_token>

namespace quillmate {

inline constexpr std::size_t kStopPollBytes = std::size_t{1} << 20;

class StopPoll {
  public:
    explicit StopPoll(const std::stop_token& stop) : m_stop(stop) {}

    // True once a stop was requested; looked at when `position` (bytes or characters done) has
    // moved on by a megabyte since the last look. Stays true.
    bool operator()(std::size_t position) {
        if (!m_stopped && position >= m_next) {
            m_next = position + kStopPollBytes;
            m_stopped = m_stop.stop_requested();
        }
        return m_stopped;
    }

  private:
    const std::stop_token& m_stop;
    std::size_t m_next = 0;
    bool m_stopped = false;
};

}  // namespace quillmate
