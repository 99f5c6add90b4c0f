#include "viewer/Highlighter.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "base/StopPoll.h"
#include "base/Text.h"
#include "base/Utf8.h"
#include "resources/KeywordList.h"

// The passes run on the UTF-8 bytes with one tag bit set per byte. Every character that a pass
// looks at (";", double quote, "#", space, line ends, word characters) is ASCII or, for U+2029, a
// fixed byte sequence, and bytes of other characters never equal them, so byte positions are
// converted to character offsets only at the end.
//
// Instead of one search per keyword and per procedure name, keywords and names are found by one
// scan over the maximal runs of word characters. That finds exactly what the searches find: a
// counting match has no word character on either side, so it is such a run, and a match that
// does not count never hides one (keywords and names consist of word characters only, so an
// earlier match overlapping a run would have to cover the non-word character in front of it).

namespace quillmate {

namespace {

constexpr std::uint8_t Bit(HighlightTag tag) {
    return static_cast<std::uint8_t>(1u << static_cast<int>(tag));
}

constexpr std::uint8_t kDisable = Bit(HighlightTag::Disable);
constexpr std::uint8_t kLiteral = Bit(HighlightTag::Literal);
constexpr std::uint8_t kConstant = Bit(HighlightTag::Constant);
constexpr std::uint8_t kFunction = Bit(HighlightTag::Function);
constexpr std::uint8_t kFuncCall = Bit(HighlightTag::FuncCall);

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

using Marks = std::vector<std::uint8_t>;

bool IsWordByte(char c) {
    return IsWordChar(static_cast<unsigned char>(c));
}

void Mark(Marks& marks, std::size_t start, std::size_t end, std::uint8_t bit) {
    for (std::size_t i = start; i < end; ++i) {
        marks[i] |= bit;
    }
}

// Length of the line end at byte i: LF, CR, CR LF or U+2029 (E2 80 A9); 0 when there is none.
std::size_t LineEndLength(std::string_view text, std::size_t i) {
    const char c = text[i];
    if (c == '\n') {
        return 1;
    }
    if (c == '\r') {
        return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    }
    if (c == '\xE2' && text.substr(i, 3) == "\xE2\x80\xA9") {
        return 3;
    }
    return 0;
}

bool MayEndLine(char c) {
    return c == '\n' || c == '\r' || c == '\xE2';
}

// Position of the first line end at or after byte i (the text's size when there is none).
std::size_t LineEnd(std::string_view text, std::size_t i) {
    while (i < text.size() && !(MayEndLine(text[i]) && LineEndLength(text, i) > 0)) {
        ++i;
    }
    return i;
}

// A ";" starts a comment up to the line end unless the double quotes before it on its line are
// odd in number (it stands inside a string). A line holds at most one comment.
void MarkComments(std::string_view text, Marks& marks, StopPoll& stopped) {
    std::size_t quotes = 0;
    std::size_t i = 0;
    while (i < text.size() && !stopped(i)) {
        const char c = text[i];
        if (c == '"') {
            ++quotes;
            ++i;
        } else if (c == ';') {
            if (quotes % 2 == 0) {
                const std::size_t end = LineEnd(text, i);
                Mark(marks, i, end, kDisable);
                i = end < text.size() ? end + LineEndLength(text, end) : end;
                quotes = 0;
            } else {
                ++i;
            }
        } else if (MayEndLine(c) && LineEndLength(text, i) > 0) {
            i += LineEndLength(text, i);
            quotes = 0;
        } else {
            ++i;
        }
    }
}

// A string runs from an opening quote outside comments to the next quote anywhere, across lines;
// the quotes stay untagged. An opening quote without a closing one ends the pass.
void MarkStrings(std::string_view text, Marks& marks, StopPoll& stopped) {
    std::size_t from = 0;
    while (!stopped(from)) {
        const std::size_t open = text.find('"', from);
        if (open == std::string_view::npos) {
            return;
        }
        if (marks[open] & kDisable) {
            from = open + 1;
            continue;
        }
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) {
            return;
        }
        Mark(marks, open + 1, close, kLiteral);
        from = close + 1;
    }
}

// "#" plus the following word characters, unless a word character stands in front of the "#" or
// the "#" is in a comment. Constants inside strings are tagged too.
void MarkConstants(std::string_view text, Marks& marks, StopPoll& stopped) {
    std::size_t from = 0;
    while (!stopped(from)) {
        const std::size_t hash = text.find('#', from);
        if (hash == std::string_view::npos) {
            return;
        }
        if ((hash > 0 && IsWordByte(text[hash - 1])) || (marks[hash] & kDisable)) {
            from = hash + 1;
            continue;
        }
        std::size_t end = hash + 1;
        while (end < text.size() && IsWordByte(text[end])) {
            ++end;
        }
        Mark(marks, hash, end, kConstant);
        from = end;
    }
}

// Calls visit(start, end) for every maximal run of word characters.
template <class Visit>
void ForEachWord(std::string_view text, StopPoll& stopped, Visit&& visit) {
    std::size_t i = 0;
    while (i < text.size() && !stopped(i)) {
        if (!IsWordByte(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && IsWordByte(text[end])) {
            ++end;
        }
        visit(i, end);
        i = end;
    }
}

// Words with a value each; a cheap filter on first byte and length rejects most other words
// before they are hashed.
class WordTable {
  public:
    explicit WordTable(std::size_t expected) { m_words.reserve(expected); }

    // Keeps the first value of a word added twice.
    void Add(std::string_view word, std::size_t value) {
        if (word.empty()) {
            return;
        }
        m_lengths[FirstByte(word)] |= LengthBit(word.size());
        m_words.emplace(word, value);
    }

    // kNone when the word is not in the table.
    std::size_t Find(std::string_view word) const {
        if ((m_lengths[FirstByte(word)] & LengthBit(word.size())) == 0) {
            return kNone;
        }
        const auto found = m_words.find(word);
        return found == m_words.end() ? kNone : found->second;
    }

  private:
    static std::size_t FirstByte(std::string_view word) { return static_cast<unsigned char>(word.front()); }
    static std::uint64_t LengthBit(std::size_t length) {
        return std::uint64_t{1} << std::min<std::size_t>(length, 63);
    }

    std::array<std::uint64_t, 256> m_lengths{};
    std::unordered_map<std::string_view, std::size_t> m_words;
};

// A procedure keyword at each of `starts` (ascending) is tagged, then the declared name is taken:
// from the next space after the keyword (possibly lines away) skip spaces, the name is the run of
// word characters there. The keyword's search resumes behind the name, so keywords in between are
// passed over, and it ends when no space follows. An empty name is not listed: its search would
// never end.
void MarkDeclarations(std::string_view text, Marks& marks, std::uint8_t keywordBit,
                      const std::vector<std::size_t>& starts, std::size_t keywordLength,
                      std::vector<std::string>& names, StopPoll& stopped) {
    std::size_t resume = 0;
    for (const std::size_t start : starts) {
        if (stopped(start)) {
            return;
        }
        if (start < resume) {
            continue;
        }
        Mark(marks, start, start + keywordLength, keywordBit);
        const std::size_t space = text.find(' ', start + keywordLength);
        if (space == std::string_view::npos) {
            return;
        }
        std::size_t nameStart = space;
        while (nameStart < text.size() && text[nameStart] == ' ') {
            ++nameStart;
        }
        std::size_t nameEnd = nameStart;
        while (nameEnd < text.size() && IsWordByte(text[nameEnd])) {
            ++nameEnd;
        }
        Mark(marks, nameStart, nameEnd, kFunction);
        if (nameEnd > nameStart) {
            names.emplace_back(text.substr(nameStart, nameEnd - nameStart));
        }
        resume = nameEnd;
    }
}

// Whole-word keywords outside comments and strings, and the procedure declarations.
void MarkKeywords(std::string_view text, Marks& marks, std::uint8_t keywordBit,
                  std::vector<std::string>& names, const std::stop_token& stop) {
    const std::span<const std::string_view> keywords = KorvexKeywords();
    WordTable table(keywords.size());
    std::vector<bool> isProcedureKeyword(keywords.size());
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        table.Add(keywords[k], k);
        isProcedureKeyword[k] =
            !keywords[k].empty() && kProcedureKeywords.find(keywords[k]) != std::string_view::npos;
    }
    // Word starts of each procedure keyword, by the index of its first list entry.
    std::vector<std::vector<std::size_t>> procedureStarts(keywords.size());
    StopPoll wordsStopped(stop);
    ForEachWord(text, wordsStopped, [&](std::size_t start, std::size_t end) {
        if (marks[start] & (kDisable | kLiteral)) {
            return;
        }
        const std::size_t k = table.Find(text.substr(start, end - start));
        if (k == kNone) {
            return;
        }
        if (isProcedureKeyword[k]) {
            procedureStarts[k].push_back(start);
        } else {
            Mark(marks, start, end, keywordBit);
        }
    });
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        if (isProcedureKeyword[k]) {
            StopPoll declarationsStopped(stop);
            MarkDeclarations(text, marks, keywordBit, procedureStarts[table.Find(keywords[k])],
                             keywords[k].size(), names, declarationsStopped);
        }
    }
}

// Whole-word uses of declared names outside comments and strings, except the declarations.
void MarkProcedureUses(std::string_view text, Marks& marks, const std::vector<std::string>& names,
                       StopPoll& stopped) {
    if (names.empty()) {
        return;
    }
    WordTable table(names.size());
    for (const std::string& name : names) {
        table.Add(name, 0);
    }
    ForEachWord(text, stopped, [&](std::size_t start, std::size_t end) {
        if ((marks[start] & (kDisable | kLiteral | kFunction)) == 0 &&
            table.Find(text.substr(start, end - start)) != kNone) {
            Mark(marks, start, end, kFuncCall);
        }
    });
}

struct ByteRange {
    std::size_t start;
    std::size_t end;
};

// The address behind each link prefix, up to the first space or the line end. The search goes on
// behind the address, where the link widget will stand.
std::vector<ByteRange> FindLinks(std::string_view text, StopPoll& stopped) {
    std::vector<ByteRange> links;
    std::size_t from = 0;
    while (!stopped(from)) {
        const std::size_t prefix = text.find(kLinkPrefix, from);
        if (prefix == std::string_view::npos) {
            return links;
        }
        const std::size_t start = prefix + kLinkPrefix.size();
        std::size_t end = start;
        while (end < text.size() && text[end] != ' ' &&
               !(MayEndLine(text[end]) && LineEndLength(text, end) > 0)) {
            ++end;
        }
        links.push_back({start, end});
        from = end;
    }
    return links;
}

// Opens and closes the spans of the tags whose bit differs between `from` and `to`.
void ChangeTags(std::vector<TagSpan>& spans, std::array<std::size_t, kHighlightTagCount>& open,
                std::uint8_t from, std::uint8_t to, std::size_t offset) {
    const std::uint8_t changed = from ^ to;
    for (std::size_t t = 0; t < kHighlightTagCount; ++t) {
        const auto bit = static_cast<std::uint8_t>(1u << t);
        if ((changed & bit) == 0) {
            continue;
        }
        if (from & bit) {
            spans[open[t]].end = static_cast<std::uint32_t>(offset);
        } else {
            open[t] = spans.size();
            spans.push_back({static_cast<HighlightTag>(t), static_cast<std::uint32_t>(offset),
                             static_cast<std::uint32_t>(offset)});
        }
    }
}

std::vector<TagSpan> CollectSpans(std::string_view text, const Marks& marks, StopPoll& stopped) {
    std::vector<TagSpan> spans;
    std::array<std::size_t, kHighlightTagCount> open{};
    std::uint8_t current = 0;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size() && !stopped(i); ++i) {
        if (IsUtf8Continuation(text[i])) {
            continue;
        }
        if (marks[i] != current) {
            ChangeTags(spans, open, current, marks[i], characters);
            current = marks[i];
        }
        ++characters;
    }
    ChangeTags(spans, open, current, 0, characters);
    return spans;
}

std::vector<LinkReplacement> ToCharacterOffsets(std::string_view text, const std::vector<ByteRange>& links,
                                                StopPoll& stopped) {
    std::vector<LinkReplacement> result;
    result.reserve(links.size());
    std::size_t byte = 0;
    std::size_t characters = 0;
    const auto charactersUpTo = [&](std::size_t target) {
        for (; byte < target; ++byte) {
            characters += IsUtf8Continuation(text[byte]) ? 0 : 1;
        }
        return characters;
    };
    for (const ByteRange& link : links) {
        if (stopped(link.start)) {
            break;
        }
        const std::size_t start = charactersUpTo(link.start);
        const std::size_t end = charactersUpTo(link.end);
        result.push_back({start, end - start, std::string(text.substr(link.start, link.end - link.start))});
    }
    return result;
}

std::uint8_t KeywordBit(int codeMarks) {
    if (codeMarks == 1) {
        return Bit(HighlightTag::FBold);
    }
    if (codeMarks == 2) {
        return Bit(HighlightTag::BlueBold);
    }
    return 0;
}

// Whole UTF-8 sequences never straddle a piece cut before a byte that begins one, so the text is
// valid when every piece is; the pieces let a stop come between them.
bool IsValidUtf8ByPieces(std::string_view text, StopPoll& stopped) {
    std::size_t start = 0;
    while (start < text.size() && !stopped(start)) {
        std::size_t end = std::min(start + kStopPollBytes, text.size());
        while (end < text.size() && IsUtf8Continuation(text[end])) {
            ++end;
        }
        if (!IsValidUtf8(text.substr(start, end - start))) {
            return false;
        }
        start = end;
    }
    return true;
}

}  // namespace

HighlightResult ComputeHighlight(std::string_view input, int codeMarks, const std::stop_token& stop) {
    std::string sanitized;
    std::string_view text = input;
    StopPoll checking(stop);
    if (!IsValidUtf8ByPieces(input, checking)) {
        sanitized = ToValidUtf8(input);
        text = sanitized;
    }
    Marks marks(text.size(), 0);
    HighlightResult result;
    const std::function<void(StopPoll&)> passes[] = {
        [&](StopPoll& stopped) { MarkComments(text, marks, stopped); },
        [&](StopPoll& stopped) { MarkStrings(text, marks, stopped); },
        [&](StopPoll& stopped) { MarkConstants(text, marks, stopped); },
        [&](StopPoll&) { MarkKeywords(text, marks, KeywordBit(codeMarks), result.procedureNames, stop); },
        [&](StopPoll& stopped) { MarkProcedureUses(text, marks, result.procedureNames, stopped); },
        [&](StopPoll& stopped) { result.spans = CollectSpans(text, marks, stopped); },
        [&](StopPoll& stopped) {
            std::vector<ByteRange> links = FindLinks(text, stopped);
            StopPoll converting(stop);
            result.links = ToCharacterOffsets(text, links, converting);
        },
    };
    for (const auto& pass : passes) {
        if (stop.stop_requested()) {
            break;
        }
        StopPoll stopped(stop);
        pass(stopped);
    }
    return result;
}

bool IsOpenableLinkAddress(std::string_view address) {
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon + 1 == address.size()) {
        return false;
    }
    std::string scheme(address.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), AsciiLower);
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

ViewBreaks ViewLineBreaks(std::string_view text, const std::stop_token& stop) {
    ViewBreaks breaks;
    StopPoll stopped(stop);
    std::size_t characters = 0;  // of the text so far
    std::size_t lineCharacters = 0;
    std::size_t lineTabs = 0;
    std::size_t pieceCharacters = 0;
    std::size_t pieceTabs = 0;
    std::uint32_t lineEnds = 0;
    bool atLineStart = true;
    // The piece ends of the current line, taken only once the line proves too long to be whole.
    std::vector<std::pair<std::uint32_t, std::size_t>> pending;
    bool cutting = false;
    const auto cut = [&](std::uint32_t character, std::size_t byte) {
        breaks.characters.push_back(character);
        breaks.bytes.push_back(byte);
        breaks.lines.pieces.push_back(lineEnds + static_cast<std::uint32_t>(breaks.lines.pieces.size()) + 1);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (stopped(i)) {
            break;
        }
        const char c = text[i];
        if (IsUtf8Continuation(c)) {
            continue;
        }
        if (MayEndLine(c) && LineEndLength(text, i) > 0) {
            lineCharacters = lineTabs = pieceCharacters = pieceTabs = 0;
            pending.clear();
            cutting = false;
            ++characters;
            // The LF of a CR LF ends no line of its own.
            lineEnds += c == '\n' && i > 0 && text[i - 1] == '\r' ? 0 : 1;
            atLineStart = true;
            continue;
        }
        atLineStart = false;
        const bool tab = c == '\t';
        if (pieceCharacters == kViewPieceCharacters || (tab && pieceTabs == kViewPieceTabs)) {
            if (cutting) {
                cut(static_cast<std::uint32_t>(characters), i);
            } else {
                pending.emplace_back(static_cast<std::uint32_t>(characters), i);
            }
            pieceCharacters = pieceTabs = 0;
        }
        ++pieceCharacters;
        ++lineCharacters;
        pieceTabs += tab ? 1 : 0;
        lineTabs += tab ? 1 : 0;
        if (!cutting && (lineCharacters > kViewLineCharacters || lineTabs > kViewLineTabs)) {
            cutting = true;
            for (const auto& [character, byte] : pending) {
                cut(character, byte);
            }
            pending.clear();
        }
        ++characters;
    }
    breaks.lines.fileLines = lineEnds + (atLineStart ? 0 : 1);
    return breaks;
}

std::uint32_t FileLineNumber(const ViewLines& lines, std::uint32_t viewLine) {
    const auto piece = std::lower_bound(lines.pieces.begin(), lines.pieces.end(), viewLine);
    if (piece != lines.pieces.end() && *piece == viewLine) {
        return 0;
    }
    const auto number = viewLine - static_cast<std::uint32_t>(piece - lines.pieces.begin()) + 1;
    return number <= lines.fileLines ? number : 0;
}

ShownHighlight ShownAfterLinks(const HighlightResult& result, const std::vector<std::uint32_t>& breaks,
                               const std::stop_token& stop) {
    ShownHighlight shown;
    // The view's line breaks before an offset of the highlighted text: those before the character
    // at `offset` for a start, those before the last character covered for an end.
    const auto breaksBefore = [&](std::size_t offset, bool isStart) {
        const auto at = isStart ? std::upper_bound(breaks.begin(), breaks.end(), offset)
                                : std::lower_bound(breaks.begin(), breaks.end(), offset);
        return static_cast<std::size_t>(at - breaks.begin());
    };
    // Each made link: where its address starts and ends in the original text, and how many
    // characters it and the links before it took away.
    struct Made {
        std::size_t start;
        std::size_t end;
        std::size_t removed;
    };
    std::vector<Made> made;
    std::size_t removed = 0;
    StopPoll linksStopped(stop);
    for (const LinkReplacement& link : result.links) {
        if (linksStopped(link.offset)) {
            return shown;
        }
        // An address that a break of the view cuts in two would be two lines' text.
        if (!IsOpenableLinkAddress(link.address) ||
            breaksBefore(link.offset, true) != breaksBefore(link.offset + link.length, false)) {
            continue;
        }
        shown.anchors.push_back(
            static_cast<std::uint32_t>(link.offset - removed + breaksBefore(link.offset, true)));
        shown.addresses.push_back(link.address);
        removed += link.length - 1;
        made.push_back({link.offset, link.offset + link.length, removed});
    }
    // A run starts at the first character left at or after its start (behind the anchor when that
    // is an address character) and ends behind the last one left before its end.
    const auto map = [&](std::size_t offset, bool isStart) -> std::size_t {
        const std::size_t inserted = breaksBefore(offset, isStart);
        const auto after = std::partition_point(made.begin(), made.end(), [&](const Made& link) {
            return isStart ? link.start <= offset : link.start < offset;
        });
        if (after == made.begin()) {
            return offset + inserted;
        }
        const Made& link = *(after - 1);
        if (isStart ? offset >= link.end : offset > link.end) {
            return offset - link.removed + inserted;
        }
        const std::size_t anchor = link.end - link.removed - 1 + inserted;
        return isStart ? anchor + 1 : anchor;
    };
    StopPoll spansStopped(stop);
    for (const TagSpan& span : result.spans) {
        if (spansStopped(span.start)) {
            break;
        }
        const std::size_t start = map(span.start, true);
        const std::size_t end = map(span.end, false);
        if (start < end) {
            shown.runs[static_cast<std::size_t>(span.tag)].push_back(
                {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)});
        }
    }
    return shown;
}

}  // namespace quillmate
