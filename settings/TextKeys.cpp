#include "settings/TextKeys.h"

#include "base/Utf8.h"

namespace quillmate {
namespace {

std::vector<std::string> SplitAtTabs(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = text.find('\t', start);
        parts.emplace_back(
            text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) {
            return parts;
        }
        start = tab + 1;
    }
}

}  // namespace

std::optional<int> LanguageAfterKey(Command command, int current) {
    switch (command) {
        case Command::ToggleLanguage:
            if (current == 0 || current == 1) {
                return 1 - current;
            }
            return std::nullopt;
        case Command::LanguageGerman:
            return 0;
        case Command::LanguageEnglish:
            return 1;
        case Command::LanguageFrench:
            return 2;
        default:
            return std::nullopt;
    }
}

std::string ShownLanguageText(std::string_view text, std::size_t limit) {
    const std::vector<std::string> parts = SplitAtTabs(text);
    std::string shown;
    for (std::size_t i = 0; i < parts.size() && i < kLanguageTextParts; ++i) {
        shown += (i == 0 ? "" : "\t") + ShownText(parts[i], limit);
    }
    return shown;
}

std::vector<std::string> ComboRows(std::string_view text, std::string_view builtInRows, size_t rowCount) {
    const std::vector<std::string> given = SplitAtTabs(text);
    const std::vector<std::string> builtIn = SplitAtTabs(builtInRows);
    std::vector<std::string> rows(rowCount);
    for (size_t i = 0; i < rowCount; ++i) {
        if (i < given.size()) {
            rows[i] = given[i];
        } else if (i < builtIn.size()) {
            rows[i] = builtIn[i];
        }
    }
    return rows;
}

}  // namespace quillmate
