// A slow, literal highlighter for tests: the six passes done step by step with forward searches
// over the whole text and a tag set per character, for comparison with ComputeHighlight.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "viewer/Highlighter.h"

namespace quillmate::reference {

// The passes as searches: one per keyword and per declared name, the string pass restarting one
// character after its search start when it meets a quote inside a comment, the link pass deleting
// each address and putting a U+FFFC placeholder in its place.
HighlightResult HighlightLiterally(std::u32string_view text, int codeMarks);

// Strict UTF-8 decoding; nullopt for anything that is not well-formed UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes);
std::string EncodeUtf8(std::u32string_view text);

}  // namespace quillmate::reference
