// Finding a term in the code view's text: where it matches, and which match comes next. The view
// hands its text over slice by slice, so that a long text never holds the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillmate {

// What the text is compared with: the term's characters, folded as the index search folds them
// unless case counts. Empty for an empty term.
std::u32string FindKey(std::string_view term, bool matchCase);

// The matches of `key` in `text` (UTF-8; every character counts one, whatever its bytes), as the
// character offsets of their starts, `offset` being the offset of the text's first character.
// Matches do not overlap: only those starting at or after `from` count, and `from` moves past
// each. Appended to `starts`.
void FindMatches(std::string_view text, std::u32string_view key, bool matchCase, std::uint32_t offset,
                 std::uint32_t& from, std::vector<std::uint32_t>& starts);

// The index of the first match at or after character `offset`, the first match when none is; 0
// without matches.
std::size_t MatchAtOrAfter(const std::vector<std::uint32_t>& starts, std::uint32_t offset);

// The match after (or before) `current` among `count`, round the end to the other one.
std::size_t StepMatch(std::size_t current, std::size_t count, bool forward);

}  // namespace quillmate
