#include "viewer/WebExport.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "base/Text.h"

namespace quillmate {
namespace {

constexpr std::string_view kDatePlaceholder = "CurrDate";
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kTitleSeparator = "&nbsp;&nbsp;&nbsp;⬌&nbsp;&nbsp;&nbsp;";

// Theme text as the argument of outline() inside a double-quoted onclick attribute.
std::string OutlineArgument(std::string_view theme) {
    return HtmlEscaped(JavaScriptStringEscaped(theme));
}

std::string ThemeLine(std::string_view theme) {
    return "<img src=\"Icons/folder.png\" style=\"vertical-align: middle;\"><a style=\"margin-left: 5px;\" "
           "href=\"#\" onclick=\"outline('" +
           OutlineArgument(theme) + "'); return false;\"><b>" + HtmlEscaped(theme) + "</b></a><br />";
}

std::string EntryLine(const DbEntry& entry) {
    std::string line =
        "<img src=\"Icons/folder-documents.png\" style=\"vertical-align: middle;\"><a style=\"margin-left: "
        "5px;\" href=\"" +
        HtmlEscaped(std::string(kPlatformWord) + std::string(entry.file)) + "\" target=\"_blank\">";
    const std::string titles =
        HtmlEscaped(entry.themeDe) + std::string(kTitleSeparator) + HtmlEscaped(entry.themeEn);
    if (entry.themeDe.starts_with(NewMark)) {
        line += "<b>" + titles + "</b></a><br />";
    } else {
        line += titles + "</a><br />";
    }
    return line;
}

}  // namespace

std::vector<ExportItem> ExportItemsOf(const IndexRows& rows) {
    std::vector<ExportItem> items;
    items.reserve(rows.Rows().size());
    for (const IndexRow& row : rows.Rows()) {
        items.push_back({row.depth, row.text});
    }
    return items;
}

std::string ExportDateText(int year, int month, int day) {
    const char* name = (month >= 1 && month <= 12) ? kMonthNames[static_cast<size_t>(month - 1)] : "";
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%02d. %s. %04d", day, name, year);
    return text.data();
}

std::string TodayExportDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) {
        return {};
    }
    return ExportDateText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string FillDatePlaceholder(std::string_view line, std::string_view dateText) {
    if (line.find(kDatePlaceholder) == std::string_view::npos) {
        return std::string(line);
    }
    std::string result;
    size_t position = 0;
    while (position < line.size()) {
        if (EqualIgnoringAsciiCase(line.substr(position, kDatePlaceholder.size()), kDatePlaceholder)) {
            result += dateText;
            position += kDatePlaceholder.size();
        } else {
            result += line[position];
            ++position;
        }
    }
    return result;
}

std::string HtmlEscaped(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            case '\'':
                result += "&#39;";
                break;
            default:
                result += c;
        }
    }
    return result;
}

std::string JavaScriptStringEscaped(std::string_view text) {
    // U+2028 and U+2029 end a line inside older JavaScript strings.
    constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
    constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'' || c == '"') {
            result += '\\';
            result += c;
        } else if (c == '\n') {
            result += "\\n";
        } else if (c == '\r') {
            result += "\\r";
        } else if (c == '\t') {
            result += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            std::array<char, 8> escape{};
            std::snprintf(escape.data(), escape.size(), "\\x%02X", byte);
            result += escape.data();
        } else if (text.substr(i).starts_with(kLineSeparator)) {
            result += "\\u2028";
            i += kLineSeparator.size() - 1;
        } else if (text.substr(i).starts_with(kParagraphSeparator)) {
            result += "\\u2029";
            i += kParagraphSeparator.size() - 1;
        } else {
            result += c;
        }
    }
    return result;
}

void WriteWebPageBody(const std::vector<ExportItem>& items, const EntryList& entries, LineWriter& out) {
    out.WriteLine("<br />");

    std::string buttonLine =
        "<input type=\"button\" name=\"theSubmitButton\" id=\"theSubmitButton\" value=\"Alle öffnen / "
        "schließen\" onclick=\"";
    for (const ExportItem& item : items) {
        if (item.level == 1) {
            buttonLine += "outline('" + OutlineArgument(item.text) + "');";
        }
    }
    buttonLine += "return false;\"><br />\n<a></a>\n<a></a></p>\n";
    out.WriteLine(buttonLine);

    const DbEntry none;
    int previousLevel = 0;
    std::string theme;
    for (size_t i = 0; i < items.size(); ++i) {
        const ExportItem& item = items[i];
        if (item.level == 1) {
            theme = item.text;
            out.WriteLine(std::string(previousLevel == 2 ? "</span>\n</p>\n" : "") + "<p>\n" +
                          ThemeLine(theme));
        } else if (item.level == 2 && (previousLevel == 1 || previousLevel == 2)) {
            const DbEntry& entry = i < entries.size() ? entries[i] : none;
            std::string line;
            if (previousLevel == 1) {
                line = "<span id=\"" + HtmlEscaped(theme) + "\" style=\"display:none; margin-left: 20px;\"> ";
            }
            out.WriteLine(line + EntryLine(entry));
        }
        previousLevel = LevelAfter(item);
    }
    out.WriteLine("</span>\n</p>");
}

ExportResult ExportWebPage(const std::vector<ExportItem>& items, const EntryList& entries,
                           const ExportFolders& folders, const std::string& dateText) {
    ExportResult result;
    ExportFile out;
    if (!out.Create(folders.exports + kWebPageFileName)) {
        return result;
    }
    ForEachTextLine(folders.templates + kHeadTemplateName,
                    [&](const std::string& line) { out.WriteLine(FillDatePlaceholder(line, dateText)); });
    WriteWebPageBody(items, entries, out);
    ForEachTextLine(folders.templates + kTailTemplateName,
                    [&](const std::string& line) { out.WriteLine(line); });
    if (!out.Close()) {
        return result;
    }
    result.written = true;
    result.message = "html-Export done to ...\n" + folders.exports + kWebPageFileName;
    return result;
}

}  // namespace quillmate
