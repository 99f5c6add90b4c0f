#include "app/History.h"

#include <algorithm>
#include <unordered_map>

namespace quillmate {
namespace {

constexpr std::string_view kFavouritesSection = "[Favourites]";
constexpr std::string_view kHistorySection = "[History]";

}  // namespace

void History::Add(int entryIndex) {
    std::erase(m_entries, entryIndex);
    if (static_cast<int>(m_entries.size()) >= kMaxEntries) {
        m_entries.pop_back();
    }
    m_entries.insert(m_entries.begin(), entryIndex);
}

void History::Clear() {
    m_entries.clear();
    m_favourites.clear();
}

bool History::IsFavourite(int entryIndex) const {
    return std::find(m_favourites.begin(), m_favourites.end(), entryIndex) != m_favourites.end();
}

void History::ToggleFavourite(int entryIndex) {
    if (std::erase(m_favourites, entryIndex) != 0) {
        return;
    }
    if (static_cast<int>(m_favourites.size()) >= kMaxFavourites) {
        m_favourites.erase(m_favourites.begin());
    }
    m_favourites.push_back(entryIndex);
}

std::vector<int> History::ListedRows() const {
    std::vector<int> rows = m_favourites;
    if (!m_favourites.empty() && !m_entries.empty()) {
        rows.push_back(-1);
    }
    rows.insert(rows.end(), m_entries.begin(), m_entries.end());
    return rows;
}

std::string History::StateText(const EntryList& entries) const {
    std::string text = "; Quillmate: the favourites and the last entries shown, by their files.\n";
    for (const auto& [section, rows] :
         {std::pair{kFavouritesSection, &m_favourites}, {kHistorySection, &m_entries}}) {
        text.append(section).push_back('\n');
        for (const int row : *rows) {
            // A file name that would break a line cannot be kept.
            const std::string_view file = row >= 0 && static_cast<std::size_t>(row) < entries.size()
                                              ? entries[static_cast<std::size_t>(row)].file
                                              : std::string_view();
            if (!file.empty() && file.find_first_of("\r\n") == std::string_view::npos) {
                text.append(file).push_back('\n');
            }
        }
    }
    return text;
}

void History::TakeState(std::string_view text, const EntryList& entries) {
    Clear();
    std::unordered_map<std::string_view, int> rowOfFile;
    for (std::size_t row = entries.size(); row-- > 0;) {
        if (!entries[row].file.empty()) {
            rowOfFile[entries[row].file] = static_cast<int>(row);
        }
    }
    std::vector<int>* list = nullptr;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line == kFavouritesSection || line == kHistorySection) {
            list = line == kFavouritesSection ? &m_favourites : &m_entries;
            continue;
        }
        const auto found = rowOfFile.find(line);
        const std::size_t limit = list == &m_favourites ? kMaxFavourites : kMaxEntries;
        if (list != nullptr && found != rowOfFile.end() && list->size() < limit &&
            std::find(list->begin(), list->end(), found->second) == list->end()) {
            list->push_back(found->second);
        }
    }
}

}  // namespace quillmate
