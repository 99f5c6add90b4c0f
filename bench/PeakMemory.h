// The peak of this process's resident memory over a stretch of work, read from /proc/self.
#pragma once

#include <cstddef>

namespace quillmate {

class PeakMemory {
  public:
    // Starts the stretch: what earlier work freed is given back, so that it cannot hide what this
    // work takes, and the kernel's peak starts afresh.
    PeakMemory();
    // Bytes by which the peak rose above the resident memory at the start.
    std::size_t Grown() const;

  private:
    std::size_t m_before;
};

}  // namespace quillmate
