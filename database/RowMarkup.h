// How index rows are drawn: theme and head rows in bold, version hints such as "[>=gtk3.10]" in
// entry titles on the hint colour. Only the look changes; row texts stay plain.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmate {

// The colours of a version hint's span: its background and its text.
struct HintColours {
    std::string_view background;
    std::string_view text;
};
// Pango markup for a row of the given depth, or nothing when the row is drawn as plain text.
std::optional<std::string> IndexRowMarkup(std::string_view text, int depth, HintColours hint);

// Replaces &, <, >, the double quote and the apostrophe by entities.
std::string EscapeMarkup(std::string_view text, bool numericApostrophe = false);

}  // namespace quillmate
