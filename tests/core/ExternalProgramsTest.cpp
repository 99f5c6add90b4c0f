// Paths for the clipboard and external programs, the editor's permission rule, and the argument
// lists that reach "xdg-open", "gnome-open", "beep" and the editor.
#include "viewer/ExternalPrograms.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "RecordingPrograms.h"
#include "base/Paths.h"

namespace quillmate {
namespace {

using test::RecordedCall;
using test::RecordingPrograms;

// A scratch folder with files of the wanted permissions; removed afterwards.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmate-open-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        m_path = pattern + "/";
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name, mode_t mode = 0644) const {
        const std::string path = m_path + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "content\n";
        ::chmod(path.c_str(), mode);
        return path;
    }

  private:
    std::string m_path;
};

TEST(ExternalProgramsTest, CodePathsJoinTheFolderAndTheEntryWithoutLeadingSlashes) {
    struct Case {
        const char* folder;
        const char* entry;
        const char* path;
    };
    const Case cases[] = {
        {"/home/u/Library/", "/Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library/", "///Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library/", "Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
        {"/home/u/Library/", "", "/home/u/Library/"},  // no entry loaded yet: the folder alone
        {"", "/Buttons/Simple.kx", "Buttons/Simple.kx"},
        {"/home/u/Library", "/Buttons/Simple.kx", "/home/u/Library/Buttons/Simple.kx"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodePath(c.folder, c.entry), c.path);
    }
}

TEST(ExternalProgramsTest, TheEditorIsChosenByItsOwnerExecuteBit) {
    ScratchFolder folder;
    const std::string executable = folder.File("editor", 0744);
    const std::string onlyOthersExecute = folder.File("others", 0655);
    const std::string plain = folder.File("plain", 0644);
    const std::string linkToPlain = folder.Path() + "link-to-plain";
    ASSERT_EQ(::symlink(plain.c_str(), linkToPlain.c_str()), 0);
    const std::string linkToNothing = folder.Path() + "dangling";
    ASSERT_EQ(::symlink((folder.Path() + "nothing").c_str(), linkToNothing.c_str()), 0);

    struct Case {
        std::string editor;
        OpenCodeChoice choice;
    };
    const Case cases[] = {
        {"", OpenCodeChoice::DefaultApp},
        {executable, OpenCodeChoice::Editor},
        {onlyOthersExecute, OpenCodeChoice::Nothing},
        {plain, OpenCodeChoice::Nothing},
        {folder.Path() + "missing", OpenCodeChoice::Nothing},
        // A link is judged by its own bits (always set on Linux), not by its target's.
        {linkToPlain, OpenCodeChoice::Editor},
        {linkToNothing, OpenCodeChoice::Editor},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseCodeOpener(c.editor), c.choice) << c.editor;
    }
}

TEST(ExternalProgramsTest, HelpFileIsOpenedBelowTheDatabaseFolderWithItsStoredPath) {
    const EntryList entries = {DbEntry{}, DbEntry{}, DbEntry{.file = "/Quillmate/ViewerHelp.txt"}};
    EXPECT_EQ(HelpFileEditPath("/db/", entries, 2), "/db//Quillmate/ViewerHelp.txt");
    EXPECT_FALSE(HelpFileEditPath("/db/", entries, 0));
    EXPECT_FALSE(HelpFileEditPath("/db/", entries, 3));
    EXPECT_FALSE(HelpFileEditPath("/db/", entries, -1));
}

class ExternalProgramsStartTest : public ::testing::Test {
  protected:
    void SetUp() override { m_programs.UseAsSearchPath(); }

    RecordingPrograms m_programs;
    ScratchFolder m_folder;
    ProgramStarter m_starter;
};

MATCHER_P2(IsCall, program, arguments, "") {
    return arg.program == program && arg.arguments == std::vector<std::string>(arguments);
}

TEST_F(ExternalProgramsStartTest, DefaultAppGetsAnExistingFileAsOneArgument) {
    m_programs.Add("xdg-open");
    m_programs.Add("gnome-open");
    const std::string path = m_folder.File("-dash \"quoted\" and spaces.kx");
    EXPECT_EQ(OpenWithDefaultApp(m_starter, path, "", 0), 1);
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{path}));
}

TEST_F(ExternalProgramsStartTest, DefaultAppFallsBackToGnomeOpen) {
    m_programs.Add("gnome-open");
    const std::string path = m_folder.File("a b.kx");
    EXPECT_EQ(OpenWithDefaultApp(m_starter, path, "", 0), 1);
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("gnome-open", std::vector<std::string>{path}));
}

TEST_F(ExternalProgramsStartTest, DefaultAppOpensNoFolderAndNoMissingFile) {
    m_programs.Add("xdg-open");
    EXPECT_EQ(OpenWithDefaultApp(m_starter, m_folder.Path(), "", 0), 0);
    EXPECT_EQ(OpenWithDefaultApp(m_starter, m_folder.Path() + "missing.kx", "", 0), 0);
    EXPECT_EQ(OpenWithDefaultApp(m_starter, "", "", 0), 0);
    EXPECT_TRUE(m_programs.CallsAfterSettling().empty());
}

TEST_F(ExternalProgramsStartTest, WithoutAnyOpenerNothingStarts) {
    EXPECT_EQ(OpenWithDefaultApp(m_starter, m_folder.File("x.kx"), "", 0), 0);
}

TEST_F(ExternalProgramsStartTest, AnExecutableEditorGetsTheCodePath) {
    m_programs.Add("xdg-open");
    const std::string editor = m_programs.Add("my editor", "tools with space");
    const std::string path = m_folder.File("Buttons/Simple \"one\".kx");
    EXPECT_TRUE(StartCodeOpener(m_starter, editor, path));
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("my editor", std::vector<std::string>{path}));
}

TEST_F(ExternalProgramsStartTest, AnEditorWithoutExecuteBitMeansNothingHappens) {
    m_programs.Add("xdg-open");
    const std::string editor = m_programs.Add("editor");
    ::chmod(editor.c_str(), 0644);
    EXPECT_FALSE(StartCodeOpener(m_starter, editor, m_folder.File("x.kx")));
    EXPECT_FALSE(StartCodeOpener(m_starter, m_folder.Path() + "no-editor", m_folder.File("y.kx")));
    EXPECT_TRUE(m_programs.CallsAfterSettling().empty());
}

TEST_F(ExternalProgramsStartTest, WithoutEditorTheDefaultAppOpensTheCode) {
    m_programs.Add("xdg-open");
    const std::string path = m_folder.File("x.kx");
    EXPECT_TRUE(StartCodeOpener(m_starter, "", path));
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{path}));
}

TEST_F(ExternalProgramsStartTest, LibraryFolderOpensWithoutTrailingSlashes) {
    m_programs.Add("xdg-open");
    std::filesystem::create_directories(m_folder.Path() + "my \"lib\"");
    OpenFolderOrBeep(m_starter, m_folder.Path() + "my \"lib\"//", "/unused/");
    auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{m_folder.Path() + "my \"lib\""}));
}

TEST_F(ExternalProgramsStartTest, EmptyLibraryFieldOpensTheProgramFolder) {
    m_programs.Add("gnome-open");  // also the fallback here
    OpenFolderOrBeep(m_starter, "", m_folder.Path());
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0],
                IsCall("gnome-open", std::vector<std::string>{WithoutTrailingSlashes(m_folder.Path())}));
}

TEST_F(ExternalProgramsStartTest, MissingLibraryFolderBeeps) {
    m_programs.Add("xdg-open");
    m_programs.Add("beep");
    OpenFolderOrBeep(m_starter, m_folder.Path() + "gone/", m_folder.Path());
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("beep", std::vector<std::string>{"-f", "130.8", "-l", "100"}));
}

TEST_F(ExternalProgramsStartTest, ARelativePathWithALeadingDashStaysOneArgument) {
    m_programs.Add("xdg-open");
    const std::string saved = std::filesystem::current_path();
    m_folder.File("-n ame.kx");
    ASSERT_EQ(::chdir(m_folder.Path().c_str()), 0);
    const int started = OpenWithDefaultApp(m_starter, "-n ame.kx", "", 0);
    ASSERT_EQ(::chdir(saved.c_str()), 0);
    EXPECT_EQ(started, 1);
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{"-n ame.kx"}));
}

}  // namespace
}  // namespace quillmate
