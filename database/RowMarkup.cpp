#include "database/RowMarkup.h"

namespace quillmate {

std::string EscapeMarkup(std::string_view text, bool numericApostrophe) {
    std::string escaped;
    escaped.reserve(text.size() + 16);
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += numericApostrophe ? "&#39;" : "&apos;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> IndexRowMarkup(std::string_view text, int depth, HintColours hint) {
    if (depth == 0 || depth == 1) {
        return "<b>" + EscapeMarkup(text) + "</b>";
    }
    if (depth != 2) {
        return std::nullopt;
    }
    const bool hasHint = text.find("gtk3]") != std::string_view::npos ||
                         text.find(">gtk3.") != std::string_view::npos ||
                         text.find(">=gtk3.") != std::string_view::npos;
    const auto open = hasHint ? text.find('[') : std::string_view::npos;
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    // The hint runs to the first "]" at or after the "["; what follows it is not shown, and a
    // hint without "]" shows an empty coloured span.
    const auto close = text.find(']', open);
    const std::string_view shown =
        close == std::string_view::npos ? std::string_view() : text.substr(open, close - open + 1);
    return EscapeMarkup(text.substr(0, open)) + "<span bgcolor=\"" + std::string(hint.background) +
           "\" fgcolor=\"" + std::string(hint.text) + "\">" + EscapeMarkup(shown, true) + "</span>";
}

}  // namespace quillmate
