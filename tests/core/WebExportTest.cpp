#include "viewer/WebExport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "ExportFixture.h"

namespace quillmate {
namespace {

using test::CollectingWriter;
using test::ExportFolder;
using test::kExportData;

constexpr const char* kDate = "08. Dec. 2026";

ExportFolders FoldersFor(const ExportFolder& exportFolder,
                         const std::string& templates = kExportData + "Templates/") {
    return ExportFolders{templates, exportFolder.Path()};
}

// The entry views its texts: literals, which outlive it.
DbEntry Entry(std::string_view themeDe, std::string_view themeEn, std::string_view file) {
    DbEntry entry;
    entry.themeDe = themeDe;
    entry.themeEn = themeEn;
    entry.file = file;
    return entry;
}

// Items and entries side by side: a theme or head item gets an empty entry record.
struct Index {
    std::vector<ExportItem> items;
    EntryList entries;

    Index& Item(int level, const std::string& text) {
        items.push_back({level, text});
        entries.push_back(DbEntry{});
        return *this;
    }
    Index& EntryItem(const DbEntry& entry, int level = 2) {
        items.push_back({level, std::string(entry.themeDe)});
        entries.push_back(entry);
        return *this;
    }
    std::vector<std::string> Body() const {
        CollectingWriter out;
        WriteWebPageBody(items, entries, out);
        return out.lines;
    }
};

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// What a browser makes of an attribute value or element text.
std::string HtmlDecoded(const std::string& text) {
    const std::pair<std::string, std::string> entities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
    std::string result;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : entities) {
            if (text.compare(i, entity.size(), entity) == 0) {
                result += character;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            EXPECT_NE(text[i], '&') << "unknown entity in " << text;
            result += text[i++];
        }
    }
    return result;
}

// What JavaScript makes of the inside of a single-quoted string literal.
std::string JavaScriptDecoded(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            EXPECT_NE(text[i], '\'') << "string ends early in " << text;
            EXPECT_GE(static_cast<unsigned char>(text[i]), 0x20) << "raw control character in " << text;
            result += text[i];
            continue;
        }
        const char c = text.at(++i);
        if (c == 'n') {
            result += '\n';
        } else if (c == 'r') {
            result += '\r';
        } else if (c == 't') {
            result += '\t';
        } else if (c == 'x') {
            result += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (c == 'u') {
            const std::string code = text.substr(i + 1, 4);
            result += code == "2028" ? "\xE2\x80\xA8" : code == "2029" ? "\xE2\x80\xA9" : "?";
            i += 4;
        } else {
            result += c;
        }
    }
    return result;
}

// The raw texts between `open` and the next `close` in `text`.
std::vector<std::string> Between(const std::string& text, const std::string& open, const std::string& close) {
    std::vector<std::string> found;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
        const size_t start = at + open.size();
        found.push_back(text.substr(start, text.find(close, start) - start));
    }
    return found;
}

TEST(WebExportTest, DateTextIsTwoDigitDayMonthNameAndFourDigitYear) {
    struct Case {
        int year, month, day;
        std::string text;
    };
    const std::vector<Case> cases = {
        {2026, 12, 8, "08. Dec. 2026"},
        {2027, 1, 31, "31. Jan. 2027"},
        {2026, 5, 1, "01. May. 2026"},
        {999, 9, 10, "10. Sep. 0999"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportDateText(c.year, c.month, c.day), c.text);
    }
}

TEST(WebExportTest, TodayIsTheLocalDate) {
    const auto localDate = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return ExportDateText(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    };
    const std::string before = localDate();
    const std::string today = TodayExportDateText();
    EXPECT_TRUE(today == before || today == localDate()) << today;
}

TEST(WebExportTest, PlaceholderNeedsExactCaseButIsReplacedInAnyCase) {
    struct Case {
        std::string line;
        std::string filled;
    };
    const std::vector<Case> cases = {
        {"<p>Stand: CurrDate</p>", "<p>Stand: 08. Dec. 2026</p>"},
        {"CurrDate", "08. Dec. 2026"},
        {"only lower case: currdate", "only lower case: currdate"},
        {"CURRDATE and Currdate", "CURRDATE and Currdate"},
        {"CurrDate, currdate, CURRDATE, cUrRdAtE",
         "08. Dec. 2026, 08. Dec. 2026, 08. Dec. 2026, 08. Dec. 2026"},
        {"CurrDateCurrDate", "08. Dec. 202608. Dec. 2026"},
        {"CurrDat", "CurrDat"},
        {"", ""},
        {"Stand ✰ CurrDate ⬌", "Stand ✰ 08. Dec. 2026 ⬌"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FillDatePlaceholder(c.line, kDate), c.filled) << "line: " << c.line;
    }
}

TEST(WebExportTest, HtmlEscapingCoversMarkupAndQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Tips & Tricks", "Tips &amp; Tricks"}, {"Korvex's <Labels>", "Korvex&#39;s &lt;Labels&gt;"},
        {"say \"hi\"", "say &quot;hi&quot;"},   {"&amp;", "&amp;amp;"},
        {"✰Neu ⬌ plain", "✰Neu ⬌ plain"},       {"", ""},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(HtmlEscaped(text), escaped);
    }
}

TEST(WebExportTest, JavaScriptEscapingKeepsTheStringClosed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Korvex's", "Korvex\\'s"},
        {"back\\slash", "back\\\\slash"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"line\nfeed\r\ttab", "line\\nfeed\\r\\ttab"},
        {std::string("nul\0bell\x07"
                     "del\x7F",
                     13),
         "nul\\x00bell\\x07del\\x7F"},
        {"a\xE2\x80\xA8"
         "b\xE2\x80\xA9",
         "a\\u2028b\\u2029"},
        {"Tips & <Tricks> ✰", "Tips & <Tricks> ✰"},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(JavaScriptStringEscaped(text), escaped);
    }
}

TEST(WebExportTest, ButtonAndSpanNameTheSameThemeWhateverItHolds) {
    const std::vector<std::string> themes = {"Buttons",
                                             "Tips & Tricks",
                                             "Korvex's <Labels>",
                                             "say \"hi\"",
                                             "back\\slash\\",
                                             "line\nfeed",
                                             "a\xE2\x80\xA8"
                                             "b",
                                             "</span><script>alert(1)</script>",
                                             "&amp;"};
    for (const std::string& theme : themes) {
        Index index;
        index.Item(0, "Head").Item(1, theme).EntryItem(Entry("Titel", "Title", "/A/b.kx"));
        const std::vector<std::string> body = index.Body();
        ASSERT_EQ(body.size(), 5u);
        const std::string& button = body[1];
        const std::string& themeLine = body[2];
        const std::string& entryLine = body[3];
        for (const std::string& line : {button, themeLine}) {
            const auto arguments = Between(line, "outline('", "'");
            ASSERT_EQ(arguments.size(), 1u) << line;
            EXPECT_EQ(arguments[0].find_first_of("\"<>"), std::string::npos) << arguments[0];
            EXPECT_EQ(JavaScriptDecoded(HtmlDecoded(arguments[0])), theme) << line;
        }
        const auto shown = Between(themeLine, "<b>", "</b>");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(HtmlDecoded(shown[0]), theme);
        const auto ids = Between(entryLine, "<span id=\"", "\"");
        ASSERT_EQ(ids.size(), 1u) << entryLine;
        EXPECT_EQ(HtmlDecoded(ids[0]), theme);
        EXPECT_EQ(Count(entryLine, "<span"), 1) << entryLine;
    }
}

TEST(WebExportTest, TitlesAndPathsAreEscapedInTheEntryLine) {
    Index index;
    index.Item(0, "Head").Item(1, "A").EntryItem(
        Entry("Label <b> & mehr", "Label \"quoted\"", "/L/O'Brien & Co.kx"));
    const std::string entryLine = index.Body()[3];
    EXPECT_NE(
        entryLine.find("href=\"Linux/L/O&#39;Brien &amp; Co.kx\" target=\"_blank\">Label &lt;b&gt; &amp; "
                       "mehr&nbsp;&nbsp;&nbsp;⬌&nbsp;&nbsp;&nbsp;Label &quot;quoted&quot;</a><br />"),
        std::string::npos)
        << entryLine;
}

TEST(WebExportTest, ThemeWithThreeEntriesOpensOneSpanClosedByTheNextTheme) {
    Index index;
    index.Item(0, "Head")
        .Item(1, "Buttons")
        .EntryItem(Entry("Eins", "One", "/Buttons/One.kx"))
        .EntryItem(Entry("Zwei", "Two", "/Buttons/Two.kx"))
        .EntryItem(Entry("Drei", "Three", "/Buttons/Three.kx"))
        .Item(1, "Labels");
    const std::vector<std::string> body = index.Body();
    ASSERT_EQ(body.size(), 8u);
    EXPECT_TRUE(
        body[3].starts_with("<span id=\"Buttons\" style=\"display:none; margin-left: 20px;\"> <img "));
    EXPECT_TRUE(body[4].starts_with("<img src=\"Icons/folder-documents.png\""));
    EXPECT_TRUE(body[5].starts_with("<img src=\"Icons/folder-documents.png\""));
    EXPECT_TRUE(body[6].starts_with("</span>\n</p>\n<p>\n<img src=\"Icons/folder.png\""));
    EXPECT_EQ(body[7], "</span>\n</p>");
}

TEST(WebExportTest, ThemeWithoutEntriesGivesItsLineAndNoSpan) {
    Index index;
    index.Item(0, "Head").Item(1, "Empty").Item(1, "Also empty");
    const std::vector<std::string> body = index.Body();
    ASSERT_EQ(body.size(), 5u);
    EXPECT_TRUE(body[2].starts_with("<p>\n<img src=\"Icons/folder.png\""));
    EXPECT_TRUE(body[3].starts_with("<p>\n<img src=\"Icons/folder.png\""));
    for (const auto& line : body) {
        EXPECT_EQ(line.find("<span"), std::string::npos) << line;
    }
    EXPECT_NE(body[1].find("onclick=\"outline('Empty');outline('Also empty');return false;\""),
              std::string::npos);
}

TEST(WebExportTest, NewEntryIsBoldAndKeepsItsMark) {
    Index index;
    index.Item(0, "Head")
        .Item(1, "Buttons")
        .EntryItem(Entry("✰Neu", "✰New", "/Buttons/New.kx"))
        .EntryItem(Entry("Alt ✰", "✰Old", "/Buttons/Old.kx"));
    const std::vector<std::string> body = index.Body();
    EXPECT_NE(body[3].find(">✰Neu&nbsp;&nbsp;&nbsp;⬌&nbsp;&nbsp;&nbsp;✰New</b></a><br />"),
              std::string::npos);
    EXPECT_NE(body[3].find("target=\"_blank\"><b>✰Neu"), std::string::npos);
    // Only the German title decides.
    EXPECT_NE(body[4].find("target=\"_blank\">Alt ✰&nbsp;&nbsp;&nbsp;⬌&nbsp;&nbsp;&nbsp;✰Old</a><br />"),
              std::string::npos);
}

TEST(WebExportTest, EntryLinksToItsPathBehindThePlatformWord) {
    Index index;
    index.Item(0, "Head").Item(1, "Buttons").EntryItem(Entry("Knopf", "Button", "/Buttons/Simple.kx"));
    EXPECT_NE(index.Body()[3].find("href=\"Linux/Buttons/Simple.kx\""), std::string::npos);
}

TEST(WebExportTest, VariantsBelowEntriesAreLeftOutButDropNothingElse) {
    Index index;
    index.Item(0, "Head")
        .Item(1, "Lists")
        .EntryItem(Entry("Eins", "One", "/L/One.kx"))
        .EntryItem(Entry("Variante", "Variant", "/L/Variant.kx"), 3)
        .EntryItem(Entry("Zwei", "Two", "/L/Two.kx"))
        .EntryItem(Entry("Tiefer", "Deeper", "/L/Deeper.kx"), 3)
        .EntryItem(Entry("Noch tiefer", "Deepest", "/L/Deepest.kx"), 4)
        .Item(1, "Trees")
        .EntryItem(Entry("Drei", "Three", "/T/Three.kx"));
    const std::vector<std::string> body = index.Body();
    ASSERT_EQ(body.size(), 8u);
    EXPECT_NE(body[3].find("/L/One.kx"), std::string::npos);
    EXPECT_NE(body[4].find("/L/Two.kx"), std::string::npos);
    EXPECT_TRUE(body[4].starts_with("<img ")) << body[4];
    EXPECT_TRUE(body[5].starts_with("</span>\n</p>\n<p>\n")) << body[5];
    EXPECT_TRUE(body[6].starts_with("<span id=\"Trees\"")) << body[6];
}

TEST(WebExportTest, FixtureLibraryGivesTheExpectedPage) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    const ExportResult result = ExportWebPage(library.items, library.entries, FoldersFor(folder), kDate);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.message, "html-Export done to ...\n" + folder.Path() + "Quillmate-Lib.html");
    test::ExpectGolden(folder.Read("Quillmate-Lib.html"), "Quillmate-Lib.html");
}

TEST(WebExportTest, SampleLibraryGivesABalancedPageWithEveryEntry) {
    const std::string database = std::string(QUILLMATE_SOURCE_DIR) + "/library/Quillmate-Toc.xml";
    if (!std::filesystem::exists(database)) {
        GTEST_SKIP() << "no sample library";
    }
    const test::ExportLibrary library = test::LibraryFromFile(database);
    ExportFolder folder;
    const ExportResult result =
        ExportWebPage(library.items, library.entries,
                      FoldersFor(folder, std::string(QUILLMATE_SOURCE_DIR) + "/templates/"), kDate);
    ASSERT_TRUE(result.written);
    const std::string page = folder.Read("Quillmate-Lib.html");
    EXPECT_NE(page.find("Stand: 08. Dec. 2026"), std::string::npos);
    EXPECT_NE(page.find("function outline(id)"), std::string::npos);
    EXPECT_EQ(Count(page, "<span"), Count(page, "</span>"));
    int entries = 0;
    int themesWithEntries = 0;
    for (size_t i = 0; i < library.items.size(); ++i) {
        entries += library.items[i].level == 2 ? 1 : 0;
        themesWithEntries +=
            (library.items[i].level == 1 && i + 1 < library.items.size() && library.items[i + 1].level == 2)
                ? 1
                : 0;
    }
    EXPECT_EQ(Count(page, "folder-documents.png"), entries);
    const auto ids = Between(page, "<span id=\"", "\"");
    EXPECT_EQ(static_cast<int>(ids.size()), themesWithEntries);
    const auto buttonLine = page.substr(page.find("theSubmitButton"));
    for (const auto& id : ids) {
        EXPECT_NE(buttonLine.find("outline('" + id + "');"), std::string::npos) << id;
    }
}

TEST(WebExportTest, MissingTemplatesLeaveTheirPartsOut) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    const ExportResult result =
        ExportWebPage(library.items, library.entries, FoldersFor(folder, folder.Path() + "none/"), kDate);
    EXPECT_TRUE(result.written);
    EXPECT_FALSE(result.message.empty());
    CollectingWriter body;
    WriteWebPageBody(library.items, library.entries, body);
    EXPECT_EQ(folder.Read("Quillmate-Lib.html"), body.Text());
    EXPECT_FALSE(folder.Has("none"));
}

TEST(WebExportTest, SecondExportReplacesThePage) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    ExportWebPage(library.items, library.entries, FoldersFor(folder), "01. Jan. 2026");
    ExportWebPage(library.items, library.entries, FoldersFor(folder), kDate);
    test::ExpectGolden(folder.Read("Quillmate-Lib.html"), "Quillmate-Lib.html");
}

TEST(WebExportTest, PageThatCannotBeCreatedEndsWithoutMessage) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    const ExportFolders folders{kExportData + "Templates/", folder.Path() + "Export/"};
    const ExportResult result = ExportWebPage(library.items, library.entries, folders, kDate);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "");
    EXPECT_FALSE(folder.Has("Export"));
}

TEST(WebExportTest, PageCutOffByAFullDiskEndsWithoutMessage) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    if (!folder.MakeFull("Quillmate-Lib.html")) {
        GTEST_SKIP() << "no file size limit";
    }
    const ExportResult result = ExportWebPage(library.items, library.entries, FoldersFor(folder), kDate);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "");
}

}  // namespace
}  // namespace quillmate
