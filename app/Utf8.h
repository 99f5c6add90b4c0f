// UTF-8 decoding and encoding for the places that count or compare characters. Bytes that are
// not part of well-formed UTF-8 never pass through: each becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmate {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code points of `text`; each byte that does not belong to a well-formed sequence (overlong
// forms, surrogates and values above U+10FFFF included) becomes one U+FFFD.
std::u32string DecodeUtf8(std::string_view text);
// The code point at `pos` (U+FFFD for a byte that does not start a well-formed sequence), and
// `pos` moved past it. `pos` must be inside `text`.
char32_t DecodeNextUtf8(std::string_view text, std::size_t& pos);
// Appends the UTF-8 form of `c`; surrogates and values above U+10FFFF append U+FFFD.
void EncodeUtf8(char32_t c, std::string& out);
// `text` itself when it is well-formed UTF-8, else its decoded and re-encoded form.
std::string ToValidUtf8(std::string_view text);

}  // namespace quillmate
