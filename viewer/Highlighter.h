// Korvex syntax highlighting without GTK: which character ranges of the code view get which text
// tag, which procedure names the code declares, and which link addresses become link widgets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quillmate {

// The seven text tags in creation order. A later tag wins over an earlier one where both set a
// property, so the enumerator order is the priority order (last = highest).
enum class HighlightTag : std::uint8_t { BlueBold, FBold, Constant, Function, FuncCall, Literal, Disable };

inline constexpr std::size_t kHighlightTagCount = 7;

// Tag names indexed by HighlightTag, in creation order.
inline constexpr std::array<std::string_view, kHighlightTagCount> kHighlightTagNames = {
    "BlueBold", "FBold", "Constant", "Function", "FuncCall", "Literal", "Disable"};

inline constexpr std::string_view HighlightTagName(HighlightTag tag) {
    return kHighlightTagNames[static_cast<std::size_t>(tag)];
}

// Start of a link line; the address follows it directly.
inline constexpr std::string_view kLinkPrefix = "; Link to topic:   ";

// A keyword is a procedure keyword when it occurs in this text.
inline constexpr std::string_view kProcedureKeywords = "Procedure;ProcedureC;ProcedureCDLL;ProcedureDLL";

// "$", 0-9, A-Z, a-z and "_"; no other character (no letter outside ASCII) is a word character.
inline constexpr bool IsWordChar(char32_t c) {
    return c == U'$' || c == U'_' || (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') ||
           (c >= U'a' && c <= U'z');
}

// Characters [start, end) carry the tag. Offsets count Unicode characters (as text-buffer offsets
// do), not bytes; a code file is far too small for more than 32 bits of them, and a file of
// keywords has millions of spans.
struct TagSpan {
    HighlightTag tag;
    std::uint32_t start;
    std::uint32_t end;

    bool operator==(const TagSpan&) const = default;
};

// The address at characters [offset, offset + length) of the original text, which the view
// replaces by a link showing and opening `address` (UTF-8) when the address may be opened.
// `length` may be 0 (a link line without an address).
struct LinkReplacement {
    std::size_t offset;
    std::size_t length;
    std::string address;

    bool operator==(const LinkReplacement&) const = default;
};

struct HighlightResult {
    // For each tag the maximal runs of characters that carry it: no two spans of one tag touch or
    // overlap. Ordered by start, spans with the same start in tag order.
    std::vector<TagSpan> spans;
    // Declared procedure names: those of "Procedure" in text order, then "ProcedureC",
    // "ProcedureCDLL" and "ProcedureDLL"; a name declared twice is listed twice.
    std::vector<std::string> procedureNames;
    // Ordered by offset and never overlapping. Tags are applied to the original text first; then
    // the replacements are made from the last one backwards, so every offset stays valid.
    std::vector<LinkReplacement> links;
};

// Highlights the code view's text (UTF-8; lines end at LF, CR, CR LF or U+2029 as in a text
// buffer). `codeMarks` 1 tags keywords "FBold", 2 "BlueBold", any other value leaves them
// untagged. The result is that of the comment, string, constant, keyword, procedure-use and link
// passes run one after the other, each seeing the tags of the earlier ones. A byte that is not
// part of well-formed UTF-8 counts as one character (U+FFFD).
// A stop requested through `stop` ends the work early with an incomplete result.
HighlightResult ComputeHighlight(std::string_view text, int codeMarks, const std::stop_token& stop = {});

// Characters [start, end) of the text as the view shows it once the links are made: each
// replaced address is one anchor character there.
struct ShownRange {
    std::uint32_t start;
    std::uint32_t end;

    bool operator==(const ShownRange&) const = default;
};

// True for the link addresses the desktop is asked to open: "http:", "https:" and "mailto:" (in
// any letter case) with more after the colon. Any other scheme ("file:", "javascript:", "data:")
// or a text that is no address could open a local file or start a program: such a link line
// keeps its address as plain text.
bool IsOpenableLinkAddress(std::string_view address);

// The code view shows a line of the file whole up to this many characters and tabs. A longer
// line is shown as pieces of at most kViewPieceCharacters characters and kViewPieceTabs tabs,
// with invisible line breaks of the view's own between them, which are never copied: a text view
// lays out a whole line at once, a line of megabytes (or of thousands of tabs, whose cost grows
// with their square) takes it seconds and gigabytes, and it validates its lines a couple of
// thousand at a time, so that short pieces keep each of those steps short.
inline constexpr std::size_t kViewLineCharacters = 1024;
inline constexpr std::size_t kViewLineTabs = 128;
inline constexpr std::size_t kViewPieceCharacters = 768;
inline constexpr std::size_t kViewPieceTabs = 64;

// Which of the view's lines (counted from 0, its own breaks included) show which line of the file.
struct ViewLines {
    std::vector<std::uint32_t> pieces;  // the view's lines that go on with a line cut before them, ascending
    std::uint32_t fileLines = 0;        // the empty rest after the last line end is no line
};

// The number (from 1) of the file's line that the view's line `viewLine` begins; 0 for a piece
// that goes on with a cut line, and past the file's last line. Keeps the gutter's work to the
// lines in view, whatever the size of the file.
std::uint32_t FileLineNumber(const ViewLines& lines, std::uint32_t viewLine);

// Where the view breaks the lines of `text` (UTF-8, lines ending as in a text buffer): before
// these characters, as character offsets and as byte offsets of `text`, ascending; and what
// the view's lines then show.
struct ViewBreaks {
    std::vector<std::uint32_t> characters;
    std::vector<std::size_t> bytes;
    ViewLines lines;
};
ViewBreaks ViewLineBreaks(std::string_view text, const std::stop_token& stop = {});

// The result in the offsets of the view's text, which holds the view's own line breaks
// (`breaks`, character offsets of the highlighted text) and the link anchors: for each tag
// (indexed by HighlightTag) its runs in order, and the offset of each link anchor (links whose
// address cannot be opened, or is broken by the view, are not made and have none). A run of a
// tag that covered an address goes on over its anchor.
struct ShownHighlight {
    std::array<std::vector<ShownRange>, kHighlightTagCount> runs;
    std::vector<std::uint32_t> anchors;
    std::vector<std::string> addresses;  // by anchor
};
// A stop requested through `stop` ends it early with part of the result.
ShownHighlight ShownAfterLinks(const HighlightResult& result, const std::vector<std::uint32_t>& breaks = {},
                               const std::stop_token& stop = {});

}  // namespace quillmate
