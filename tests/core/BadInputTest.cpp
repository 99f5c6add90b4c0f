// Hostile and broken input files that the other tests of each reader leave out: huge values and
// files, bytes the XML parser refuses, files that lack their last line feed, and files and folders
// that refuse writing even to root.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "TempFolder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/IndexRows.h"
#include "settings/LanguageTable.h"
#include "settings/Preferences.h"
#include "viewer/CodeFile.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

namespace fs = std::filesystem;

const DesktopSize kDesktop{1920, 1080};

using test::TempFolder;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// ---- Databases --------------------------------------------------------------------------------

TEST(BadDatabaseTest, FiftyMegabyteAttributeLoadsWhole) {
    TempFolder folder;
    const std::string value(50u * 1024u * 1024u, 'v');
    const std::string path =
        folder.Write("big.xml", "<Toc title=\"" + value + "\"><Theme title=\"T\" theme_de=\"t\"/></Toc>");
    const DatabaseLoadResult result = LoadDatabaseFile(path);
    ASSERT_EQ(result.status, DatabaseReadStatus::Loaded) << result.messageText;
    ASSERT_EQ(result.document.ElementCount(), 2u);
    EXPECT_EQ(result.document.Attribute(0, 0).value.size(), value.size());

    Palette palette;
    ApplyPalette(palette, false);
    EntryList entries;
    std::string lastGroupTitle;
    int helpEntryIndex = 0;
    std::string dbVersion;
    IndexTreeState state{entries, lastGroupTitle, helpEntryIndex, dbVersion};
    IndexRows rows;
    FillIndexTree(result.document, 0, 0, IndexTreeSettings{0, true, palette}, state, rows);
    ASSERT_EQ(rows.Rows().size(), 2u);
    EXPECT_EQ(rows.Rows()[0].text.size(), value.size());
    EXPECT_EQ(entries[1].groupTitle, "T");
}

TEST(BadDatabaseTest, BytesTheParserRefusesGiveTheSyntaxMessage) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string expatText;
        unsigned long line;
    };
    using namespace std::string_literals;
    const std::vector<Case> cases = {
        {"invalid UTF-8 in a text", "<Toc>\n<T>a\xC3\x28</T></Toc>", "not well-formed (invalid token)", 2},
        {"invalid UTF-8 in an attribute", "<Toc title='\xFF'/>", "not well-formed (invalid token)", 1},
        {"overlong UTF-8", "<Toc>\xC0\xAF</Toc>", "not well-formed (invalid token)", 1},
        {"UTF-8 surrogate", "<Toc>\xED\xA0\x80</Toc>", "not well-formed (invalid token)", 1},
        {"NUL byte in a text", "<Toc>\n\n<T>a\0b</T></Toc>"s, "not well-formed (invalid token)", 3},
        {"NUL byte in an attribute", "<Toc title='a\0b'/>"s, "not well-formed (invalid token)", 1},
        {"unknown encoding", "<?xml version='1.0' encoding='x-quill-7'?>\n<Toc/>", "unknown encoding", 1},
        {"declared encoding that does not fit", "<?xml version='1.0' encoding='UTF-16'?><Toc/>",
         "encoding specified in XML declaration is incorrect", 1},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder.Write("db.xml", c.bytes);
        const DatabaseLoadResult result = LoadDatabaseFile(path);
        EXPECT_EQ(result.status, DatabaseReadStatus::SyntaxError) << c.name;
        EXPECT_EQ(result.messageTitle, "QuillmateError") << c.name;
        const std::string expected = "Error in the XML file:\rMessage: " + c.expatText +
                                     "\rLine: " + std::to_string(c.line) + "   Character: ";
        EXPECT_TRUE(result.messageText.starts_with(expected)) << c.name << ": " << result.messageText;
    }
}

TEST(BadDatabaseTest, NestingPastTheLimitGivesTheSyntaxMessageWithTheDepth) {
    struct Case {
        std::size_t depth;
        DatabaseReadStatus status;
        std::string text;
    };
    const std::string tooDeep =
        "Error in the XML file:\rMessage: elements nested deeper than 1000 levels\rLine: 1001   Character: 1";
    const std::vector<Case> cases = {
        {kMaxXmlDepth, DatabaseReadStatus::Loaded, ""},
        {kMaxXmlDepth + 1, DatabaseReadStatus::TooDeep, tooDeep},
        {100000, DatabaseReadStatus::TooDeep, tooDeep},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::string xml;
        for (std::size_t level = 0; level < c.depth; ++level) {
            xml += "<e>\n";
        }
        for (std::size_t level = 0; level < c.depth; ++level) {
            xml += "</e>";
        }
        const DatabaseLoadResult result = LoadDatabaseFile(folder.Write("deep.xml", xml));
        EXPECT_EQ(result.status, c.status) << c.depth;
        EXPECT_EQ(result.messageText, c.text) << c.depth;
    }
}

// ---- Code files -------------------------------------------------------------------------------

TEST(BadCodeFileTest, HundredMegabyteFileLoadsWhole) {
    TempFolder folder;
    const std::string line = "Debug \"0123456789abcdefghijklmnopqrstuvwxyz\" ; 123456789\n";
    const std::size_t lines = (100u * 1024u * 1024u) / line.size() + 1;
    const std::string path = (fs::path(folder.Path()) / "big.kx").string();
    {
        std::ofstream out(path, std::ios::binary);
        for (std::size_t i = 0; i < lines; ++i) {
            out << line;
        }
    }
    ASSERT_GE(fs::file_size(path), 100u * 1024u * 1024u);
    const CodeFileLoad load = LoadCodeFileText(path);
    ASSERT_EQ(load.outcome, CodeFileOutcome::Loaded);
    // The last line end gives no extra line, so the text is one line feed shorter than the file.
    EXPECT_EQ(load.text.size(), lines * line.size() - 1);
    EXPECT_TRUE(load.text.starts_with(line));
    EXPECT_TRUE(load.text.ends_with(line.substr(0, line.size() - 1)));
}

// ---- Preferences and language files -----------------------------------------------------------

TEST(BadSettingsFileTest, BinaryPreferencesLoadWithinRangesAndSaveBackUnchanged) {
    TempFolder folder;
    std::mt19937 random(4711);
    std::string garbage(256 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() & 0xFF);
    }
    // Keys among the garbage, so that values are read out of it as well.
    for (std::size_t at = 1000; at + 40 < garbage.size(); at += 20011) {
        garbage.replace(at, 30, "\nFontSize=\xFF\x01\nWinWidth=99999999\n");
    }
    const std::string ini = folder.Write("QuillmateViewer.ini", garbage);
    Preferences prefs;
    DatabaseLocation location;
    const FontLoadCheck fontLoads = [](const std::string&, int) { return true; };
    const PreferencesLoad load = LoadPreferences(ini, kDesktop, fontLoads, prefs, location);
    EXPECT_TRUE(load.fileExists);
    EXPECT_GE(prefs.fontSize, 6);
    EXPECT_LE(prefs.fontSize, 24);
    EXPECT_LE(prefs.winWidth, kDesktop.width - 50);

    ASSERT_EQ(SavePreferences(ini, prefs, location), PreferencesSave::Saved);
    Preferences again;
    DatabaseLocation againLocation;
    LoadPreferences(ini, kDesktop, fontLoads, again, againLocation);
    EXPECT_EQ(again.fontName, prefs.fontName);
    EXPECT_EQ(again.fontSize, prefs.fontSize);
    EXPECT_EQ(again.winWidth, prefs.winWidth);
    EXPECT_EQ(againLocation.libPath, location.libPath);
}

TEST(BadSettingsFileTest, LastLineWithoutLineFeedIsRead) {
    TempFolder folder;
    for (const std::string ending : {"", "\r", " \t"}) {
        const std::string ini = folder.Write("QuillmateViewer.ini", "Language=1\nFontSize=12" + ending);
        Preferences prefs;
        DatabaseLocation location;
        LoadPreferences(
            ini, kDesktop, [](const std::string&, int) { return true; }, prefs, location);
        EXPECT_EQ(prefs.fontSize, 12) << testing::PrintToString(ending);

        const std::string inf =
            folder.Write("QuillmateLang.inf", "[LanguageItems]\nKey = A\nde = a\nen = b\nfr = c" + ending);
        LanguageTable table(inf);
        EXPECT_EQ(table.GetText("A", false, "fr"), ending == " \t" ? "c \t" : "c")
            << testing::PrintToString(ending);
    }
}

TEST(BadSettingsFileTest, UnreadableLanguageFileCountsAsMissing) {
    if (RunningAsRoot()) {
        GTEST_SKIP() << "permission bits do not stop root from reading";
    }
    TempFolder folder;
    const std::string inf = folder.Write("QuillmateLang.inf", "[LanguageItems]\nKey = A\nde = a\n");
    ::chmod(inf.c_str(), 0);
    LanguageTable table(inf);
    EXPECT_EQ(table.GetText("A", false, "de"), std::nullopt);
    EXPECT_FALSE(table.Loaded());
    EXPECT_TRUE(table.TakeMissingFileWarning());
}

// Sets or clears the immutable attribute, which stops writes and new folder entries even for
// root. False when the file system or the missing privilege does not allow it.
bool SetImmutable(const std::string& path, bool immutable) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Keeps a file or folder immutable for its lifetime, so that the temporary folder can be removed.
class ImmutableGuard {
  public:
    explicit ImmutableGuard(std::string path) : m_path(std::move(path)), m_set(SetImmutable(m_path, true)) {}
    ImmutableGuard(const ImmutableGuard&) = delete;
    ImmutableGuard& operator=(const ImmutableGuard&) = delete;
    ~ImmutableGuard() {
        if (m_set) {
            SetImmutable(m_path, false);
        }
    }
    bool IsSet() const { return m_set; }

  private:
    std::string m_path;
    bool m_set;
};

constexpr const char* kNoImmutableFiles =
    "the file system or the missing CAP_LINUX_IMMUTABLE privilege allows no immutable files";

TEST(BadSettingsFileTest, PreferencesThatCannotBeWrittenStayUnchangedWithoutComplaint) {
    TempFolder folder;
    const std::string original = "about=1\n\nLanguage=1\n";
    const std::string ini = folder.Write("QuillmateViewer.ini", original);
    const ImmutableGuard guard(ini);
    if (!guard.IsSet()) {
        GTEST_SKIP() << kNoImmutableFiles;
    }
    Preferences prefs;
    prefs.language = 2;
    EXPECT_EQ(SavePreferences(ini, prefs, DatabaseLocation{}), PreferencesSave::ReadOnlyUnchanged);
    EXPECT_EQ(ReadFile(ini), original);
}

TEST(BadSettingsFileTest, ProgramFolderThatCannotBeWrittenGetsTheFileSavedInPlace) {
    TempFolder folder;
    const std::string original = "about=1\n\nLanguage=1\n";
    const std::string ini = folder.Write("QuillmateViewer.ini", original);
    const ImmutableGuard guard(folder.Path());
    if (!guard.IsSet()) {
        GTEST_SKIP() << kNoImmutableFiles;
    }
    Preferences prefs;
    prefs.language = 2;
    EXPECT_EQ(SavePreferences(ini, prefs, DatabaseLocation{}), PreferencesSave::Saved);
    EXPECT_NE(ReadFile(ini).find("\nLanguage=2\n"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace quillmate
