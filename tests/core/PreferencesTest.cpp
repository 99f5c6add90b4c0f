#include "settings/Preferences.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>

#include "app/WidgetRect.h"

namespace quillmate {
namespace {

namespace fs = std::filesystem;

const std::string kBom = "\xEF\xBB\xBF";
const DesktopSize kDesktop{1920, 1080};

// Every user setting, as a file saved by the settings dialog holds them.
const std::string kUserSettings =
    "Language=0\nSearchHint=0\nSearchMode=0\nCodeMarks=0\nFontName=Monospace\nFontSize=10\nSavePaths=1\n"
    "SourceInTitle=1\nSaveWinSetting=0\nDyeingNews=1\nDarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\n";

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device device;
        m_folder = fs::temp_directory_path() /
                   ("qm-prefs-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
        fs::create_directories(m_folder);
        m_programFolder = m_folder.string() + "/";
        m_ini = m_programFolder + "QuillmateViewer.ini";
        m_location.dbFolder = m_programFolder;
        m_location.libPath = m_programFolder;
    }
    void TearDown() override {
        fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_folder);
    }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // The bytes SavePreferences writes for the given lines.
    static std::string Written(const std::string& body) { return kBom + "\n" + body; }

    PreferencesLoad Load(const std::string& fileBytes, const DesktopSize& desktop = kDesktop) {
        WriteFile(m_ini, fileBytes);
        return LoadPreferences(m_ini, desktop, m_fontLoads, m_prefs, m_location);
    }
    PreferencesSave Save(const std::optional<WindowGeometry>& window = std::nullopt) {
        return SavePreferences(m_ini, m_prefs, m_location, window);
    }
    PreferencesLoad Settle() {
        return SettleDatabaseLocation(m_ini, kDesktop, m_fontLoads, Hooks(), m_prefs, m_location);
    }

    SettleHooks Hooks() {
        SettleHooks hooks;
        hooks.chooseDatabaseFile = [this](const DatabaseRequest& request) {
            m_requests.push_back(request);
            return m_chosen;
        };
        hooks.showMessage = [this](const std::string& title, const std::string& text) {
            m_messages.push_back(title + ": " + text);
        };
        hooks.askYesNo = [this](const std::string& title, const std::string& text) {
            m_questions.push_back(title + ": " + text);
            return m_answerYes;
        };
        return hooks;
    }

    std::string MakeFile(const std::string& name, mode_t mode = 0644) {
        const std::string path = m_programFolder + name;
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, "<x/>");
        ::chmod(path.c_str(), mode);
        return path;
    }

    fs::path m_folder;
    std::string m_programFolder;
    std::string m_ini;
    Preferences m_prefs;
    DatabaseLocation m_location;
    FontLoadCheck m_fontLoads = [](const std::string&, int) { return true; };
    std::optional<std::string> m_chosen;
    bool m_answerYes = true;
    std::vector<DatabaseRequest> m_requests;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
};

// ---- Loading ----------------------------------------------------------------------------------

TEST_F(PreferencesTest, MissingFileChangesNothing) {
    m_prefs.splitter = 500;
    m_prefs.fontSize = 3;
    const PreferencesLoad result = LoadPreferences(m_ini, kDesktop, m_fontLoads, m_prefs, m_location);
    EXPECT_FALSE(result.fileExists);
    EXPECT_FALSE(result.loadCodeFont);
    EXPECT_EQ(m_prefs.splitter, 500);
    EXPECT_EQ(m_prefs.fontSize, 3);
    EXPECT_EQ(m_location.libPath, m_programFolder);
}

TEST_F(PreferencesTest, MissingKeysKeepCurrentValuesExceptSplitterAndLibPath) {
    m_prefs.language = 2;
    m_prefs.codeEditorPath = "/usr/bin/ed";
    m_prefs.splitter = 500;
    m_prefs.winY = 77;
    const PreferencesLoad result = Load("; only a comment\n");
    EXPECT_TRUE(result.fileExists);
    EXPECT_EQ(m_prefs.language, 2);
    EXPECT_EQ(m_prefs.codeEditorPath, "/usr/bin/ed");
    EXPECT_EQ(m_prefs.winY, 77);
    EXPECT_EQ(m_prefs.splitter, 345);
    EXPECT_EQ(m_location.libPath, "");
    EXPECT_EQ(result.dbPath, m_programFolder);
}

TEST_F(PreferencesTest, ReadsEveryKeyFromAnyLetterCase) {
    const PreferencesLoad result = Load(
        "db-path = /data/Toc.xml \nLIB-PATH=/data/lib/\nabout=1\nlanguage=2\nSearchHint=1\nSearchMode=2\n"
        "CodeMarks=2\nFontName=DejaVu Sans "
        "Mono\nFontSize=12\nSavePaths=0\nSourceInTitle=2\nSaveWinSetting=1\n"
        "DyeingNews=0\nDarkMode=1\nCodeEditorPath=/no/editor\nWinX=10\nWinY=20\nWinWidth=900\nWinHight=700\n"
        "Splitter=222\nUpdateServer=example.org:8080\n");
    EXPECT_EQ(result.dbPath, "/data/Toc.xml");
    EXPECT_EQ(m_location.libPath, "/data/lib/");
    const Preferences& p = m_prefs;
    EXPECT_EQ(std::vector<int>({p.about, p.language, p.searchHint, p.searchMode, p.codeMarks, p.fontSize,
                                p.savePaths, p.sourceInTitle, p.saveWinSetting, p.dyeingNews, p.darkMode,
                                p.winX, p.winY, p.winWidth, p.winHight, p.splitter}),
              std::vector<int>({1, 2, 1, 2, 2, 12, 0, 2, 1, 0, 1, 10, 20, 900, 700, 222}));
    EXPECT_EQ(p.fontName, "DejaVu Sans Mono");
    EXPECT_EQ(p.codeEditorPath, "/no/editor");
    EXPECT_EQ(p.updateServer, "example.org:8080");
    EXPECT_EQ(result.openCodeLabel, "");
}

TEST_F(PreferencesTest, Latin1FontNameIsReadAndWrittenBackAsUtf8) {
    Load("FontName=\xC5rial\nabout=1\nSavePaths=0\n");
    EXPECT_EQ(m_prefs.fontName, "\xC3\x85rial");
    ASSERT_EQ(Save(), PreferencesSave::Saved);
    const std::string bytes = ReadFile(m_ini);
    EXPECT_TRUE(bytes.starts_with(kBom + "\nFontName=\xC3\x85rial\n")) << bytes;
}

TEST_F(PreferencesTest, FontSizeIsLimited) {
    struct Case {
        std::string value;
        int size;
    };
    const std::vector<Case> cases = {
        {"3", 6}, {"99", 24}, {"letters", 6}, {"-40", 6}, {"6", 6}, {"24", 24}, {"12pt", 12},
    };
    for (const auto& c : cases) {
        m_prefs = Preferences{};
        Load("FontSize=" + c.value + "\n");
        EXPECT_EQ(m_prefs.fontSize, c.size) << c.value;
    }
}

TEST_F(PreferencesTest, ZoomOutsideTheStepsOrNoNumberIsTheNormalStep) {
    struct Case {
        std::string value;
        int step;
    };
    const std::vector<Case> cases = {
        {"0", 0}, {" 7 ", 7}, {"8", 3}, {"-1", 3}, {"letters", 3}, {"2x", 3}, {"", 3}, {"99999999999", 3},
    };
    for (const auto& c : cases) {
        m_prefs.zoom = 5;
        Load("Zoom=" + c.value + "\n");
        EXPECT_EQ(m_prefs.zoom, c.step) << c.value;
    }
}

TEST_F(PreferencesTest, WindowGeometryIsBoundedByTheDesktop) {
    struct Case {
        std::string file;
        DesktopSize desktop;
        int x, y, width, height;
    };
    const std::vector<Case> cases = {
        {"WinWidth=5000\nWinHight=5000\n", {1920, 1080}, -1, -1, 1870, 1030},
        {"WinWidth=1870\nWinHight=1030\n", {1920, 1080}, -1, -1, 1870, 1030},
        {"WinWidth=5000\n", {0, 0}, -1, -1, 5000, 600},
        {"WinX=-5\nWinY=-5\n", {1920, 1080}, 0, -5, 800, 600},
        {"WinX=-1\nWinY=-1\n", {1920, 1080}, -1, -1, 800, 600},
        {"WinX=-2\n", {1920, 1080}, 0, -1, 800, 600},
        {"WinX=3000\nWinY=3000\n", {1920, 1080}, 3000, 3000, 800, 600},
    };
    for (const auto& c : cases) {
        m_prefs = Preferences{};
        Load(c.file, c.desktop);
        EXPECT_EQ(m_prefs.winX, c.x) << c.file;
        EXPECT_EQ(m_prefs.winY, c.y) << c.file;
        EXPECT_EQ(m_prefs.winWidth, c.width) << c.file;
        EXPECT_EQ(m_prefs.winHight, c.height) << c.file;
    }
}

TEST(MainWindowPlacementTest, WindowOpensAtLeastPartlyOnTheFirstMonitor) {
    struct Case {
        WindowGeometry stored;
        MonitorArea monitor;
        int x, y;
    };
    const MonitorArea full{0, 0, 1920, 1080};
    const std::vector<Case> cases = {
        {{10, 20, 800, 600, 345}, full, 10, 20},
        {{-1, -1, 800, 600, 345}, full, -1, -1},
        {{99999999, -99999999, 800, 600, 345}, full, 1820, 0},
        {{-99999999, 99999999, 800, 600, 345}, full, -700, 980},
        {{-1, 5000, 800, 600, 345}, full, -1, 980},
        {{0, 0, 800, 600, 345}, {1920, 100, 1280, 1024}, 1220, 100},
        {{5000, 5000, 800, 600, 345}, {0, 0, 0, 0}, 5000, 5000},
        {{5000, 5000, 800, 600, 345}, {0, 0, 50, 50}, 0, 0},
    };
    for (const auto& c : cases) {
        const WindowGeometry placed = PlaceOnMonitor(c.stored, c.monitor);
        EXPECT_EQ(placed.x, c.x) << c.stored.x << "," << c.stored.y;
        EXPECT_EQ(placed.y, c.y) << c.stored.x << "," << c.stored.y;
    }
}

TEST(MainWindowPlacementTest, MessageBoxLinesFitTwoThirdsOfTheMonitor) {
    const std::tuple<int, int, int> cases[] = {
        // monitor width, character width, characters a line
        {1920, 8, 60}, {600, 8, 50}, {300, 10, 20}, {100, 10, 10}, {0, 8, 60}, {1280, 0, 60},
    };
    for (const auto& [monitorWidth, characterWidth, characters] : cases) {
        EXPECT_EQ(BoxWidthCharacters({0, 0, monitorWidth, 800}, characterWidth), characters)
            << monitorWidth << ", " << characterWidth;
    }
}

TEST(MainWindowPlacementTest, FixedPlacesGrowWithTheTextAndNeighboursStillTouch) {
    // Resolution of the text (dots per inch), a place as designed and as grown; the two places of
    // 144 and of 120 touch side by side, and still do when grown.
    const std::tuple<double, WidgetRect, WidgetRect> cases[] = {
        {96, {5, 470, 307, 36}, {5, 470, 307, 36}}, {72, {5, 470, 307, 36}, {5, 470, 307, 36}},
        {-1, {5, 470, 307, 36}, {5, 470, 307, 36}}, {144, {0, 0, 3, 3}, {0, 0, 5, 5}},
        {144, {3, 0, 3, 3}, {5, 0, 4, 5}},          {120, {15, 22, 400, 26}, {19, 28, 500, 32}},
        {120, {415, 22, 1, 26}, {519, 28, 1, 32}},
    };
    for (const auto& [resolution, designed, grown] : cases) {
        EXPECT_EQ(ScaleRect(designed, TextScale(resolution)), grown) << resolution;
    }
}

TEST_F(PreferencesTest, CodeFontIsReloadedOnlyWhenItChangesAndFallsBackWhenUnloadable) {
    struct Case {
        std::string file;
        bool loadable;
        bool reload;
        std::string name;
        int size;
    };
    const std::vector<Case> cases = {
        {"FontName=Monospace\nFontSize=10\n", false, false, "Monospace", 10},
        {"", false, false, "Monospace", 10},
        {"FontName=Sans\n", true, true, "Sans", 10},
        {"FontSize=12\n", true, true, "Monospace", 12},
        {"FontName=NoSuchFont\nFontSize=12\n", false, true, "Monospace", 10},
        {"FontSize=letters\n", true, true, "Monospace", 6},
    };
    for (const auto& c : cases) {
        m_prefs = Preferences{};
        std::vector<std::string> asked;
        m_fontLoads = [&](const std::string& family, int size) {
            asked.push_back(family + " " + std::to_string(size));
            return c.loadable;
        };
        const PreferencesLoad result = Load(c.file);
        EXPECT_EQ(result.loadCodeFont, c.reload) << c.file;
        EXPECT_EQ(m_prefs.fontName, c.name) << c.file;
        EXPECT_EQ(m_prefs.fontSize, c.size) << c.file;
        EXPECT_EQ(asked.size(), c.reload ? 1u : 0u) << c.file;
    }
}

TEST_F(PreferencesTest, OpenCodeLabelNeedsAnExecutableEditor) {
    const std::string executable = MakeFile("bin/my-editor", 0755);
    const std::string plain = MakeFile("bin/notes.txt", 0644);
    struct Case {
        std::string editor;
        std::string label;
    };
    const std::vector<Case> cases = {
        {executable, "Open code in my-editor"}, {plain, ""}, {m_programFolder + "bin/missing", ""},
        {m_programFolder + "bin", ""},          {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load("CodeEditorPath=" + c.editor + "\n").openCodeLabel, c.label) << c.editor;
    }
}

TEST_F(PreferencesTest, KeyAfterAGroupIsNotFoundAndIsWrittenBeforeIt) {
    Load("about=1\nSavePaths=0\n[Other]\nFontSize=20\n");
    EXPECT_EQ(m_prefs.fontSize, 10);
    ASSERT_EQ(Save(), PreferencesSave::Saved);
    EXPECT_EQ(ReadFile(m_ini),
              Written("about=1\nSavePaths=0\nLanguage=0\nSearchHint=0\nSearchMode=0\nCodeMarks=0\n"
                      "FontName=Monospace\nFontSize=10\nSourceInTitle=1\nSaveWinSetting=0\nDyeingNews=1\n"
                      "DarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\n[Other]\nFontSize=20\n"));
}

TEST_F(PreferencesTest, OutdatedOnlyWhenSavedByTheDialogAndAUserSettingIsMissing) {
    struct Case {
        std::string file;
        bool outdated;
    };
    const std::vector<Case> cases = {
        {"about=1\n" + kUserSettings, false},
        {"about=1\n" + kUserSettings.substr(0, kUserSettings.find("DarkMode")), true},
        {"about=1\nLanguage=0\n", true},
        {"about=0\nLanguage=0\n", false},
        {"Language=0\n", false},
        {"about=1\n" + kUserSettings + "[G]\n", false},
    };
    for (const auto& c : cases) {
        m_prefs = Preferences{};
        EXPECT_EQ(Load(c.file).prefsOutdated, c.outdated) << c.file;
    }
}

TEST_F(PreferencesTest, UnreadableFileCountsAsEmpty) {
    fs::create_directories(m_ini);
    m_prefs.splitter = 500;
    // A folder in the file's place is not a file: nothing exists to be read.
    EXPECT_FALSE(LoadPreferences(m_ini, kDesktop, m_fontLoads, m_prefs, m_location).fileExists);
    fs::remove(m_ini);
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from reading";
    }
    WriteFile(m_ini, "Splitter=100\nLanguage=2\n");
    ::chmod(m_ini.c_str(), 0);
    const PreferencesLoad result = LoadPreferences(m_ini, kDesktop, m_fontLoads, m_prefs, m_location);
    EXPECT_TRUE(result.fileExists);
    EXPECT_EQ(m_prefs.splitter, 345);
    EXPECT_EQ(m_prefs.language, 0);
}

// ---- Saving -----------------------------------------------------------------------------------

TEST_F(PreferencesTest, NewFileLayout) {
    m_location = {"/lib/db/", "Quillmate-Toc.xml", "/lib/db/Quillmate-Toc.xml", "/lib/code/"};
    m_prefs.saveWinSetting = 1;  // the window data and the paths are written when these say so
    m_prefs.savePaths = 1;
    ASSERT_EQ(Save(WindowGeometry{10, 20, 1000, 700, 300}), PreferencesSave::Saved);
    EXPECT_EQ(ReadFile(m_ini),
              Written("; Viewer\ndb-path=/lib/db/Quillmate-Toc.xml\nLib-path=/lib/code/\nabout=0\n"
                      "; User settings\nLanguage=0\nSearchHint=0\nSearchMode=0\nCodeMarks=0\n"
                      "FontName=Monospace\nFontSize=10\nSavePaths=1\nSourceInTitle=1\nSaveWinSetting=1\n"
                      "DyeingNews=1\nDarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\n"
                      "; App settings\nWinX=10\nWinY=20\nWinWidth=1000\nWinHight=700\nSplitter=300\n"));

    fs::remove(m_ini);
    m_prefs.saveWinSetting = 0;
    ASSERT_EQ(Save(WindowGeometry{10, 20, 1000, 700, 300}), PreferencesSave::Saved);
    EXPECT_EQ(ReadFile(m_ini), Written("; Viewer\ndb-path=/lib/db/Quillmate-Toc.xml\nLib-path=/lib/code/\n"
                                       "about=0\n; User settings\n" +
                                       kUserSettings + "; App settings\n"));
}

TEST_F(PreferencesTest, ExistingFileIsRewrittenInPlace) {
    Load("; mine\n  fontsize = 12\n\n\nUnknown=1\r\nabout=1\nSavePaths=0\n[Tail]\nx=1\n");
    EXPECT_EQ(m_prefs.fontSize, 12);
    ASSERT_EQ(Save(), PreferencesSave::Saved);
    EXPECT_EQ(ReadFile(m_ini),
              Written("; mine\nFontSize=12\nUnknown=1\nabout=1\nSavePaths=0\nLanguage=0\nSearchHint=0\n"
                      "SearchMode=0\nCodeMarks=0\nFontName=Monospace\nSourceInTitle=1\nSaveWinSetting=0\n"
                      "DyeingNews=1\nDarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\n[Tail]\nx=1\n"));
}

TEST_F(PreferencesTest, PathsAreWrittenWhenSavePathsIsOnOrAboutIsZero) {
    struct Case {
        int savePaths;
        int about;
        bool written;
    };
    const std::vector<Case> cases = {{1, 1, true}, {1, 0, true}, {0, 0, true}, {0, 1, false}};
    for (const auto& c : cases) {
        m_prefs.savePaths = c.savePaths;
        m_prefs.about = c.about;
        m_location = {"/new/", "Toc.xml", "/new/Toc.xml", "/new/lib/"};
        WriteFile(m_ini, "db-path=/old/Toc.xml\nLib-path=/old/lib/\n");
        ASSERT_EQ(Save(), PreferencesSave::Saved);
        const std::string bytes = ReadFile(m_ini);
        const std::string paths = c.written ? "db-path=/new/Toc.xml\nLib-path=/new/lib/\n"
                                            : "db-path=/old/Toc.xml\nLib-path=/old/lib/\n";
        EXPECT_TRUE(bytes.starts_with(kBom + "\n" + paths)) << c.savePaths << c.about << "\n" << bytes;
    }
}

TEST_F(PreferencesTest, WindowDataNeedsTheWindowAndTheSetting) {
    struct Case {
        bool window;
        int saveWinSetting;
        bool written;
    };
    const std::vector<Case> cases = {{true, 1, true}, {true, 0, false}, {false, 1, false}};
    for (const auto& c : cases) {
        WriteFile(m_ini, "WinX=1\n");
        m_prefs.saveWinSetting = c.saveWinSetting;
        const auto window =
            c.window ? std::optional<WindowGeometry>(WindowGeometry{5, 6, 7, 8, 9}) : std::nullopt;
        ASSERT_EQ(Save(window), PreferencesSave::Saved);
        const std::string bytes = ReadFile(m_ini);
        EXPECT_EQ(bytes.find("WinX=5\n") != std::string::npos, c.written) << bytes;
        EXPECT_EQ(bytes.find("Splitter=9\n") != std::string::npos, c.written) << bytes;
        EXPECT_EQ(bytes.find("WinX=1\n") != std::string::npos, !c.written) << bytes;
    }
}

TEST_F(PreferencesTest, UpdateServerIsNeverWritten) {
    Load("UpdateServer=example.org\n");
    ASSERT_EQ(Save(), PreferencesSave::Saved);
    fs::remove(m_ini);
    ASSERT_EQ(Save(), PreferencesSave::Saved);
    EXPECT_EQ(ReadFile(m_ini).find("UpdateServer"), std::string::npos);
}

TEST_F(PreferencesTest, WhatIsSavedLoadsBackTheSame) {
    Preferences saved;
    saved.about = 1;
    saved.language = 2;
    saved.searchHint = 1;
    saved.searchMode = 2;
    saved.codeMarks = 1;
    saved.fontName = "Noto Sans Mono \xE2\x9C\xB0";
    saved.fontSize = 14;
    saved.savePaths = 1;
    saved.sourceInTitle = 0;
    saved.saveWinSetting = 1;
    saved.dyeingNews = 0;
    saved.darkMode = 1;
    saved.codeEditorPath = "/opt/ed it/editor";
    m_prefs = saved;
    m_location = {"/db/", "Toc.xml", "/db/Toc.xml", "/lib/"};
    ASSERT_EQ(Save(WindowGeometry{30, 40, 1024, 768, 400}), PreferencesSave::Saved);

    m_prefs = Preferences{};
    m_location = DatabaseLocation{};
    const PreferencesLoad result = Load(ReadFile(m_ini));
    EXPECT_FALSE(result.prefsOutdated);
    EXPECT_EQ(result.dbPath, "/db/Toc.xml");
    EXPECT_EQ(m_location.libPath, "/lib/");
    saved.winX = 30;
    saved.winY = 40;
    saved.winWidth = 1024;
    saved.winHight = 768;
    saved.splitter = 400;
    const auto fields = [](const Preferences& p) {
        return std::make_tuple(p.about, p.language, p.searchHint, p.searchMode, p.codeMarks, p.fontName,
                               p.fontSize, p.savePaths, p.sourceInTitle, p.saveWinSetting, p.dyeingNews,
                               p.darkMode, p.codeEditorPath, p.winX, p.winY, p.winWidth, p.winHight,
                               p.splitter);
    };
    EXPECT_EQ(fields(m_prefs), fields(saved));
}

TEST_F(PreferencesTest, SaveFailsWithoutReplacingWhatCannotBeOpened) {
    fs::create_directories(m_ini);
    EXPECT_EQ(Save(), PreferencesSave::Failed);
    EXPECT_TRUE(fs::is_directory(m_ini));
    fs::remove(m_ini);

    const std::string tooLarge(17 * 1024 * 1024, 'x');
    WriteFile(m_ini, tooLarge);
    EXPECT_EQ(Save(), PreferencesSave::Failed);
    EXPECT_EQ(fs::file_size(m_ini), tooLarge.size());
}

TEST_F(PreferencesTest, ReadOnlyFileStaysUnchangedWithoutComplaint) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from writing";
    }
    const std::string original = "about=1\n\nLanguage=1\n";
    WriteFile(m_ini, original);
    ::chmod(m_ini.c_str(), 0444);
    EXPECT_EQ(Save(), PreferencesSave::ReadOnlyUnchanged);
    EXPECT_EQ(ReadFile(m_ini), original);
}

TEST_F(PreferencesTest, ReadOnlyProgramFolderKeepsEachUsersSettingsInTheirOwnFile) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from writing";
    }
    const std::string program = m_programFolder + "program/";
    const std::string shipped = Written("db-path=/lib/Quillmate-Toc.xml\nCodeMarks=2\n");
    fs::create_directories(program);
    WriteFile(program + "QuillmateViewer.ini", shipped);
    const std::string user = m_programFolder + "config/quillmate/";
    EXPECT_EQ(SettlePreferencesPlace(program, user).path, program + "QuillmateViewer.ini");  // writable
    ::chmod(program.c_str(), 0555);
    ::chmod((program + "QuillmateViewer.ini").c_str(), 0444);
    // The first start begins with the shipped settings; later ones keep what the user saved.
    for (const char* saved : {"", "Language=2\n"}) {
        const PreferencesPlace place = SettlePreferencesPlace(program, user);
        EXPECT_EQ(place.path, user + "QuillmateViewer.ini");
        EXPECT_TRUE(place.saveable);
        EXPECT_EQ(ReadFile(place.path), shipped + saved);
        WriteFile(place.path, shipped + "Language=2\n");
    }
    EXPECT_EQ(ReadFile(program + "QuillmateViewer.ini"), shipped);
    // Nowhere to write: the shipped file is read, and a Save must say that it failed.
    const PreferencesPlace nowhere = SettlePreferencesPlace(program, program + "config/");
    EXPECT_EQ(nowhere.path, program + "QuillmateViewer.ini");
    EXPECT_FALSE(nowhere.saveable);
    ::chmod(program.c_str(), 0755);
}

TEST(UserSettingsFolderTest, FollowsTheBaseDirectories) {
    struct Case {
        const char* xdgConfigHome;
        const char* home;
        std::string folder;
    };
    for (const Case& c :
         {Case{"/x/cfg", "/home/u", "/x/cfg/quillmate/"}, Case{"/x/cfg/", nullptr, "/x/cfg/quillmate/"},
          Case{nullptr, "/home/u", "/home/u/.config/quillmate/"},
          Case{"", "/home/u", "/home/u/.config/quillmate/"},
          Case{"relative", "/home/u", "/home/u/.config/quillmate/"}, Case{nullptr, "relative", ""}}) {
        EXPECT_EQ(UserSettingsFolder(c.xdgConfigHome, c.home), c.folder) << c.folder;
    }
}

TEST_F(PreferencesTest, ReadOnlyFolderSavesIntoTheFileItselfOrFailsWithoutDamage) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from writing";
    }
    const std::string original = "about=1\n\nLanguage=1\n";
    WriteFile(m_ini, original);
    ::chmod(m_folder.c_str(), 0555);
    // No room for the new content: the save fails before it changes anything.
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    rlimit full = limit;
    full.rlim_cur = original.size();
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    EXPECT_EQ(Save(), PreferencesSave::Failed);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(ReadFile(m_ini), original);

    EXPECT_EQ(Save(), PreferencesSave::Saved);
    EXPECT_NE(ReadFile(m_ini).find(kUserSettings.substr(11)), std::string::npos);
}

TEST_F(PreferencesTest, EveryKeyOfTheTableIsSavedInItsOrderAndReadBack) {
    std::string expectedOrder;
    int value = 100;
    for (const PreferenceKey& key : PreferenceKeys()) {
        if (key.section == KeySection::ReadOnly) {
            continue;
        }
        expectedOrder += std::string(key.name) + "\n";
        if (key.number != nullptr) {
            m_prefs.*key.number = std::clamp(++value, key.lowest, key.highest);
        } else if (key.text != nullptr) {
            m_prefs.*key.text = "text " + std::to_string(++value);
        }
    }
    m_prefs.saveWinSetting = 1;  // the window data and the paths are written when these say so
    m_prefs.savePaths = 1;
    ASSERT_EQ(Save(WindowGeometry{m_prefs.winX, m_prefs.winY, m_prefs.winWidth, m_prefs.winHight,
                                  m_prefs.splitter}),
              PreferencesSave::Saved);
    std::string savedOrder;
    std::istringstream lines(ReadFile(m_ini));
    for (std::string line; std::getline(lines, line);) {
        if (line.find('=') != std::string::npos) {
            savedOrder += line.substr(0, line.find('=')) + "\n";
        }
    }
    EXPECT_EQ(savedOrder, expectedOrder);
    const Preferences saved = m_prefs;
    m_prefs = Preferences{};
    LoadPreferences(m_ini, DesktopSize{}, m_fontLoads, m_prefs, m_location);
    for (const PreferenceKey& key : PreferenceKeys()) {
        if (key.number != nullptr) {
            EXPECT_EQ(m_prefs.*key.number, saved.*key.number) << key.name;
        } else if (key.text != nullptr) {
            EXPECT_EQ(m_prefs.*key.text, saved.*key.text) << key.name;
        }
    }
}

// ---- Settling the database location -----------------------------------------------------------

TEST_F(PreferencesTest, FirstStartCancelledCreatesNoFile) {
    const PreferencesLoad result = Settle();
    EXPECT_FALSE(result.fileExists);
    EXPECT_FALSE(fs::exists(m_ini));
    EXPECT_EQ(m_location.dbFullPath, "");
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].title, "Choose database 'Quillmate-Toc.xml' ...");
    EXPECT_EQ(m_requests[0].proposedFile, "Quillmate-Toc.xml");
    EXPECT_EQ(m_requests[0].filterLabel, "XML files (*.xml)");
    EXPECT_EQ(m_requests[0].filterPattern, "*.xml");
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PreferencesTest, CancelledRequesterForAnUnusablePathKeepsTheStoredPath) {
    const std::string original = "\xEF\xBB\xBF\ndb-path=/media/unmounted/Quillmate-Toc.xml\nabout=1\n";
    WriteFile(m_ini, original);
    m_answerYes = true;
    Settle();
    EXPECT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_location.dbFullPath, "");
    EXPECT_TRUE(m_questions.empty());
    EXPECT_EQ(ReadFile(m_ini), original);
}

TEST_F(PreferencesTest, FirstStartWithAChosenDatabaseCreatesTheFile) {
    m_chosen = "/media/lib/My-Toc.xml";
    Settle();
    EXPECT_EQ(m_location.dbFullPath, "/media/lib/My-Toc.xml");
    EXPECT_EQ(m_location.dbFolder, "/media/lib/");
    EXPECT_EQ(m_location.dbFileName, "My-Toc.xml");
    const std::string bytes = ReadFile(m_ini);
    EXPECT_TRUE(bytes.starts_with(
        Written("; Viewer\ndb-path=/media/lib/My-Toc.xml\nLib-path=" + m_programFolder + "\nabout=0\n")))
        << bytes;
}

TEST_F(PreferencesTest, StoredDatabaseFileIsTakenWithoutWriting) {
    const std::string database = MakeFile("lib/Quillmate-Toc.xml");
    const std::string original = "db-path=" + database + "\nLib-path=/code/\n";
    WriteFile(m_ini, original);
    Settle();
    EXPECT_EQ(m_location.dbFullPath, database);
    EXPECT_EQ(m_location.dbFolder, m_programFolder + "lib/");
    EXPECT_EQ(m_location.dbFileName, "Quillmate-Toc.xml");
    EXPECT_EQ(m_location.libPath, "/code/");
    EXPECT_EQ(ReadFile(m_ini), original);
    EXPECT_TRUE(m_requests.empty());
}

TEST_F(PreferencesTest, StoredFolderOpensItsDatabaseAndStoresTheFullPath) {
    const std::string database = MakeFile("lib/Quillmate-Toc.xml");
    for (const std::string& folder : {m_programFolder + "lib/", m_programFolder + "lib"}) {
        m_location = DatabaseLocation{};
        WriteFile(m_ini, "db-path=" + folder + "\n");
        Settle();
        EXPECT_EQ(m_location.dbFullPath, database) << folder;
        EXPECT_EQ(m_location.dbFolder, m_programFolder + "lib/") << folder;
        EXPECT_NE(ReadFile(m_ini).find("db-path=" + database + "\n"), std::string::npos) << folder;
    }
    EXPECT_TRUE(m_requests.empty());
}

// A file saved as UTF-16 is read and, written at start, becomes a proper file; one of binary
// content is never rewritten at start, and a Save replaces it whole.
TEST_F(PreferencesTest, FilesOfOtherEncodingsAreReadAndNeverMixed) {
    MakeFile("lib/Quillmate-Toc.xml");
    const std::string text = "db-path=" + m_programFolder + "lib\nCodeMarks=2\n";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    for (const char c : text) {
        utf16le += std::string{c, '\0'};
        utf16be += std::string{'\0', c};
    }
    for (const std::string& bytes : {utf16le, utf16be, text + std::string("\0binary", 7)}) {
        const bool binary = bytes.back() == 'y';
        m_prefs = Preferences{};
        WriteFile(m_ini, bytes);
        Settle();
        EXPECT_EQ(m_prefs.codeMarks, 2);
        EXPECT_EQ(m_location.dbFolder, m_programFolder + "lib/");
        const std::string atStart = ReadFile(m_ini);
        EXPECT_EQ(atStart == bytes, binary);
        EXPECT_EQ(Save(), PreferencesSave::Saved);
        const std::string saved = ReadFile(m_ini);
        EXPECT_TRUE(saved.starts_with(kBom));
        EXPECT_EQ(saved.find('\0'), std::string::npos);
        EXPECT_NE(saved.find("CodeMarks=2\n"), std::string::npos);
    }
}

TEST_F(PreferencesTest, UnusableStoredPathAsksAndSavesTheAnswer) {
    m_chosen = "/elsewhere/Toc.xml";
    WriteFile(m_ini, "db-path=/gone/Quillmate-Toc.xml\n");
    Settle();
    EXPECT_EQ(m_location.dbFullPath, "/elsewhere/Toc.xml");
    EXPECT_EQ(m_location.dbFolder, "/elsewhere/");
    EXPECT_EQ(m_location.dbFileName, "Toc.xml");
    EXPECT_NE(ReadFile(m_ini).find("db-path=/elsewhere/Toc.xml\n"), std::string::npos);
    EXPECT_EQ(m_requests.size(), 1u);
}

TEST_F(PreferencesTest, FailedStartUpSaveIsReported) {
    fs::create_directories(m_ini);
    m_chosen = "/elsewhere/Toc.xml";
    Settle();
    EXPECT_EQ(m_messages, std::vector<std::string>{"Quillmate: *.ini-file couldn't be updatet!"});
    EXPECT_TRUE(fs::is_directory(m_ini));
}

TEST_F(PreferencesTest, OutdatedFileIsUpdatedOnlyWhenTheUserAgrees) {
    const std::string database = MakeFile("lib/Quillmate-Toc.xml");
    const std::string original = "db-path=" + database + "\nabout=1\nLanguage=1\n";
    const std::string question =
        "Quillmate: The Preference-Setting-File is not uptodate.\nShould it be updated?";
    for (const bool yes : {false, true}) {
        m_prefs = Preferences{};
        m_questions.clear();
        m_answerYes = yes;
        WriteFile(m_ini, original);
        Settle();
        EXPECT_EQ(m_questions, std::vector<std::string>{question});
        const std::string bytes = ReadFile(m_ini);
        EXPECT_EQ(bytes == original, !yes);
        if (yes) {
            EXPECT_EQ(bytes, Written("db-path=" + database + "\nabout=1\nLanguage=1\nLib-path=\n" +
                                     kUserSettings.substr(11)));
        }
    }
}

TEST_F(PreferencesTest, OutdatedQuestionIsNotAskedWhenNeedlessOrAlreadySaved) {
    const std::string database = MakeFile("lib/Quillmate-Toc.xml");
    for (const std::string& file :
         {"db-path=" + database + "\nabout=0\n", "db-path=" + m_programFolder + "lib/\nabout=1\n"}) {
        m_prefs = Preferences{};
        WriteFile(m_ini, file);
        Settle();
    }
    EXPECT_TRUE(m_questions.empty());
}

}  // namespace
}  // namespace quillmate
