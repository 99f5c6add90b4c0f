// The web-page export: the whole library index as one HTML page between a head and a tail
// template, one collapsible block per theme and one link line per entry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/ExportFile.h"
#include "base/ProgramNames.h"
#include "database/Database.h"
#include "database/IndexRows.h"

namespace quillmate {

// One item of the index tree as the exports see it: level 0 the head, 1 a theme, 2 an entry.
// Item i belongs to entry i of the EntryList.
//
// Deeper items (variants nested in an entry) are not exported themselves, but count as part of
// their entry: the entry after a variant is still exported and the next theme still closes the
// block, so that one nested variant cannot drop its neighbour or swallow the following themes.
struct ExportItem {
    int level = 0;
    std::string text;
};

// The level an item leaves behind for the next one: a variant counts as an entry.
inline int LevelAfter(const ExportItem& item) {
    return item.level > 2 ? 2 : item.level;
}

// Every index row in order, with its depth as the level.
std::vector<ExportItem> ExportItemsOf(const IndexRows& rows);

inline constexpr const char* kHeadTemplateName = "Quillmate-Head.html";
inline constexpr const char* kTailTemplateName = "Quillmate-Tail.html";
inline constexpr const char* kWebPageFileName = "Quillmate-Lib.html";

// The folders of the exports; the program uses the fixed ones, relative to the program folder.
struct ExportFolders {
    std::string templates = kTemplatesFolder;
    std::string exports = kExportFolder;
};

// Outcome of an export: whether its file was written completely, and the text of the message
// box titled "Quillmate" to show (empty: none).
struct ExportResult {
    bool written = false;
    std::string message;
};

// The date as the page shows it: "08. Dec. 2026".
std::string ExportDateText(int year, int month, int day);
// Today's date in the local time zone, as ExportDateText.
std::string TodayExportDateText();
// A head-template line that contains "CurrDate" (exact case) gets `dateText` in place of every
// "CurrDate" in any letter case; other lines are returned unchanged.
std::string FillDatePlaceholder(std::string_view line, std::string_view dateText);

// Text for HTML element content or a double-quoted attribute value.
std::string HtmlEscaped(std::string_view text);
// Text for the inside of a single-quoted JavaScript string: the string's value is `text` again.
std::string JavaScriptStringEscaped(std::string_view text);

// The page between the templates: "<br />", the button that opens or closes all themes, the
// theme blocks with their entry lines, and the closing of the last block.
void WriteWebPageBody(const std::vector<ExportItem>& items, const EntryList& entries, LineWriter& out);

// Writes folders.exports + "Quillmate-Lib.html" from the templates in folders.templates (a
// missing template leaves its part out). A page that cannot be created or written completely
// gives no message; a finished one "html-Export done to ...".
ExportResult ExportWebPage(const std::vector<ExportItem>& items, const EntryList& entries,
                           const ExportFolders& folders, const std::string& dateText);

}  // namespace quillmate
