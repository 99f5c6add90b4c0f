// UTF-8 for the whole program: the one rule of what a well-formed sequence is, decoding,
// encoding and repair. Only shortest forms of scalar values (no surrogates, nothing above
// U+10FFFF) are well-formed; every other byte is undecodable on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmate {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;
inline constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
// The UTF-8 byte-order mark that the program's text files begin with.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

inline bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0u) == 0x80u;
}

// Length of the well-formed sequence that starts at `pos` (inside `text`); 0 when none does.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);
bool IsValidUtf8(std::string_view text);
// Characters of valid UTF-8 text, as a text buffer counts its offsets.
inline std::size_t Utf8CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += IsUtf8Continuation(byte) ? 0 : 1;
    }
    return count;
}
// The code point at `pos` (inside `text`), and `pos` moved past it; a byte that does not start
// a well-formed sequence gives `replacement` and moves `pos` by one.
char32_t DecodeNextUtf8(std::string_view text, std::size_t& pos,
                        char32_t replacement = kReplacementCharacter);
// The code points of `text`, each undecodable byte one U+FFFD.
std::u32string DecodeUtf8(std::string_view text);
// Appends the UTF-8 form of `c`; surrogates and values above U+10FFFF append U+FFFD.
void EncodeUtf8(char32_t c, std::string& out);
// The code point of the UTF-16 text at byte `pos` of `bytes` (little- or big-endian), and `pos`
// moved past it: a surrogate pair is one code point; an unpaired surrogate, or a last odd byte,
// gives U+FFFD.
char32_t DecodeNextUtf16(std::string_view bytes, std::size_t& pos, bool bigEndian);
// A text file's content as UTF-8: what follows a UTF-8 byte-order mark as it is, what follows a
// UTF-16 one (either byte order) decoded, anything else read as ISO 8859-1.
std::string TextFileToUtf8(std::string_view bytes);
// False for content that no text file holds: a NUL byte outside UTF-16.
bool IsTextFileContent(std::string_view bytes);
// `text` with each undecodable byte replaced by `replacement` (`text` itself when it is valid).
std::string ToValidUtf8(std::string_view text, std::string_view replacement = kReplacementUtf8);

// Longest texts the widgets are given: longer ones cost GTK seconds and gigabytes to lay out.
inline constexpr std::size_t kRowTextLimit = 1000;           // an index row, a menu item
inline constexpr std::size_t kLabelTextLimit = 4096;         // a label, tooltip or message box
inline constexpr std::size_t kDescriptionTextLimit = 65536;  // the description line
inline constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
// What a widget shows of `text`: its valid form (as ToValidUtf8), cut after `limit` characters
// with "…" added. Reads no further into `text` than the cut.
std::string ShownText(std::string_view text, std::size_t limit);
// `text` (valid UTF-8) with a zero-width space after every `run` characters without a space or
// line end among them, so that a widget that wraps only at spaces (a tooltip) wraps it too.
inline constexpr std::size_t kBreakRun = 40;
std::string WithBreakOpportunities(std::string_view text, std::size_t run = kBreakRun);

}  // namespace quillmate
