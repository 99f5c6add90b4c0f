#include "settings/LanguageTable.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quillmate {
namespace {

namespace fs = std::filesystem;

using Text = std::optional<std::string>;

// Restores the environment variable "LANG" as it was.
class SavedLang {
  public:
    SavedLang() {
        if (const char* lang = std::getenv("LANG")) {
            m_value = lang;
        }
    }
    ~SavedLang() {
        if (m_value) {
            ::setenv("LANG", m_value->c_str(), 1);
        } else {
            ::unsetenv("LANG");
        }
    }
    SavedLang(const SavedLang&) = delete;
    SavedLang& operator=(const SavedLang&) = delete;

  private:
    std::optional<std::string> m_value;
};

class LanguageTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device device;
        m_folder = fs::temp_directory_path() /
                   ("qm-lang-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
        fs::create_directories(m_folder);
        m_file = (m_folder / "QuillmateLang.inf").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void WriteFile(const std::string& bytes) const { std::ofstream(m_file, std::ios::binary) << bytes; }

    // A table loaded from `content`.
    static LanguageTable Parsed(const std::string& content) {
        LanguageTable table;
        table.LoadText(content);
        return table;
    }

    fs::path m_folder;
    std::string m_file;
};

const std::string kSearchItem =
    "[LanguageItems]\n"
    "Key = #Cnf_LabelSearch\n"
    "de = Suche in\n"
    "en = Search in\n"
    "fr = Chercher dans\n";

TEST_F(LanguageTableTest, ItemsAreReadAfterTheItemsSectionOnly) {
    struct Case {
        const char* name;
        std::string content;
        std::string key;
        bool isTooltip;
        Text de;
        Text en;
    };
    const std::vector<Case> cases = {
        {"item after the section line", kSearchItem, "#Cnf_LabelSearch", false, "Suche in", "Search in"},
        {"item before the section line is ignored",
         "Key = A\nde = a\nen = b\nfr = c\n[LanguageItems]\n",
         "A",
         false,
         {},
         {}},
        {"no section line at all", "Key = A\nde = a\nen = b\nfr = c\n", "A", false, {}, {}},
        {"section line with leading spaces", "   [LanguageItems]\nKey = A\nde = a\nen = b\nfr = c\n", "A",
         false, "a", "b"},
        {"byte-order mark before the section line",
         "\xEF\xBB\xBF[LanguageItems]\nKey = A\nde = a\nen = b\nfr = c\n", "A", false, "a", "b"},
        {"tooltip section makes the following items tooltips",
         "[LanguageItems]\nKey = A\nde = a\nen = b\nfr = c\n[Tooltips]\nKey = A\nde = ta\nen = tb\nfr = tc\n",
         "A", true, "ta", "tb"},
        {"labels before the tooltip section stay labels",
         "[LanguageItems]\nKey = A\nde = a\nen = b\nfr = c\n[Tooltips]\nKey = A\nde = ta\nen = tb\nfr = tc\n",
         "A", false, "a", "b"},
        {"tooltip section before any item: the item is a tooltip",
         "[LanguageItems]\n[Tooltips]\nKey = A\nde = a\nen = b\nfr = c\n", "A", true, "a", "b"},
        {"tooltip section before any item: no label",
         "[LanguageItems]\n[Tooltips]\nKey = A\nde = a\nen = b\nfr = c\n",
         "A",
         false,
         {},
         {}},
        {"tooltip section line before the items section has no effect",
         "[Tooltips]\n[LanguageItems]\nKey = A\nde = a\nen = b\nfr = c\n", "A", false, "a", "b"},
    };
    for (const Case& c : cases) {
        LanguageTable table = Parsed(c.content);
        EXPECT_EQ(table.GetText(c.key, c.isTooltip, "de"), c.de) << c.name;
        EXPECT_EQ(table.GetText(c.key, c.isTooltip, "en"), c.en) << c.name;
    }
}

TEST_F(LanguageTableTest, SpacesAreTrimmedWhereTheFileFormatSays) {
    struct Case {
        const char* name;
        std::string lines;  // after "[LanguageItems]\n"
        std::string key;
        Text de;
    };
    const std::vector<Case> cases = {
        {"leading spaces before every line", "    Key = A\n  de = a\n  en = b\n  fr = c\n", "A", "a"},
        {"no spaces around the equals sign", "Key=A\nde=a\nen=b\nfr=c\n", "A", "a"},
        {"many spaces around the equals sign", "Key     =     A\nde   =   a\nen=b\nfr=c\n", "A", "a"},
        {"trailing spaces of a text stay", "Key = A\nde = App-Update  \nen = b\nfr = c\n", "A",
         "App-Update  "},
        {"trailing spaces of a key stay part of it", "Key = A  \nde = a\nen = b\nfr = c\n", "A  ", "a"},
        {"tabs inside a text stay", "Key = A\nde = one\ttwo\tthree\nen = b\nfr = c\n", "A",
         "one\ttwo\tthree"},
        {"a tab after the value's equals sign stays", "Key = A\nde =\ta\nen = b\nfr = c\n", "A", "\ta"},
        {"CR LF line ends", "Key = A\r\nde = a\r\nen = b\r\nfr = c\r\n", "A", "a"},
        {"last line without a line feed", "Key = A\nde = a\nen = b\nfr = c", "A", "a"},
        {"an empty text", "Key = A\nde =\nen = b\nfr = c\n", "A", ""},
        {"equals signs inside a text stay", "Key = A\nde = a = b\nen = b\nfr = c\n", "A", "a = b"},
        {"a CR inside a line stays", "Key = A\nde = a\rb\nen = b\nfr = c\n", "A", "a\rb"},
    };
    for (const Case& c : cases) {
        LanguageTable table = Parsed("[LanguageItems]\n" + c.lines);
        EXPECT_EQ(table.GetText(c.key, false, "de"), c.de) << c.name;
    }
}

TEST_F(LanguageTableTest, TabsAreNeverTrimmedFromNames) {
    const std::vector<std::string> contents = {
        "[LanguageItems]\n\tKey = A\nde = a\nen = b\nfr = c\n",
        "[LanguageItems]\nKey\t= A\nde = a\nen = b\nfr = c\n",
        "[LanguageItems]\nKey = A\n\tde = a\nen = b\nfr = c\n",
        "[LanguageItems]\nKey = A\nde\t= a\nen = b\nfr = c\n",
    };
    for (const std::string& content : contents) {
        LanguageTable table = Parsed(content);
        EXPECT_EQ(table.GetText("A", false, "de"), std::nullopt) << content;
    }
}

TEST_F(LanguageTableTest, StrayAndMissingLanguageLinesAreIgnored) {
    struct Case {
        const char* name;
        std::string lines;  // after "[LanguageItems]\n"
        Text aDe;
        Text aEn;
        Text aFr;
        Text bDe;  // the item after it, when there is one
    };
    const std::vector<Case> cases = {
        {"complete item", "Key = A\nde = a\nen = b\nfr = c\n", "a", "b", "c", {}},
        {"key without a German line adds no entry", "Key = A\nen = b\nfr = c\n", {}, {}, {}, {}},
        {"key line at the end of the file", "Key = A", {}, {}, {}, {}},
        {"missing English line", "Key = A\nde = a\nfr = c\nKey = B\nde = x\n", "a", {}, {}, "x"},
        {"missing French line", "Key = A\nde = a\nen = b\nKey = B\nde = x\n", "a", "b", {}, "x"},
        {"languages in the wrong order", "Key = A\nde = a\nfr = c\nen = b\n", "a", {}, {}, {}},
        {"key directly after a key", "Key = A\nKey = B\nde = x\nen = y\nfr = z\n", {}, {}, {}, "x"},
        {"stray language lines outside items", "en = b\nfr = c\nde = a\nKey = B\nde = x\n", {}, {}, {}, "x"},
        {"comment lines between items", "; labels\nKey = A\nde = a\nen = b\nfr = c\n\n# x\nKey = B\nde = x\n",
         "a", "b", "c", "x"},
        {"later item of the same key overwrites the texts it has",
         "Key = A\nde = a\nen = b\nfr = c\nKey = A\nde = a2\nxx\nfr = c2\n",
         "a2",
         "b",
         "c2",
         {}},
        {"later item without a German line leaves the entry alone",
         "Key = A\nde = a\nen = b\nfr = c\nKey = A\nen = b2\nfr = c2\n",
         "a",
         "b",
         "c",
         {}},
    };
    for (const Case& c : cases) {
        LanguageTable table = Parsed("[LanguageItems]\n" + c.lines);
        EXPECT_EQ(table.GetText("A", false, "de"), c.aDe) << c.name;
        EXPECT_EQ(table.GetText("A", false, "en"), c.aEn) << c.name;
        EXPECT_EQ(table.GetText("A", false, "fr"), c.aFr) << c.name;
        EXPECT_EQ(table.GetText("B", false, "de"), c.bDe) << c.name;
    }
}

TEST_F(LanguageTableTest, KeysAndLanguageCodesMatchExactly) {
    LanguageTable table = Parsed(kSearchItem);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "fr"), "Chercher dans");
    EXPECT_EQ(table.GetText("#cnf_labelsearch", false, "de"), std::nullopt);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch ", false, "de"), std::nullopt);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", true, "de"), std::nullopt);
    for (const char* code : {"DE", "En", "es", "d", "deu"}) {
        EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, code), std::nullopt) << code;
    }
    LanguageTable lowerCaseKey = Parsed("[LanguageItems]\nKey = #cnf_labelsearch\nde = a\nen = b\nfr = c\n");
    EXPECT_EQ(lowerCaseKey.GetText("#Cnf_LabelSearch", false, "de"), std::nullopt);
}

TEST_F(LanguageTableTest, EmptyLanguageCodeFollowsTheFirstTwoCharactersOfLang) {
    const SavedLang saved;
    struct Case {
        std::optional<std::string> lang;  // nothing: unset
        Text text;
    };
    const std::vector<Case> cases = {
        {"fr_FR.UTF-8", "Chercher dans"},
        {"en_GB.UTF-8", "Search in"},
        {"de", "Suche in"},
        {"f", {}},
        {"EN_us", {}},
        {"C.UTF-8", {}},
        {"", {}},
        {std::nullopt, {}},
    };
    for (const Case& c : cases) {
        if (c.lang) {
            ::setenv("LANG", c.lang->c_str(), 1);
        } else {
            ::unsetenv("LANG");
        }
        LanguageTable table = Parsed(kSearchItem);
        EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, ""), c.text) << c.lang.value_or("(unset)");
        // A language number outside 0..2 has the empty code and so follows LANG as well.
        EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, LanguageCode(7)), c.text);
        // A given code does not look at LANG.
        EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, LanguageCode(0)), "Suche in");
    }
}

TEST_F(LanguageTableTest, FileIsReadOnceOnTheFirstLookup) {
    WriteFile(kSearchItem);
    LanguageTable table(m_file);
    EXPECT_FALSE(table.Loaded());
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "en"), "Search in");
    EXPECT_TRUE(table.Loaded());
    WriteFile("[LanguageItems]\nKey = #Cnf_LabelSearch\nde = x\nen = y\nfr = z\n");
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "en"), "Search in");
    EXPECT_FALSE(table.TakeMissingFileWarning());
}

TEST_F(LanguageTableTest, FileWithoutItemsCountsAsLoaded) {
    WriteFile("just some text\n");
    LanguageTable table(m_file);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "de"), std::nullopt);
    EXPECT_TRUE(table.Loaded());
    EXPECT_FALSE(table.TakeMissingFileWarning());
}

TEST_F(LanguageTableTest, MissingFileWarnsOnceAndIsRetried) {
    LanguageTable table(m_file);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "de"), std::nullopt);
    EXPECT_FALSE(table.Loaded());
    EXPECT_TRUE(table.TakeMissingFileWarning());
    EXPECT_FALSE(table.TakeMissingFileWarning());
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", true, "en"), std::nullopt);
    EXPECT_FALSE(table.TakeMissingFileWarning());

    WriteFile(kSearchItem);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "de"), "Suche in");
    EXPECT_TRUE(table.Loaded());
    EXPECT_FALSE(table.TakeMissingFileWarning());
}

TEST_F(LanguageTableTest, FolderInPlaceOfTheFileCountsAsMissing) {
    fs::create_directories(m_file);
    LanguageTable table(m_file);
    EXPECT_EQ(table.GetText("#Cnf_LabelSearch", false, "de"), std::nullopt);
    EXPECT_FALSE(table.Loaded());
    EXPECT_TRUE(table.TakeMissingFileWarning());
}

TEST_F(LanguageTableTest, TextsAreAlwaysWellFormedUtf8) {
    LanguageTable table = Parsed(
        "[LanguageItems]\nKey = A\nde = Gr\xC3\xB6\xC3\x9F"
        "e\nen = bad\xFF\xC3\nfr = c\n");
    EXPECT_EQ(table.GetText("A", false, "de"),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(table.GetText("A", false, "en"), "bad\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(LanguageTableTest, HostileFilesAreReadWithinBounds) {
    // Random bytes, with the section line and item lines sprinkled in.
    std::mt19937 random(12345);
    std::string garbage = "[LanguageItems]\n";
    for (int i = 0; i < 200000; ++i) {
        garbage.push_back(static_cast<char>(random() & 0xFF));
        if (i % 997 == 0) {
            garbage += "\nKey = G\nde = \x80\n";
        }
    }
    WriteFile(garbage);
    LanguageTable garbageTable(m_file);
    EXPECT_TRUE(garbageTable.GetText("G", false, "de").has_value());
    EXPECT_TRUE(garbageTable.Loaded());

    // One line of 10 MB without a line feed, beyond the bytes that are read.
    std::string longLine = "[LanguageItems]\nKey = A\nde = a\nen = b\nfr = c\nKey = B\nde = ";
    longLine.append(10u * 1024u * 1024u, 'x');
    WriteFile(longLine);
    LanguageTable longTable(m_file);
    EXPECT_EQ(longTable.GetText("A", false, "fr"), "c");
    const Text cut = longTable.GetText("B", false, "de");
    ASSERT_TRUE(cut.has_value());
    EXPECT_LT(cut->size(), LanguageTable::kMaxFileBytes);
}

}  // namespace
}  // namespace quillmate
