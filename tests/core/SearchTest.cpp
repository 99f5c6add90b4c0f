#include "database/Search.h"

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "database/CodeTextIndex.h"
#include "database/XmlDocument.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

// Runs each test with a UTF-8 character classification, as the program has after taking its
// locale from the environment; the previous locale comes back afterwards.
class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::setlocale(LC_CTYPE, nullptr);
        ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    }
    void TearDown() override { std::setlocale(LC_CTYPE, m_previous.c_str()); }

  private:
    std::string m_previous;
};

// The entry views its texts, which must outlive it (an EntryList copies them).
DbEntry Entry(std::string_view themeDe, std::string_view themeEn, std::string_view themeFr,
              std::string_view descriptDe, std::string_view descriptEn, std::string_view descriptFr) {
    return DbEntry{.themeDe = themeDe,
                   .descriptDe = descriptDe,
                   .themeEn = themeEn,
                   .descriptEn = descriptEn,
                   .themeFr = themeFr,
                   .descriptFr = descriptFr};
}

// The slow rule, row by row: what FindRow must answer.
int LiteralFindRow(const std::vector<std::string>& rowTexts, const EntryList& entries, int mode, int language,
                   const std::string& term, int startRow) {
    if (term.empty()) {
        return -1;
    }
    const DbEntry noEntry;
    for (int row = std::max(startRow, 0); row < static_cast<int>(rowTexts.size()); ++row) {
        const auto index = static_cast<size_t>(row);
        const DbEntry& entry = index < entries.size() ? entries[index] : noEntry;
        if (ContainsIgnoringCase(SearchHaystack(rowTexts[index], entry, mode, language), term)) {
            return row;
        }
    }
    return -1;
}

TEST_F(SearchTest, HaystackJoinsTheFieldsOfTheSearchMode) {
    const DbEntry entry = Entry("tDe", "tEn", "tFr", "dDe", "dEn", "dFr");
    struct Case {
        int mode;
        int language;
        std::string haystack;
    };
    const std::vector<Case> cases = {
        {0, 0, "Row;dDe"},
        {0, 1, "Row;dEn"},
        {0, 2, "Row;dFr"},
        {0, 7, "Row;dDe"},  // a language outside 0..2 reads German, as the index does
        {1, 0, "Row"},
        {1, 2, "Row"},
        {2, 0, "Row;tDe;tEn;tFr;dDe;dEn;dFr"},
        {2, 1, "Row;tDe;tEn;tFr;dDe;dEn;dFr"},
        {3, 2, "Row;tDe;tEn;tFr;dDe;dEn;dFr"},  // the code is searched beside it
        {9, 1, "Row;dEn"},                      // an unknown mode searches as the default mode 0
        {-1, 2, "Row;dFr"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SearchHaystack("Row", entry, c.mode, c.language), c.haystack)
            << "mode " << c.mode << " language " << c.language;
    }
    EXPECT_EQ(SearchHaystack("Theme", DbEntry{}, 0, 0), "Theme;");
    EXPECT_EQ(SearchHaystack("Theme", DbEntry{}, 2, 0), "Theme;;;;;;");
}

TEST_F(SearchTest, TermMatchesAnywhereIgnoringCase) {
    struct Case {
        std::string haystack;
        std::string term;
        bool found;
    };
    const std::vector<Case> cases = {
        {"gtk_button_new", "gtk", true},
        {"gtk_button_new", "BUTTON", true},
        {"gtk_button_new", "_New", true},
        {"gtk_button_new", "new_", false},
        {"GTK_BUTTON_NEW", "gtk_button_new", true},
        {"Käse", "KÄSE", true},
        {"KÄSE", "käse", true},
        {"Ärger", "är", true},
        {"Élément", "éLÉ", true},
        {"ÖSTERREICH", "östER", true},
        {"Straße", "STRASSE", false},  // one character stays one character
        {"Fenster;Window", "r;w", true},
        {"Knopf", "knöpf", false},
        {"✰gtk_button", "✰GTK", true},
        {"abc", "abcd", false},
        {"", "a", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContainsIgnoringCase(c.haystack, c.term), c.found) << c.haystack << " / " << c.term;
        SearchHaystacks haystacks;
        haystacks.Build({}, {c.haystack}, {});
        EXPECT_EQ(haystacks.FindRow(c.term, 0), c.found ? 0 : -1) << c.haystack << " / " << c.term;
    }
}

TEST_F(SearchTest, CaseFoldingFollowsTheLocale) {
    SearchHaystacks haystacks;
    haystacks.Build({}, {"ÄRGER über Alles"}, {});
    EXPECT_EQ(haystacks.FindRow("ärger", 0), 0);
    std::setlocale(LC_CTYPE, "C");
    // Without a UTF-8 locale only ASCII letters fold.
    EXPECT_TRUE(ContainsIgnoringCase("ÄRGER über ALLES", "alles"));
    EXPECT_FALSE(ContainsIgnoringCase("ÄRGER über ALLES", "ärger"));
    EXPECT_EQ(FoldCase("ÄA"), U"Äa");
}

TEST_F(SearchTest, SearchModeDecidesWhichFieldsAreFound) {
    const std::vector<std::string> rows = {"gtk_window_new"};
    const EntryList entries = {Entry("✰gtk_window_new", "gtk_window_new", "gtk_window_neuf", "Ein Fenster",
                                     "A window", "Une fenêtre")};
    struct Case {
        int mode;
        int language;
        std::string term;
        bool found;
    };
    const std::vector<Case> cases = {
        {1, 0, "WINDOW_NEW", true},    {1, 0, "fenster", false},
        {1, 0, "window_neuf", false},  {0, 0, "ein fenster", true},
        {0, 0, "a window", false},     {0, 1, "a window", true},
        {0, 2, "FENÊTRE", true},       {0, 2, "Ein Fenster", false},
        {0, 0, "new;ein", true},  // across the row text and the description
        {2, 0, "a window", true},      {2, 0, "une fenêtre", true},
        {2, 0, "window_neuf", true},   {2, 0, "✰gtk", true},  // the mark of the stored German title
        {1, 0, "✰gtk", false},         {0, 0, "✰gtk", false},
        {2, 0, "neuf;ein", true},      {2, 0, "fenster;a window;une", true},
        {2, 0, "une fenêtre;", false},  // nothing follows the last field
    };
    for (const Case& c : cases) {
        SearchHaystacks haystacks;
        haystacks.Build({1, c.mode, c.language}, rows, entries);
        EXPECT_EQ(haystacks.FindRow(c.term, 0), c.found ? 0 : -1)
            << "mode " << c.mode << " language " << c.language << " term " << c.term;
    }
}

TEST_F(SearchTest, SearchStartsAtTheStartRowWithoutWrappingAround) {
    const std::vector<std::string> rows = {"Label", "Button", "Entry", "Button box", "Label"};
    SearchHaystacks haystacks;
    haystacks.Build({}, rows, {});
    struct Case {
        std::string term;
        int startRow;
        int found;
    };
    const std::vector<Case> cases = {
        {"button", 0, 1}, {"button", 1, 1}, {"button", 2, 3},  {"button", 4, -1}, {"label", 1, 4},
        {"label", -5, 0}, {"label", 5, -1}, {"label", 99, -1}, {"", 0, -1},       {"z", 0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(haystacks.FindRow(c.term, c.startRow), c.found) << c.term << " from " << c.startRow;
    }
}

TEST_F(SearchTest, MatchNeverRunsFromOneRowIntoTheNext) {
    SearchHaystacks haystacks;
    haystacks.Build({}, {"ab", "cd", "xy"}, {});
    EXPECT_EQ(haystacks.FindRow("bc", 0), -1);
    EXPECT_EQ(haystacks.FindRow("b", 0), 0);
    EXPECT_EQ(haystacks.FindRow("d", 0), 1);
    EXPECT_EQ(haystacks.FindRow(std::string("b\0c", 3), 0), -1);
}

TEST_F(SearchTest, RowsWithoutEntriesSearchTheirTextOnly) {
    SearchHaystacks haystacks;
    haystacks.Build({2, 2, 0}, {"one", "two", "three"}, {Entry("", "", "", "first", "", "")});
    EXPECT_EQ(haystacks.FindRow("first", 0), 0);
    EXPECT_EQ(haystacks.FindRow("three", 0), 2);
    EXPECT_EQ(haystacks.RowCount(), 3);
}

TEST_F(SearchTest, ScopeTellsWhenTheHaystacksMustBeRebuilt) {
    SearchHaystacks haystacks;
    const SearchScope scope{7, 2, 1};
    EXPECT_FALSE(haystacks.IsBuiltFor(scope));
    haystacks.Build(scope, {"row"}, {});
    EXPECT_TRUE(haystacks.IsBuiltFor(scope));
    EXPECT_FALSE(haystacks.IsBuiltFor({8, 2, 1}));
    EXPECT_FALSE(haystacks.IsBuiltFor({7, 0, 1}));
    EXPECT_FALSE(haystacks.IsBuiltFor({7, 2, 2}));
    haystacks.Clear();
    EXPECT_FALSE(haystacks.IsBuiltFor(scope));
    EXPECT_EQ(haystacks.FindRow("row", 0), -1);
}

TEST_F(SearchTest, UpdateRebuildsForNewRowsModeOrLanguage) {
    IndexRows rows;
    rows.AppendRow("one", 0);
    const EntryList entries = {Entry("", "", "", "eins", "uno", "un")};
    SearchHaystacks haystacks;
    haystacks.Update(rows, entries, 0, 0);
    EXPECT_EQ(haystacks.FindRow("eins", 0), 0);
    haystacks.Update(rows, entries, 0, 1);
    EXPECT_EQ(haystacks.FindRow("eins", 0), -1);
    haystacks.Update(rows, entries, 1, 1);
    EXPECT_EQ(haystacks.FindRow("uno", 0), -1);
    rows.AppendRow("two", 1);
    haystacks.Update(rows, entries, 1, 1);
    EXPECT_EQ(haystacks.FindRow("two", 0), 1);
}

// The rows as the index tree receives them: head and theme rows take part, and a mark the
// index shows as an icon is only found through the stored title.
TEST_F(SearchTest, HeadAndThemeRowsOfTheIndexTakePart) {
    const std::string xml = R"(<Library title="Korvex GTK" descript_de="Bibliothek vom 2026-12-01 fertig">
  <Theme title="Buttons">
    <Entry File="/a.kx" theme_de="✰gtk_button_new" theme_en="gtk_button_new" theme_fr="gtk_button_new"
           descript_de="Ein Knopf" descript_en="A button" descript_fr="Un bouton"/>
  </Theme>
  <Theme title="Windows">
    <Entry File="/b.kx" theme_de="gtk_window_new" theme_en="gtk_window_new" theme_fr="gtk_window_new"
           descript_de="Ein Fenster" descript_en="A window" descript_fr="Une fenêtre"/>
  </Theme>
</Library>)";
    const XmlReadResult read = ParseXmlText(xml);
    ASSERT_EQ(read.status, XmlReadStatus::Parsed);
    Palette palette;
    ApplyPalette(palette, false);
    EntryList entries;
    std::string lastGroupTitle;
    int helpEntryIndex = 0;
    std::string dbVersion;
    IndexTreeState state{entries, lastGroupTitle, helpEntryIndex, dbVersion};
    IndexRows rows;
    FillIndexTree(read.document, read.document.Head(), 0, IndexTreeSettings{0, true, palette}, state, rows);
    ASSERT_EQ(rows.Count(), 5);

    struct Case {
        int mode;
        std::string term;
        int found;
    };
    const std::vector<Case> cases = {
        {0, "korvex", 0},      {0, "2026-12-01", 0},  {1, "2026-12-01", -1}, {2, "2026-12-01", 0},
        {1, "windows", 3},     {0, "knopf", 2},       {1, "gtk_button", 2},  {1, "✰", -1},
        {2, "✰gtk_button", 2}, {2, "une fenêtre", 4}, {0, "a window", -1},
    };
    for (const Case& c : cases) {
        SearchHaystacks haystacks;
        haystacks.Update(rows, entries, c.mode, 0);
        EXPECT_EQ(haystacks.FindRow(c.term, 0), c.found) << "mode " << c.mode << " term " << c.term;
    }
}

// Random rows and terms: the cached search must agree with the literal rule everywhere.
TEST_F(SearchTest, CachedSearchAgreesWithTheLiteralRule) {
    const std::vector<std::string> pieces = {
        "a",    "B",    "c", "Ä", "ä",   "É",   "é",
        ";",    " ",    "✰", "↺", "gtk", "GTK", "_",
        "\xFF", "\xC3", "ß", "Σ", "σ",   "İ",   "Long_ASCII_Run_Of_Some_Bytes"};
    std::mt19937 random(20261208);
    auto text = [&](int maxPieces) {
        std::string result;
        const int count = static_cast<int>(random() % static_cast<unsigned>(maxPieces + 1));
        for (int i = 0; i < count; ++i) {
            result += pieces[random() % pieces.size()];
        }
        return result;
    };
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> rows;
        EntryList entries;
        const int rowCount = 1 + static_cast<int>(random() % 30);
        for (int i = 0; i < rowCount; ++i) {
            rows.push_back(text(6));
            if (random() % 4 != 0) {
                entries.push_back(Entry(text(3), text(3), text(3), text(4), text(4), text(4)));
            }
        }
        for (int mode = 0; mode <= 2; ++mode) {
            const int language = static_cast<int>(random() % 3);
            SearchHaystacks haystacks;
            haystacks.Build({0, mode, language}, rows, entries);
            for (int probe = 0; probe < 30; ++probe) {
                const std::string term = text(3);
                const int start = static_cast<int>(random() % static_cast<unsigned>(rowCount + 2)) - 1;
                EXPECT_EQ(haystacks.FindRow(term, start),
                          LiteralFindRow(rows, entries, mode, language, term, start))
                    << "mode " << mode << " term '" << term << "' from " << start;
            }
        }
    }
}

// Row i names the code file "/i.kx" of `folder`, holding codes[i]; a row without code names none.
std::shared_ptr<const CodeReadingPlan> WriteCode(const test::TempFolder& folder,
                                                 const std::vector<std::optional<std::string>>& codes) {
    EntryList entries;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::string file = std::to_string(i) + ".kx";
        if (codes[i]) {
            folder.Write(file, *codes[i]);
        }
        entries.push_back(DbEntry{.file = codes[i] ? "/" + file : ""});
    }
    return std::make_shared<const CodeReadingPlan>(PlanCodeReading(entries, folder.Path()));
}

std::vector<CodeTextBatch> ReadBatches(const CodeReadingPlan& plan, std::uint64_t reading) {
    std::vector<CodeTextBatch> batches;
    EXPECT_TRUE(ReadCodeTexts(plan, reading, {}, [&](CodeTextBatch&& batch) { batches.push_back(batch); }));
    return batches;
}

// The rows' haystacks and their code, read completely.
struct CodeSearch {
    SearchHaystacks haystacks;
    CodeTextIndex code;
    CodeSearch(const std::vector<std::string>& rows, const std::vector<std::optional<std::string>>& codes) {
        const test::TempFolder folder;
        const auto plan = WriteCode(folder, codes);
        for (CodeTextBatch& batch : ReadBatches(*plan, code.Start(plan))) {
            code.Append(std::move(batch));
        }
        haystacks.Build({0, 3, 0}, rows, {});
    }
};

TEST_F(SearchTest, CodeIsSearchedAsTheViewShowsItUpToTheSizeBound) {
    const std::string large(kMaxSearchedCodeBytes - 6, 'x');
    struct Case {
        std::string code;
        std::string term;
        bool found;
    };
    const std::vector<Case> cases = {
        {"\xEF\xBB\xBFPrint \"Grüße\"", "GRÜ", true},
        {std::string("\xFF\xFEK\0\xE4\0s\0e\0", 10), "kÄSE", true},
        {"K\xE4se", "KÄSE", true},       // 8-bit text is Latin-1 ...
        {"K\xC3\xA4se", "käse", false},  // ... also where it would be UTF-8
        {"gtk_widget_show", "GTK_Widget", true},
        {"GTK_WIDGET_SHOW", "gtk_widget", true},
        {"Print\r\n; IDE Options = X\r\n; EnableUnicode", "enableunicode", false},
        {"Print\r\n; IDE Options = X", "print", true},
        {"??Debug x", "?debug", false},  // the view drops a line's leading "?"
        {large + "needle", "needle", true},
        {large + "needle!", "needle", false},  // one byte above the bound
    };
    for (const Case& c : cases) {
        const CodeSearch search({"Row"}, {c.code});
        EXPECT_EQ(FindRowWithCode(search.haystacks, search.code, c.term, 0),
                  (SearchHit{c.found ? 0 : -1, c.found}))
            << c.term;
    }
}

TEST_F(SearchTest, HitOnlyInCodeIsFlaggedAndTheEarlierRowWins) {
    const CodeSearch search({"Label", "Button", "Entry"},
                            {"gtk_label_new()", std::nullopt, "gtk_button_new() ' label"});
    struct Case {
        std::string term;
        int startRow;
        SearchHit hit;
    };
    const std::vector<Case> cases = {
        {"button", 0, {1, false}},     {"gtk_button", 0, {2, true}}, {"label", 0, {0, false}},
        {"label", 1, {2, true}},       {"GTK_LABEL", 0, {0, true}},  {"entry", 0, {2, false}},
        {"label_new", 1, {-1, false}}, {"new()", 1, {2, true}},      {"", 0, {-1, false}},
        {"()\ngtk", 0, {-1, false}},  // code never runs into the next row's code
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindRowWithCode(search.haystacks, search.code, c.term, c.startRow), c.hit)
            << c.term << " from " << c.startRow;
    }
}

TEST_F(SearchTest, RowsNotReadYetAreSearchedWithoutTheirCode) {
    const test::TempFolder folder;
    const auto plan =
        WriteCode(folder, {std::string(kMaxSearchedCodeBytes, 'x'), std::nullopt, "gtk_entry_new"});
    SearchHaystacks haystacks;
    haystacks.Build({0, 3, 0}, {"a", "b", "c"}, {});
    CodeTextIndex code;
    std::vector<CodeTextBatch> batches = ReadBatches(*plan, code.Start(plan));
    ASSERT_EQ(batches.size(), 2u);  // the first file fills a batch
    EXPECT_TRUE(code.Append(CodeTextBatch(batches[0])));
    EXPECT_EQ(code.RowsRead(), 2);
    EXPECT_EQ(FindRowWithCode(haystacks, code, "gtk_entry", 0), SearchHit{});
    EXPECT_TRUE(code.Append(CodeTextBatch(batches[1])));
    EXPECT_TRUE(code.Complete());
    EXPECT_EQ(FindRowWithCode(haystacks, code, "gtk_entry", 0), (SearchHit{2, true}));

    // A new reading refuses the batches of the old one; a stopped reading hands over nothing.
    EXPECT_TRUE(code.IsFor(*plan));
    code.Start(plan);
    EXPECT_FALSE(code.Append(std::move(batches[0])));
    EXPECT_FALSE(code.IsFor(CodeReadingPlan{}));
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(ReadCodeTexts(*plan, 1, stop.get_token(), [](CodeTextBatch&&) { ADD_FAILURE(); }));
}

TEST(NotFoundHintTest, AWindowThatCannotMoveFlashesInsteadOfShaking) {
    struct Case {
        int searchHint;
        bool windowMoves;
        bool shake;
        bool flash;
    };
    for (const Case& c : {Case{0, true, true, true}, Case{1, true, true, false}, Case{2, true, false, true},
                          Case{7, true, true, true}, Case{0, false, false, true}, Case{1, false, false, true},
                          Case{2, false, false, true}}) {
        const NotFoundHint hint = NotFoundHintFor(c.searchHint, c.windowMoves);
        EXPECT_EQ(hint.shake, c.shake) << c.searchHint << " " << c.windowMoves;
        EXPECT_EQ(hint.flash, c.flash) << c.searchHint << " " << c.windowMoves;
    }
}

}  // namespace
}  // namespace quillmate
