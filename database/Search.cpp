#include "database/Search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cwctype>

#include "base/Utf8.h"

namespace quillmate {
namespace {

char32_t FoldChar(char32_t c) {
    return static_cast<char32_t>(std::towlower(static_cast<std::wint_t>(c)));
}

// Lower-case forms of the first 256 code points, taken from the locale once per build: most
// characters of a library are among them.
class FoldTable {
  public:
    FoldTable() {
        for (char32_t c = 0; c < m_table.size(); ++c) {
            m_table[c] = FoldChar(c);
        }
    }
    char32_t operator()(char32_t c) const { return c < m_table.size() ? m_table[c] : FoldChar(c); }

  private:
    std::array<char32_t, 256> m_table{};
};

template <typename Fold>
void AppendFolded(std::string_view text, const Fold& fold, std::string& out) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        EncodeUtf8(fold(DecodeNextUtf8(text, pos)), out);
    }
}

}  // namespace

std::string SearchHaystack(const std::string& rowText, const DbEntry& entry, int searchMode, int language) {
    switch (searchMode) {
        case 1:
            return rowText;
        case 2: {
            std::string haystack = rowText;
            for (const std::string_view field : {entry.themeDe, entry.themeEn, entry.themeFr,
                                                 entry.descriptDe, entry.descriptEn, entry.descriptFr}) {
                haystack += ';';
                haystack += field;
            }
            return haystack;
        }
        default:
            return rowText + ";" + std::string(DescriptionIn(entry, language));
    }
}

std::u32string FoldCase(std::string_view text) {
    std::u32string folded = DecodeUtf8(text);
    for (char32_t& c : folded) {
        c = FoldChar(c);
    }
    return folded;
}

bool ContainsIgnoringCase(std::string_view haystack, std::string_view term) {
    return FoldCase(haystack).find(FoldCase(term)) != std::u32string::npos;
}

void SearchHaystacks::Clear() {
    m_folded.clear();
    m_folded.shrink_to_fit();
    m_rowStarts.clear();
    m_built = false;
}

void SearchHaystacks::Build(const SearchScope& scope, const std::vector<std::string>& rowTexts,
                            const EntryList& entries) {
    Clear();
    const FoldTable fold;
    const DbEntry noEntry;
    m_rowStarts.reserve(rowTexts.size());
    for (std::size_t row = 0; row < rowTexts.size(); ++row) {
        const DbEntry& entry = row < entries.size() ? entries[row] : noEntry;
        m_rowStarts.push_back(m_folded.size());
        AppendFolded(SearchHaystack(rowTexts[row], entry, scope.searchMode, scope.language), fold, m_folded);
        m_folded.push_back('\0');
    }
    m_scope = scope;
    m_built = true;
}

void SearchHaystacks::Update(const IndexRows& rows, const EntryList& entries, int searchMode, int language) {
    const SearchScope scope{rows.Generation(), searchMode, language};
    if (IsBuiltFor(scope)) {
        return;
    }
    std::vector<std::string> rowTexts;
    rowTexts.reserve(rows.Rows().size());
    for (const IndexRow& row : rows.Rows()) {
        rowTexts.push_back(row.text);
    }
    Build(scope, rowTexts, entries);
}

int SearchHaystacks::FindRow(std::string_view term, int startRow) const {
    const int first = std::max(startRow, 0);
    if (first >= RowCount()) {
        return -1;
    }
    std::string needle;
    AppendFolded(term, FoldChar, needle);
    // The NUL that closes each row can never be part of a match.
    if (needle.empty() || needle.find('\0') != std::string::npos) {
        return -1;
    }
    const std::size_t from = m_rowStarts[static_cast<std::size_t>(first)];
    const void* found =
        ::memmem(m_folded.data() + from, m_folded.size() - from, needle.data(), needle.size());
    if (found == nullptr) {
        return -1;
    }
    const auto offset = static_cast<std::size_t>(static_cast<const char*>(found) - m_folded.data());
    const auto next = std::upper_bound(m_rowStarts.begin(), m_rowStarts.end(), offset);
    return static_cast<int>(next - m_rowStarts.begin()) - 1;
}

NotFoundHint NotFoundHintFor(int searchHint, bool windowMoves) {
    const bool shake = searchHint != 2 && windowMoves;
    return {shake, searchHint != 1 || !shake};
}

}  // namespace quillmate
