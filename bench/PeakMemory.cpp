#include "bench/PeakMemory.h"

#include <malloc.h>

#include <fstream>
#include <string>

namespace quillmate {
namespace {

// A memory field of /proc/self/status ("VmRSS", "VmHWM") in bytes.
std::size_t StatusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":")) {
            return std::stoul(line.substr(field.size() + 1)) * 1024;
        }
    }
    return 0;
}

}  // namespace

PeakMemory::PeakMemory() {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    m_before = StatusBytes("VmRSS");
}

std::size_t PeakMemory::Grown() const {
    return StatusBytes("VmHWM") - m_before;
}

}  // namespace quillmate
