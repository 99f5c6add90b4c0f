#include "viewer/CodeFind.h"

#include <algorithm>
#include <functional>

#include "base/Text.h"
#include "base/Utf8.h"
#include "database/Search.h"

namespace quillmate {

std::u32string FindKey(std::string_view term, bool matchCase) {
    return matchCase ? DecodeUtf8(term) : FoldCase(term);
}

namespace {

// A key of ASCII characters is looked for in the bytes themselves: no other character's bytes can
// match it, and the character offsets come from counting the bytes that start a character.
void FindAsciiMatches(std::string_view text, const std::string& key, bool matchCase, std::uint32_t offset,
                      std::uint32_t& from, std::vector<std::uint32_t>& starts) {
    const auto fold = [matchCase](char c) { return matchCase ? c : AsciiLower(c); };
    const auto hash = [fold](char c) { return std::hash<char>()(fold(c)); };
    const auto equal = [fold](char a, char b) { return fold(a) == fold(b); };
    const std::boyer_moore_horspool_searcher searcher(key.begin(), key.end(), hash, equal);
    std::uint32_t character = offset;
    auto counted = text.begin();
    for (auto position = text.begin();;) {
        const auto found = std::search(position, text.end(), searcher);
        if (found == text.end()) {
            return;
        }
        character += static_cast<std::uint32_t>(
            std::count_if(counted, found, [](char byte) { return !IsUtf8Continuation(byte); }));
        counted = found;
        position = found + 1;
        if (character >= from) {
            starts.push_back(character);
            from = character + static_cast<std::uint32_t>(key.size());
            position = found + static_cast<std::ptrdiff_t>(key.size());
        }
    }
}

}  // namespace

void FindMatches(std::string_view text, std::u32string_view key, bool matchCase, std::uint32_t offset,
                 std::uint32_t& from, std::vector<std::uint32_t>& starts) {
    if (key.empty()) {
        return;
    }
    if (std::all_of(key.begin(), key.end(), [](char32_t c) { return c < 0x80; })) {
        FindAsciiMatches(text, std::string(key.begin(), key.end()), matchCase, offset, from, starts);
        return;
    }
    const std::u32string characters = matchCase ? DecodeUtf8(text) : FoldCase(text);
    const std::boyer_moore_horspool_searcher searcher(key.begin(), key.end());
    auto position = characters.begin() +
                    std::min<std::ptrdiff_t>(std::max<std::ptrdiff_t>(std::ptrdiff_t{from} - offset, 0),
                                             static_cast<std::ptrdiff_t>(characters.size()));
    while (true) {
        const auto found = std::search(position, characters.end(), searcher);
        if (found == characters.end()) {
            return;
        }
        const auto start = offset + static_cast<std::uint32_t>(found - characters.begin());
        starts.push_back(start);
        from = start + static_cast<std::uint32_t>(key.size());
        position = found + static_cast<std::ptrdiff_t>(key.size());
    }
}

std::size_t MatchAtOrAfter(const std::vector<std::uint32_t>& starts, std::uint32_t offset) {
    const auto at = std::lower_bound(starts.begin(), starts.end(), offset);
    return at == starts.end() ? 0 : static_cast<std::size_t>(at - starts.begin());
}

std::size_t StepMatch(std::size_t current, std::size_t count, bool forward) {
    if (count == 0) {
        return 0;
    }
    if (forward) {
        return current + 1 < count ? current + 1 : 0;
    }
    return current > 0 ? current - 1 : count - 1;
}

}  // namespace quillmate
