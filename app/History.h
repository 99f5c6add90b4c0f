// The history list (the last ten shown database entries, newest first, none twice) and the
// favourites, with the text of the state file that keeps both across a restart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"

namespace quillmate {

class History {
  public:
    static constexpr int kMaxEntries = 10;
    // Beyond this many the oldest favourite goes: the list stays one a user can look through.
    static constexpr int kMaxFavourites = 500;

    // Moves the entry to the front, dropping the oldest when the list is full.
    void Add(int entryIndex);
    void Clear();
    const std::vector<int>& Entries() const { return m_entries; }
    const std::vector<int>& Favourites() const { return m_favourites; }
    bool IsFavourite(int entryIndex) const;
    // Adds the entry to the favourites (at the end) or takes it out.
    void ToggleFavourite(int entryIndex);

    // The rows of the history box: the favourites, a separator (-1) where both lists have rows,
    // then the last entries.
    std::vector<int> ListedRows() const;

    // Both lists by the entries' files in the database, as the state file holds them.
    std::string StateText(const EntryList& entries) const;
    // Takes both lists from a state text, each file as the first entry that names it; files the
    // database no longer holds, and lines that are no file, are left out without a word.
    void TakeState(std::string_view text, const EntryList& entries);

  private:
    std::vector<int> m_entries;
    std::vector<int> m_favourites;
};

}  // namespace quillmate
