#include "settings/SettingsDecisions.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace quillmate {
namespace {

// The dialog as it is opened on the built-in preferences: Save changes nothing.
SettingsDialogState UnchangedDialog(const Preferences& prefs, const DatabaseLocation& location) {
    SettingsDialogState dialog;
    dialog.dbPathField = location.dbFolder + location.dbFileName;
    dialog.libPathField = location.libPath;
    dialog.fontNameField = prefs.fontName;
    dialog.fontSizeField = std::to_string(prefs.fontSize);
    dialog.savePaths = prefs.savePaths;
    dialog.saveWinSetting = prefs.saveWinSetting;
    dialog.searchHint = prefs.searchHint;
    dialog.searchMode = prefs.searchMode;
    dialog.sourceInTitle = prefs.sourceInTitle;
    dialog.codeMarks = prefs.codeMarks;
    dialog.dyeingNews = prefs.dyeingNews;
    dialog.darkMode = prefs.darkMode;
    dialog.lineNumbers = prefs.lineNumbers;
    dialog.language = prefs.language;
    return dialog;
}

DatabaseLocation StartLocation() {
    DatabaseLocation location;
    location.dbFolder = "/opt/quillmate/";
    location.dbFileName = "Quillmate-Toc.xml";
    location.dbFullPath = "/opt/quillmate/Quillmate-Toc.xml";
    location.libPath = "";
    return location;
}

struct DecisionCase {
    const char* change;
    std::function<void(SettingsDialogState&)> edit;
    SaveDecisions expected;
};

SaveDecisions Expect(bool reshow, bool palette, bool colours, bool font, bool title, bool restart) {
    SaveDecisions decisions;
    decisions.reshowCodeFile = reshow;
    decisions.applyPalette = palette;
    decisions.coloursChanged = colours;
    decisions.fontChanged = font;
    decisions.titleChanged = title;
    decisions.restartNeeded = restart;
    return decisions;
}

TEST(SettingsDecisionsTest, EachChangeLeadsToItsOwnUpdates) {
    const std::vector<DecisionCase> cases = {
        {"nothing", [](SettingsDialogState&) {}, Expect(false, false, false, false, false, false)},
        {"code marking", [](SettingsDialogState& d) { d.codeMarks = 2; },
         Expect(true, false, false, false, false, false)},
        {"dark colours", [](SettingsDialogState& d) { d.darkMode = 1; },
         Expect(false, true, true, false, false, true)},
        {"new-entry colouring", [](SettingsDialogState& d) { d.dyeingNews = 0; },
         Expect(false, false, true, false, false, false)},
        {"dark colours and new-entry colouring",
         [](SettingsDialogState& d) {
             d.darkMode = 1;
             d.dyeingNews = 0;
         },
         Expect(false, true, true, false, false, true)},
        {"font name", [](SettingsDialogState& d) { d.fontNameField = "DejaVu Sans Mono"; },
         Expect(false, false, false, true, false, false)},
        {"font size", [](SettingsDialogState& d) { d.fontSizeField = "12"; },
         Expect(false, false, false, true, false, false)},
        {"same font size written differently", [](SettingsDialogState& d) { d.fontSizeField = " 10pt"; },
         Expect(false, false, false, false, false, false)},
        {"title content", [](SettingsDialogState& d) { d.sourceInTitle = 2; },
         Expect(false, false, false, false, true, false)},
        {"settings that only take effect by being read",
         [](SettingsDialogState& d) {
             d.savePaths = 0;
             d.saveWinSetting = 1;
             d.searchHint = 2;
             d.searchMode = 1;
             d.dbPathField = "/elsewhere/Other.xml";
             d.libPathField = "/library/";
         },
         Expect(false, false, false, false, false, false)},
        {"language (left to the language switch)", [](SettingsDialogState& d) { d.language = 1; },
         Expect(false, false, false, false, false, false)},
    };
    for (const DecisionCase& testCase : cases) {
        SCOPED_TRACE(testCase.change);
        Preferences prefs;
        DatabaseLocation location = StartLocation();
        SettingsDialogState dialog = UnchangedDialog(prefs, location);
        testCase.edit(dialog);
        const SaveDecisions decisions = TakeDialogSettings(dialog, prefs, location);
        EXPECT_EQ(decisions.reshowCodeFile, testCase.expected.reshowCodeFile);
        EXPECT_EQ(decisions.applyPalette, testCase.expected.applyPalette);
        EXPECT_EQ(decisions.coloursChanged, testCase.expected.coloursChanged);
        EXPECT_EQ(decisions.fontChanged, testCase.expected.fontChanged);
        EXPECT_EQ(decisions.titleChanged, testCase.expected.titleChanged);
        EXPECT_EQ(decisions.restartNeeded, testCase.expected.restartNeeded);
    }
}

TEST(SettingsDecisionsTest, SaveTakesEveryDialogValueButTheLanguage) {
    Preferences prefs;
    DatabaseLocation location = StartLocation();
    SettingsDialogState dialog;
    dialog.dbPathField = "/data/db/Other-Toc.xml";
    dialog.libPathField = "/data/library/";
    dialog.fontNameField = "DejaVu Sans Mono";
    dialog.fontSizeField = "14";
    dialog.savePaths = 0;
    dialog.saveWinSetting = 1;
    dialog.searchHint = 2;
    dialog.searchMode = 1;
    dialog.sourceInTitle = 0;
    dialog.codeMarks = 1;
    dialog.dyeingNews = 0;
    dialog.darkMode = 1;
    dialog.lineNumbers = 1;
    dialog.language = 2;
    TakeDialogSettings(dialog, prefs, location);

    EXPECT_EQ(location.dbFolder, "/data/db/");
    EXPECT_EQ(location.dbFileName, "Other-Toc.xml");
    EXPECT_EQ(location.libPath, "/data/library/");
    // The loaded database stays until Apply or the next start.
    EXPECT_EQ(location.dbFullPath, "/opt/quillmate/Quillmate-Toc.xml");
    EXPECT_EQ(prefs.fontName, "DejaVu Sans Mono");
    EXPECT_EQ(prefs.fontSize, 14);
    EXPECT_EQ(prefs.savePaths, 0);
    EXPECT_EQ(prefs.saveWinSetting, 1);
    EXPECT_EQ(prefs.searchHint, 2);
    EXPECT_EQ(prefs.searchMode, 1);
    EXPECT_EQ(prefs.sourceInTitle, 0);
    EXPECT_EQ(prefs.codeMarks, 1);
    EXPECT_EQ(prefs.dyeingNews, 0);
    EXPECT_EQ(prefs.darkMode, 1);
    EXPECT_EQ(prefs.lineNumbers, 1);
    EXPECT_EQ(prefs.language, 0);
}

TEST(SettingsDecisionsTest, ComboBoxWithoutSelectedRowKeepsTheStoredValue) {
    Preferences prefs;
    prefs.searchHint = 7;
    prefs.searchMode = 5;
    prefs.codeMarks = 9;
    prefs.sourceInTitle = 4;
    DatabaseLocation location = StartLocation();
    SettingsDialogState dialog = UnchangedDialog(prefs, location);
    dialog.searchHint = -1;
    dialog.searchMode = -1;
    dialog.codeMarks = -1;
    dialog.sourceInTitle = -1;
    const SaveDecisions decisions = TakeDialogSettings(dialog, prefs, location);
    EXPECT_EQ(prefs.searchHint, 7);
    EXPECT_EQ(prefs.searchMode, 5);
    EXPECT_EQ(prefs.codeMarks, 9);
    EXPECT_EQ(prefs.sourceInTitle, 4);
    EXPECT_FALSE(decisions.reshowCodeFile);
    EXPECT_FALSE(decisions.titleChanged);
}

TEST(SettingsDecisionsTest, FontSizeFieldReadsLikeAnIniInteger) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"10", 10},
        {"  12", 12},
        {"\t8", 8},
        {"+9", 9},
        {"-3", -3},
        {"11.5", 11},
        {"14pt", 14},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(LeadingInteger(text), expected) << '"' << text << '"';
    }
}

TEST(SettingsDecisionsTest, ApplyJoinsTheDatabasePathFromItsParts) {
    struct Case {
        const char* field;
        const char* folder;
        const char* fileName;
    };
    for (const Case& c :
         {Case{"/data/db/Other-Toc.xml", "/data/db/", "Other-Toc.xml"},
          Case{"/Quillmate-Toc.xml", "/", "Quillmate-Toc.xml"}, Case{"relative.xml", "", "relative.xml"},
          Case{"/data/db/", "/data/db/", ""}, Case{"", "", ""}}) {
        DatabaseLocation location = StartLocation();
        TakeDialogPaths(c.field, "/lib/", location);
        EXPECT_EQ(location.dbFolder, c.folder) << c.field;
        EXPECT_EQ(location.dbFileName, c.fileName) << c.field;
        EXPECT_EQ(location.dbFullPath, std::string(c.folder) + c.fileName) << c.field;
        EXPECT_EQ(location.libPath, "/lib/");
    }
}

TEST(SettingsDecisionsTest, DatabaseRequesterProposesTheFieldsFolderWithTheDatabaseName) {
    EXPECT_EQ(ProposedDatabaseFile("/data/db/Other-Toc.xml", "Quillmate-Toc.xml"),
              "/data/db/Quillmate-Toc.xml");
    EXPECT_EQ(ProposedDatabaseFile("", "Quillmate-Toc.xml"), "Quillmate-Toc.xml");
}

TEST(SettingsDecisionsTest, ChosenLibraryFolderBecomesTheFieldText) {
    struct Case {
        const char* chosen;
        const char* programFolder;
        const char* field;
    };
    for (const Case& c :
         {Case{"/opt/quillmate", "/opt/quillmate/", ""}, Case{"/opt/quillmate/", "/opt/quillmate/", ""},
          Case{"/data/library", "/opt/quillmate/", "/data/library/"},
          Case{"/data/library/", "/opt/quillmate/", "/data/library/"},
          Case{"/opt/quillmate/sub", "/opt/quillmate/", "/opt/quillmate/sub/"},
          Case{"/", "/opt/quillmate/", "/"}}) {
        EXPECT_EQ(LibraryFieldForChoice(c.chosen, c.programFolder), c.field) << c.chosen;
    }
}

}  // namespace
}  // namespace quillmate
