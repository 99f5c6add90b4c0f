// The search over the index rows: the text searched for each row (its haystack) and a cache of
// the lower-cased haystacks that makes a search per keystroke cheap on large databases.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"
#include "database/IndexRows.h"

namespace quillmate {

// The text searched in a row, its fields joined by ";":
//   mode 0: row text, the entry's description in `language` (0 German, 1 English, 2 French;
//           other numbers German);
//   mode 1: row text;
//   mode 2: row text, the three titles (de, en, fr), the three descriptions (de, en, fr);
//   mode 3: as mode 2; the row's code is searched beside it (see CodeTextIndex).
// Any other mode searches as mode 0, the default.
std::string SearchHaystack(const std::string& rowText, const DbEntry& entry, int searchMode, int language);
// The search mode in which a row's code counts too (its haystack is that of mode 2).
inline constexpr int kSearchModeWithCode = 3;

// `text` with every character lower-cased by towlower, that is by the process locale's
// LC_CTYPE (setlocale must have been called; in the "C" locale only ASCII letters fold). Bytes
// that are not well-formed UTF-8 become U+FFFD.
std::u32string FoldCase(std::string_view text);

// Appends `text` folded as FoldCase folds it, re-encoded as UTF-8 (bytes that are not well-formed
// UTF-8 become U+FFFD). Takes the lower-case forms of the first 256 code points from the locale
// once, when built: build one per piece of work. Runs of ASCII, most of any library, take a fast
// road with the same result.
class CaseFolder {
  public:
    CaseFolder();
    void Append(std::string_view text, std::string& out) const;

  private:
    std::array<char32_t, 256> m_table{};
    // True when the locale folds ASCII as the "C" locale does (A-Z to a-z, nothing else), so that
    // an ASCII run folds eight bytes at a time without the table; a Turkish locale does not.
    bool m_plainAscii = true;
};

// The bytes a search looks for: `term` folded by CaseFolder; std::nullopt for a term that can
// match nothing (empty, or holding a NUL, which closes every row's text).
std::optional<std::string> SearchNeedle(std::string_view term);

// True when `term` occurs at any position of `haystack`, each character compared after
// FoldCase. The plain, slow rule that SearchHaystacks must agree with.
bool ContainsIgnoringCase(std::string_view haystack, std::string_view term);

// What a set of haystacks was built for: the rows' generation and the two preferences it
// depends on.
// What shows that a search found nothing, for the "SearchHint" setting (0 both, 1 the window
// shakes, 2 the search field flashes; any other value both): where the window cannot be moved,
// the field flashes instead of a shake that would show nothing.
struct NotFoundHint {
    bool shake = false;
    bool flash = false;
};
NotFoundHint NotFoundHintFor(int searchHint, bool windowMoves);

struct SearchScope {
    std::uint64_t treeGeneration = 0;
    int searchMode = 0;
    int language = 0;
    bool operator==(const SearchScope&) const = default;
};

// The folded haystacks of all rows, built once per tree content, search mode and language.
class SearchHaystacks {
  public:
    bool IsBuiltFor(const SearchScope& scope) const { return m_built && m_scope == scope; }
    // Builds the haystack of row i from rowTexts[i] and entries[i] (an empty entry when the list
    // is shorter).
    void Build(const SearchScope& scope, const std::vector<std::string>& rowTexts, const EntryList& entries);
    // Builds the haystacks of `rows` unless they were built for the same generation of the rows,
    // search mode and language.
    void Update(const IndexRows& rows, const EntryList& entries, int searchMode, int language);
    void Clear();
    int RowCount() const { return static_cast<int>(m_rowStarts.size()); }

    // The first row from `startRow` on (0 when negative) whose haystack contains `term`,
    // ignoring case as ContainsIgnoringCase does; -1 when there is none or the term is empty.
    // Rows before `startRow` are never searched.
    int FindRow(std::string_view term, int startRow) const;

  private:
    // The folded haystacks re-encoded as UTF-8 and each closed by a NUL byte, so that one scan
    // covers every row and no match can run from one row into the next. A term that decodes to
    // valid UTF-8 matches these bytes exactly where its characters match.
    std::string m_folded;
    std::vector<std::size_t> m_rowStarts;
    SearchScope m_scope;
    bool m_built = false;
};

}  // namespace quillmate
