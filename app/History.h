// The history list: the last ten shown database entries, newest first, none twice.
#pragma once

#include <vector>

namespace quillmate {

class History {
  public:
    static constexpr int kMaxEntries = 10;

    // Moves the entry to the front, dropping the oldest when the list is full.
    void Add(int entryIndex);
    void Clear() { m_entries.clear(); }
    const std::vector<int>& Entries() const { return m_entries; }

  private:
    std::vector<int> m_entries;
};

}  // namespace quillmate
