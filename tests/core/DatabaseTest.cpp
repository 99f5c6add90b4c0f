#include "database/Database.h"
#include "database/IndexRows.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace quillmate {
namespace {

const std::string kNew(NewMark);
const std::string kChanged(ChangedMark);

using test::TempFolder;

// Everything one build writes, and the documents its entries view.
struct Build {
    std::vector<std::unique_ptr<XmlDocument>> documents;
    std::vector<IndexRow> rows;
    IndexRows sink;
    const std::string& Background(std::size_t row) const { return sink.Colour(rows[row].background); }
    const std::string& Foreground(std::size_t row) const { return sink.Colour(rows[row].foreground); }
    EntryList entries;
    std::string lastGroupTitle;
    int helpEntryIndex = 0;
    std::string dbVersion;
};

struct Options {
    int language = 0;
    bool dyeingNews = true;
    bool darkMode = false;
};

void FillFromHead(XmlDocument read, const Options& options, Build& build) {
    const XmlDocument& document =
        *build.documents.emplace_back(std::make_unique<XmlDocument>(std::move(read)));
    Palette palette;
    ApplyPalette(palette, options.darkMode);
    const IndexTreeSettings settings{options.language, options.dyeingNews, palette};
    IndexTreeState state{build.entries, build.lastGroupTitle, build.helpEntryIndex, build.dbVersion};
    build.sink.Clear();
    FillIndexTree(document, document.Head(), 0, settings, state, build.sink);
    build.rows = build.sink.Rows();
}

Build BuildFrom(const std::string& xml, const Options& options = {}) {
    XmlReadResult read = ParseXmlText(xml);
    EXPECT_EQ(read.status, XmlReadStatus::Parsed) << xml;
    Build build;
    FillFromHead(std::move(read.document), options, build);
    return build;
}

// A document with one head, one theme and one entry carrying the given attributes.
std::string OneEntry(const std::string& attributes) {
    return "<Toc title=\"T\"><Theme name=\"A\"><Entry " + attributes + "/></Theme></Toc>";
}

std::string Attribute(const std::string& name, const std::string& value) {
    return name + "=\"" + value + "\" ";
}

// ---- Loader -------------------------------------------------------------------------------

TEST(DatabaseLoadTest, FilesThatCannotBeUsedGiveTheirMessage) {
    TempFolder folder;
    const std::string fifo = folder.Path() + "/pipe.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string empty = folder.Write("empty.xml", "");
    const std::string missing = folder.Path() + "/missing.xml";
    struct Case {
        std::string path;
        DatabaseReadStatus status;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"", DatabaseReadStatus::NoPath, "No database selected. Programm canceled!"},
        {empty, DatabaseReadStatus::CannotOpen, "The database '" + empty + "' cannot be opened."},
        {missing, DatabaseReadStatus::CannotOpen, "The database '" + missing + "' cannot be opened."},
        {folder.Path(), DatabaseReadStatus::CannotOpen,
         "The database '" + folder.Path() + "' cannot be opened."},
        {fifo, DatabaseReadStatus::CannotOpen, "The database '" + fifo + "' cannot be opened."},
    };
    for (const auto& c : cases) {
        const DatabaseLoadResult result = LoadDatabaseFile(c.path);
        EXPECT_EQ(result.status, c.status) << c.path;
        EXPECT_EQ(result.messageTitle, "Quillmate-Error") << c.path;
        EXPECT_EQ(result.messageText, c.text) << c.path;
        EXPECT_FALSE(result.document.HasHead()) << c.path;
    }
}

TEST(DatabaseLoadTest, SyntaxErrorMessageNamesLineAndColumnFromOne) {
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Toc title=\"T\">\n"
        "  <Theme name=\"A\">\n"
        "    <Entry theme_de=\"x\" File=\"a.kx\"/>\n"
        "    <Entry theme_de=\"y\" File=\"b.kx\">\n"
        "    <Entry theme_de=\"z\" File=\"c.kx\"/>\n";
    struct Case {
        std::string line7;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"</Theme>\n</Toc>\n", "Error in the XML file:\rMessage: mismatched tag\rLine: 7   Character: 3"},
        {"\x01</Entry></Theme></Toc>\n",
         "Error in the XML file:\rMessage: not well-formed (invalid token)\rLine: 7   Character: 1"},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        const std::string path = folder.Write("broken.xml", head + c.line7);
        const DatabaseLoadResult result = LoadDatabaseFile(path);
        EXPECT_EQ(result.status, DatabaseReadStatus::SyntaxError);
        EXPECT_EQ(result.messageTitle, "QuillmateError");
        EXPECT_EQ(result.messageText, c.text);
        // The elements before the error stay readable.
        EXPECT_EQ(result.document.ElementCount(), 5u);
    }
}

TEST(DatabaseLoadTest, WellFormedFileLoadsWithoutMessage) {
    const DatabaseLoadResult result =
        LoadDatabaseFile(std::string(QUILLMATE_SOURCE_DIR) + "/tests/data/database/Sample-Toc.xml");
    EXPECT_EQ(result.status, DatabaseReadStatus::Loaded);
    EXPECT_EQ(result.messageTitle, "");
    EXPECT_EQ(result.messageText, "");
    EXPECT_EQ(result.document.ElementCount(), 9u);
}

TEST(DatabaseLoadTest, ReloadKeepsTheDocumentUnlessTheFileCanBeParsed) {
    TempFolder folder;
    const std::string good = folder.Write("good.xml", "<Old><Theme/></Old>");
    const std::string empty = folder.Write("empty.xml", "");
    const std::string broken = folder.Write("broken.xml", "<New><Theme name=\"A\"><Entry/>\n<");
    const std::string replacement = folder.Write("new.xml", "<New/>");
    std::string deep = "<New>";
    for (std::size_t level = 0; level < kMaxXmlDepth; ++level) {
        deep += "<x>";
    }
    const std::string tooDeep = folder.Write("deep.xml", deep);
    struct Case {
        std::string path;
        DatabaseReadStatus status;
        std::string headName;
        std::size_t elements;
    };
    const std::vector<Case> cases = {
        {folder.Path() + "/missing.xml", DatabaseReadStatus::CannotOpen, "Old", 2},
        {empty, DatabaseReadStatus::CannotOpen, "Old", 2},
        {folder.Path(), DatabaseReadStatus::CannotOpen, "Old", 2},
        {"", DatabaseReadStatus::NoPath, "Old", 2},
        {tooDeep, DatabaseReadStatus::TooDeep, "Old", 2},
        {broken, DatabaseReadStatus::SyntaxError, "New", 3},
        {replacement, DatabaseReadStatus::Loaded, "New", 1},
    };
    for (const auto& c : cases) {
        XmlDocument document = LoadDatabaseFile(good).document;
        EXPECT_EQ(ReloadDatabaseFile(c.path, document), c.status) << c.path;
        ASSERT_TRUE(document.HasHead()) << c.path;
        EXPECT_EQ(document.Name(0), c.headName) << c.path;
        EXPECT_EQ(document.ElementCount(), c.elements) << c.path;
    }
}

TEST(DatabaseLoadTest, PartialDocumentAfterSyntaxErrorFillsTheTree) {
    TempFolder folder;
    const std::string path = folder.Write(
        "broken.xml",
        "<Toc title=\"Lib\"><Theme name=\"A\">Intro<Entry theme_de=\"One\" File=\"1.kx\"/>\n<Entry <");
    XmlDocument document;
    EXPECT_EQ(ReloadDatabaseFile(path, document), DatabaseReadStatus::SyntaxError);
    Build build;
    FillFromHead(document, {}, build);
    ASSERT_EQ(build.rows.size(), 3u);
    EXPECT_EQ(build.rows[2].text, "One");
    EXPECT_EQ(build.entries[1].nodeText, "Intro");
    EXPECT_EQ(build.entries[2].file, "1.kx");
}

// ---- Rows and entries ---------------------------------------------------------------------

TEST(FillIndexTreeTest, SampleDatabaseGivesRowsAndEntriesInDocumentOrder) {
    const DatabaseLoadResult loaded =
        LoadDatabaseFile(std::string(QUILLMATE_SOURCE_DIR) + "/tests/data/database/Sample-Toc.xml");
    ASSERT_EQ(loaded.status, DatabaseReadStatus::Loaded);
    Build build;
    FillFromHead(loaded.document, {}, build);

    struct Expected {
        std::string text;
        int depth;
        std::string background;
        RowIcon icon;
        std::string groupTitle;
        std::string nodeText;
        std::string file;
    };
    const std::vector<Expected> expected = {
        {"Korvex GTK Library", 0, "#666666", RowIcon::None, "Korvex GTK Library", "Library of small examples",
         ""},
        {"Quillmate", 1, "#B8B8B8", RowIcon::None, "Quillmate", "Help and program", ""},
        {"Hilfe", 2, "", RowIcon::None, "Quillmate", "", "/Quillmate/ViewerHelp.txt"},
        {"Buttons", 1, "#E8E8E8", RowIcon::None, "Buttons", "Button examples", ""},
        {"Einfacher Knopf", 2, "", RowIcon::New, "Buttons", "", "/Buttons/Simple.kx"},
        {"Umschaltknopf [>=gtk3.10]", 2, "", RowIcon::Changed, "Buttons", "", "Buttons/Toggle.kx"},
        {"Unterbeispiel", 3, "", RowIcon::None, "Buttons", "", "Buttons/Toggle2.kx"},
        {"Windows", 1, "#F0F0F0", RowIcon::None, "Windows", "", ""},
        {"Fenster", 2, "", RowIcon::None, "Windows", "", "//Windows/Window.kx"},
    };
    ASSERT_EQ(build.rows.size(), expected.size());
    ASSERT_EQ(build.entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(build.rows[i].text, expected[i].text) << i;
        EXPECT_EQ(build.rows[i].depth, expected[i].depth) << i;
        EXPECT_EQ(build.Background(i), expected[i].background) << i;
        EXPECT_EQ(build.rows[i].icon, expected[i].icon) << i;
        EXPECT_EQ(build.entries[i].groupTitle, expected[i].groupTitle) << i;
        EXPECT_EQ(build.entries[i].nodeText, expected[i].nodeText) << i;
        EXPECT_EQ(build.entries[i].file, expected[i].file) << i;
    }
    EXPECT_EQ(build.Foreground(0), "#FFFFFF");
    EXPECT_EQ(build.entries[0].descriptEn, "Korvex examples for GTK");
    EXPECT_EQ(build.entries[4].themeDe, kNew + "Einfacher Knopf");
    EXPECT_EQ(build.entries[4].descriptFr, "Un bouton");
    EXPECT_EQ(build.helpEntryIndex, 2);
    EXPECT_EQ(build.dbVersion, "2021-03-14");
    EXPECT_EQ(build.lastGroupTitle, "Windows");
}

TEST(FillIndexTreeTest, TitleTextJoinsOtherAttributesInOrder) {
    const Build build = BuildFrom(
        "<Toc a=\"x\" theme_de=\"De\" File=\"\" b=\"y\" descript_fr=\"Fr\"><Theme c=\"1\" d=\"2\"/></Toc>");
    EXPECT_EQ(build.rows[0].text, "xy");
    EXPECT_EQ(build.entries[0].groupTitle, "xy");
    EXPECT_EQ(build.entries[0].themeDe, "De");
    EXPECT_EQ(build.entries[0].descriptFr, "Fr");
    EXPECT_EQ(build.rows[1].text, "12");
}

TEST(FillIndexTreeTest, NodeTextIsTrimmedOfSpaceLineFeedReturnAndTab) {
    struct Case {
        std::string content;
        std::string nodeText;
    };
    const std::vector<Case> cases = {
        {"  \n Intro text\t", "Intro text"},
        {"\r\n first\n second \r\n", "first\n second"},
        {" \t\r\n ", ""},
        {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},
        {"Intro<![CDATA[ hidden ]]> text<!-- note -->", "Intro text"},
        {"a<Entry/>b", "ab"},
    };
    for (const auto& c : cases) {
        const Build build = BuildFrom("<Toc><Theme name=\"T\">" + c.content + "</Theme></Toc>");
        ASSERT_GE(build.entries.size(), 2u) << c.content;
        EXPECT_EQ(build.entries[1].nodeText, c.nodeText) << c.content;
    }
}

TEST(FillIndexTreeTest, CommentsAndInstructionsGiveNoRows) {
    const Build build = BuildFrom(
        "<Toc><!-- head note --><Theme name=\"T\"><!-- a --><Entry theme_de=\"One\" File=\"1.kx\"/><?pi x?>"
        "<!-- b --><Entry theme_de=\"Two\" File=\"2.kx\"/><![CDATA[<Entry "
        "theme_de=\"Three\"/>]]></Theme></Toc>");
    ASSERT_EQ(build.rows.size(), 4u);
    ASSERT_EQ(build.entries.size(), 4u);
    EXPECT_EQ(build.rows[2].text, "One");
    EXPECT_EQ(build.entries[2].file, "1.kx");
    EXPECT_EQ(build.rows[3].text, "Two");
    EXPECT_EQ(build.entries[3].file, "2.kx");
}

TEST(FillIndexTreeTest, DatabaseVersionIsTheFourthSpaceSeparatedField) {
    struct Case {
        std::string description;
        std::string version;
    };
    const std::vector<Case> cases = {
        {"Library of samples 2021-03-14 final", "2021-03-14"},
        {"Library  of samples 2021-03-14 final", "samples"},
        {"Library of samples 2021-03-14", "2021-03-14"},
        {"Library of samples", ""},
        {"Library of samples ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DatabaseVersionWord(c.description), c.version) << c.description;
        const Build build = BuildFrom("<Toc descript_de=\"" + c.description +
                                      "\"><Theme descript_de=\"w x y 1999-01-01\"/></Toc>");
        EXPECT_EQ(build.dbVersion, c.version) << c.description;
    }
}

TEST(FillIndexTreeTest, HelpEntryIsTheLastViewerHelpFile) {
    struct Case {
        std::vector<std::string> files;
        int helpEntryIndex;  // rows 0 and 1 are head and theme; -7 stands for "left alone"
    };
    const std::vector<Case> cases = {
        {{"a/ViewerHelp.txt", "b/ViewerHelp.txt"}, 3},
        {{"a/ViewerHelp.txt", "b/Other.kx"}, 2},
        {{"x.kx", "ViewerHelp.txt"}, 3},
        {{"a/ViewerHelp.txt.bak", "a/viewerhelp.txt"}, -7},
        {{"ViewerHelp.txt/", "a/MyViewerHelp.txt"}, -7},
    };
    for (const auto& c : cases) {
        std::string xml = "<Toc><Theme>";
        for (const auto& file : c.files) {
            xml += "<Entry File=\"" + file + "\"/>";
        }
        xml += "</Theme></Toc>";
        Build build;
        build.helpEntryIndex = -7;
        FillFromHead(ParseXmlText(xml).document, {}, build);
        EXPECT_EQ(build.helpEntryIndex, c.helpEntryIndex) << c.files[0];
    }
}

TEST(FillIndexTreeTest, MarksBecomeIconsOrLeaveTheChosenTitle) {
    struct Case {
        std::string name;
        int language;
        bool dyeingNews;
        std::string de, en, fr;
        std::string rowText;
        RowIcon icon;
        std::string storedDe, storedEn, storedFr;
    };
    const std::vector<Case> cases = {
        {"off, English: only the English title loses its mark", 1, false, kNew + "Foo", kNew + "Foo", "Foo",
         "Foo", RowIcon::None, kNew + "Foo", "Foo", "Foo"},
        {"off, German", 0, false, kChanged + "Foo", "Foo", "Foo", "Foo", RowIcon::None, "Foo", "Foo", "Foo"},
        {"off, French", 2, false, kNew + "De", kNew + "En", kChanged + "Fr", "Fr", RowIcon::None, kNew + "De",
         kNew + "En", "Fr"},
        {"off, only one mark goes", 0, false, kNew + kNew + "Twice", "", "", kNew + "Twice", RowIcon::None,
         kNew + "Twice", "", ""},
        {"on, German new", 0, true, kNew + "Foo", "", "", "Foo", RowIcon::New, kNew + "Foo", "", ""},
        {"on, German changed", 0, true, kChanged + "Foo", "", "", "Foo", RowIcon::Changed, kChanged + "Foo",
         "", ""},
        {"on, English marked too", 1, true, kNew + "Foo", kNew + "Bar", "", "Bar", RowIcon::New, kNew + "Foo",
         kNew + "Bar", ""},
        {"on, unmarked English keeps its first letter", 1, true, kNew + "Foo", "Widgets", "", "Widgets",
         RowIcon::New, kNew + "Foo", "Widgets", ""},
        {"on, the German title decides", 2, true, "Foo", "", kNew + "Fr", kNew + "Fr", RowIcon::None, "Foo",
         "", kNew + "Fr"},
        {"on, mark not first", 0, true, "x" + kNew, "", "", "x" + kNew, RowIcon::None, "x" + kNew, "", ""},
        {"on, other first character", 0, true,
         "\xE2\x9C\xB1"
         "Foo",
         "", "",
         "\xE2\x9C\xB1"
         "Foo",
         RowIcon::None,
         "\xE2\x9C\xB1"
         "Foo",
         "", ""},
    };
    for (const auto& c : cases) {
        const Build build = BuildFrom(
            OneEntry(Attribute("theme_de", c.de) + Attribute("theme_en", c.en) + Attribute("theme_fr", c.fr)),
            {c.language, c.dyeingNews, false});
        ASSERT_EQ(build.rows.size(), 3u) << c.name;
        EXPECT_EQ(build.rows[2].text, c.rowText) << c.name;
        EXPECT_EQ(build.rows[2].icon, c.icon) << c.name;
        EXPECT_EQ(build.entries[2].themeDe, c.storedDe) << c.name;
        EXPECT_EQ(build.entries[2].themeEn, c.storedEn) << c.name;
        EXPECT_EQ(build.entries[2].themeFr, c.storedFr) << c.name;
    }
}

TEST(FillIndexTreeTest, HeadAndThemeRowsShowTheirTitleTextWithMarks) {
    const Build build = BuildFrom("<Toc t=\"" + kNew + "Lib\" theme_de=\"" + kNew + "X\"><Theme t=\"" +
                                      kChanged + "A\" theme_de=\"" + kChanged + "Y\"/></Toc>",
                                  {0, false, false});
    EXPECT_EQ(build.rows[0].text, kNew + "Lib");
    EXPECT_EQ(build.rows[1].text, kChanged + "A");
    EXPECT_EQ(build.entries[1].themeDe, kChanged + "Y");
    const Build dyed = BuildFrom("<Toc><Theme t=\"A\" theme_de=\"" + kChanged + "Y\"/></Toc>");
    EXPECT_EQ(dyed.rows[1].icon, RowIcon::Changed);
}

TEST(FillIndexTreeTest, ThemesAreShadedAlternately) {
    struct Case {
        std::vector<std::string> titles;
        bool darkMode;
        std::vector<std::string> backgrounds;
    };
    const std::vector<Case> cases = {
        {{"A", "B", "C"}, false, {"#F0F0F0", "#E8E8E8", "#F0F0F0"}},
        {{"Quillmate", "B", "C"}, false, {"#B8B8B8", "#E8E8E8", "#F0F0F0"}},
        {{"A", "Quillmate", "C", "D"}, true, {"#B0B0B0", "#B8B8B8", "#B0B0B0", "#A1A1A1"}},
        {{"", "", ""}, false, {"#F0F0F0", "#E8E8E8", "#F0F0F0"}},
    };
    for (const auto& c : cases) {
        std::string xml = "<Toc title=\"Quillmate\">";
        for (const auto& title : c.titles) {
            xml += "<Theme t=\"" + title + "\"><Entry theme_de=\"e\"/><Entry t=\"Quillmate\"/></Theme>";
        }
        xml += "</Toc>";
        const Build build = BuildFrom(xml, {0, true, c.darkMode});
        ASSERT_EQ(build.rows.size(), 1 + 3 * c.titles.size());
        EXPECT_EQ(build.Background(0), "#666666");
        EXPECT_EQ(build.Foreground(0), "#FFFFFF");
        for (std::size_t theme = 0; theme < c.titles.size(); ++theme) {
            EXPECT_EQ(build.Background(1 + 3 * theme), c.backgrounds[theme]) << theme;
            EXPECT_EQ(build.Background(2 + 3 * theme), "") << theme;
            EXPECT_EQ(build.Background(3 + 3 * theme), "") << theme;
            EXPECT_EQ(build.Foreground(1 + 3 * theme), "#000000")
                << theme;  // whatever the theme's text colour
        }
    }
}

TEST(FillIndexTreeTest, GroupTitleFollowsTheLatestTitleAcrossBuilds) {
    Build build;
    FillFromHead(ParseXmlText("<Toc><Theme t=\"Alpha\"><Entry theme_de=\"a\"/></Theme></Toc>").document, {},
                 build);
    EXPECT_EQ(build.entries[0].groupTitle, "");
    EXPECT_EQ(build.entries[2].groupTitle, "Alpha");
    build.entries.clear();
    FillFromHead(ParseXmlText("<Toc><Theme><Entry t=\"Inner\"/><Entry/></Theme></Toc>").document, {}, build);
    ASSERT_EQ(build.entries.size(), 4u);
    EXPECT_EQ(build.entries[0].groupTitle, "Alpha");
    EXPECT_EQ(build.entries[1].groupTitle, "Alpha");
    EXPECT_EQ(build.entries[2].groupTitle, "Inner");
    EXPECT_EQ(build.entries[3].groupTitle, "Inner");
}

TEST(FillIndexTreeTest, RowOrderMatchesARecursiveWalkOfTheXml) {
    // Random trees written by a recursive generator that records the expected pre-order.
    std::mt19937 random(20240501);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::pair<std::string, int>> expected;
        int next = 0;
        std::function<std::string(int)> element = [&](int depth) {
            const std::string id = std::to_string(next++);
            expected.emplace_back(id, depth);
            std::string xml = "<E t=\"" + id + "\" theme_de=\"" + id + "\">";
            const int children = depth < 8 ? static_cast<int>(random() % 4) : 0;
            for (int i = 0; i < children && next < 3000; ++i) {
                xml += random() % 3 == 0 ? "<!-- c -->text" : "";
                xml += element(depth + 1);
            }
            return xml + "</E>";
        };
        const Build build = BuildFrom(element(0));
        ASSERT_EQ(build.rows.size(), expected.size());
        ASSERT_EQ(build.entries.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(build.rows[i].text, expected[i].first) << round << " " << i;
            ASSERT_EQ(build.rows[i].depth, expected[i].second) << round << " " << i;
            ASSERT_EQ(build.entries[i].themeDe, expected[i].first) << round << " " << i;
        }
    }
}

TEST(FillIndexTreeTest, SubtreeWalkStaysInsideTheElement) {
    const XmlDocument document =
        ParseXmlText("<Toc><Theme t=\"A\"><Entry theme_de=\"a1\"/></Theme><Theme t=\"B\"/></Toc>").document;
    Palette palette;
    ApplyPalette(palette, false);
    Build build;
    IndexTreeState state{build.entries, build.lastGroupTitle, build.helpEntryIndex, build.dbVersion};
    IndexRows sink;
    FillIndexTree(document, 1, 1, {0, true, palette}, state, sink);
    ASSERT_EQ(sink.Rows().size(), 2u);
    EXPECT_EQ(sink.Rows()[1].text, "a1");
    FillIndexTree(document, XmlDocument::kNone, 0, {0, true, palette}, state, sink);
    FillIndexTree(document, 99, 0, {0, true, palette}, state, sink);
    EXPECT_EQ(sink.Rows().size(), 2u);
    EXPECT_EQ(build.entries.size(), 2u);
}

TEST(FillIndexTreeTest, DeepNestingIsWalkedWithoutRecursion) {
    // A chain of kDepth nested elements ending in a leaf; after each closing tag one sibling
    // follows at the depth of the element just closed.
    constexpr int kDepth = 100000;
    const auto element = [](const std::string& id) { return "<E t=\"" + id + "\" theme_de=\"" + id + "\""; };
    std::string xml;
    for (int i = 0; i < kDepth; ++i) {
        xml += element(std::to_string(i)) + ">";
    }
    xml += element("leaf") + "/>";
    for (int depth = kDepth - 1; depth > 0; --depth) {
        xml += "</E>" + element("s" + std::to_string(depth)) + "/>";
    }
    xml += "</E>";
    // The walk takes any document, also one nested deeper than the loader accepts.
    const XmlReadResult read = ParseXmlText(xml, kMaxXmlHeldBytes, kDepth + 1);
    ASSERT_EQ(read.status, XmlReadStatus::Parsed);
    Build build;
    FillFromHead(read.document, {}, build);
    ASSERT_EQ(build.rows.size(), static_cast<std::size_t>(2 * kDepth));
    ASSERT_EQ(build.entries.size(), build.rows.size());
    // Pre-order: the chain down to the leaf, then the siblings from the deepest level up.
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(build.rows[i].depth, i);
        ASSERT_EQ(build.rows[i].text, std::to_string(i));
    }
    EXPECT_EQ(build.rows[kDepth].text, "leaf");
    EXPECT_EQ(build.rows[kDepth].depth, kDepth);
    for (int k = 1; k < kDepth; ++k) {
        ASSERT_EQ(build.rows[kDepth + k].depth, kDepth - k);
        ASSERT_EQ(build.rows[kDepth + k].text, "s" + std::to_string(kDepth - k));
    }
    EXPECT_EQ(build.entries.back().groupTitle, "s1");
}

}  // namespace
}  // namespace quillmate
