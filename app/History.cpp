#include "app/History.h"

#include <algorithm>

namespace quillmate {

void History::Add(int entryIndex) {
    std::erase(m_entries, entryIndex);
    if (static_cast<int>(m_entries.size()) >= kMaxEntries) {
        m_entries.pop_back();
    }
    m_entries.insert(m_entries.begin(), entryIndex);
}

}  // namespace quillmate
