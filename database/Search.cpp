#include "database/Search.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "base/ByteWords.h"
#include "base/Text.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

char32_t FoldChar(char32_t c) {
    return static_cast<char32_t>(std::towlower(static_cast<std::wint_t>(c)));
}

// Length of the run of ASCII bytes that `text` begins with.
std::size_t AsciiRunLength(std::string_view text) {
    std::size_t pos = 0;
    for (; pos + kWordBytes <= text.size(); pos += kWordBytes) {
        const std::uint64_t high = LoadWord(text.data() + pos) & kHighBits;
        if (high != 0) {
            return pos + FirstMarkedByte(high);
        }
    }
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) {
        ++pos;
    }
    return pos;
}

// Appends a run of ASCII with A-Z turned into a-z.
void AppendLowerAscii(std::string_view run, std::string& out) {
    const std::size_t at = out.size();
    out.append(run);
    char* bytes = out.data() + at;
    std::size_t pos = 0;
    for (; pos + kWordBytes <= run.size(); pos += kWordBytes) {
        StoreWord(LowerAsciiWord(LoadWord(bytes + pos)), bytes + pos);
    }
    for (; pos < run.size(); ++pos) {
        bytes[pos] = AsciiLower(bytes[pos]);
    }
}

}  // namespace

std::string SearchHaystack(const std::string& rowText, const DbEntry& entry, int searchMode, int language) {
    switch (searchMode) {
        case 1:
            return rowText;
        case 2:
        case 3: {
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

CaseFolder::CaseFolder() {
    for (char32_t c = 0; c < m_table.size(); ++c) {
        m_table[c] = FoldChar(c);
        const char32_t plain = c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
        m_plainAscii = m_plainAscii && (c >= 0x80 || m_table[c] == plain);
    }
}

void CaseFolder::Append(std::string_view text, std::string& out) const {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t run = m_plainAscii ? AsciiRunLength(text.substr(pos)) : 0;
        if (run > 0) {
            AppendLowerAscii(text.substr(pos, run), out);
            pos += run;
            continue;
        }
        const char32_t c = DecodeNextUtf8(text, pos);
        EncodeUtf8(c < m_table.size() ? m_table[c] : FoldChar(c), out);
    }
}

std::optional<std::string> SearchNeedle(std::string_view term) {
    std::string needle;
    CaseFolder().Append(term, needle);
    // The NUL that closes each row can never be part of a match.
    if (needle.empty() || needle.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return needle;
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
    const CaseFolder fold;
    const DbEntry noEntry;
    m_rowStarts.reserve(rowTexts.size());
    for (std::size_t row = 0; row < rowTexts.size(); ++row) {
        const DbEntry& entry = row < entries.size() ? entries[row] : noEntry;
        m_rowStarts.push_back(m_folded.size());
        fold.Append(SearchHaystack(rowTexts[row], entry, scope.searchMode, scope.language), m_folded);
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
    const std::optional<std::string> needle = SearchNeedle(term);
    if (!needle) {
        return -1;
    }
    const std::size_t from = m_rowStarts[static_cast<std::size_t>(first)];
    const void* found =
        ::memmem(m_folded.data() + from, m_folded.size() - from, needle->data(), needle->size());
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
