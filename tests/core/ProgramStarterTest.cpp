#include "base/ProgramStarter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace quillmate {
namespace {

TEST(ProgramStarterTest, SplitsAtBlanksAndKeepsQuotedTextTogether) {
    struct Case {
        std::string text;
        std::vector<std::string> arguments;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"   \t\n ", {}},
        {"-f 100 -l 20", {"-f", "100", "-l", "20"}},
        {"a\tb\nc", {"a", "b", "c"}},
        {"\"/home/u/My Library/a b.kx\"", {"/home/u/My Library/a b.kx"}},
        {"x \"a b\"c d", {"x", "a bc", "d"}},
        {"\"\"", {""}},
        {"\"unclosed quote", {"unclosed quote"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitParameterText(c.text), c.arguments) << "text: " << c.text;
    }
}

TEST(ProgramStarterTest, QuotedPathStaysOneArgument) {
    for (const std::string path : {"/tmp/with space/a.kx", "-leading-dash", "tab\there", "line\nfeed"}) {
        EXPECT_EQ(SplitParameterText(QuoteForStarter(path)), std::vector<std::string>{path});
    }
}

class ProgramStarterRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() / ("qm-starter-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        m_record = m_folder / "record.txt";
        const auto script = m_folder / "recorder";
        std::ofstream(script) << "#!/bin/sh\npwd > '" << m_record.string() << ".tmp'\n"
                              << "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done >> '" << m_record.string()
                              << ".tmp'\nmv '" << m_record.string() << ".tmp' '" << m_record.string()
                              << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        m_oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        ::setenv("PATH", (m_folder.string() + ":" + m_oldPath).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", m_oldPath.c_str(), 1);
        std::filesystem::remove_all(m_folder);
    }
    std::string WaitForRecord() {
        for (int i = 0; i < 500 && !std::filesystem::exists(m_record); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(m_record);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_record;
    std::string m_oldPath;
};

TEST_F(ProgramStarterRunTest, FindsProgramOnPathAndPassesArgumentsWithoutShell) {
    ProgramStarter starter;
    ASSERT_TRUE(starter.Start("recorder", "\"/a b/$(touch x)\" '-x' *", m_folder.string()));
    EXPECT_EQ(WaitForRecord(), m_folder.string() + "\n[/a b/$(touch x)]\n['-x']\n[*]\n");
}

TEST_F(ProgramStarterRunTest, ReportsMissingProgram) {
    ProgramStarter starter;
    EXPECT_FALSE(starter.Start("quillmate-no-such-program", "a", ""));
    EXPECT_FALSE(starter.Start("/no/such/folder/program", "a", ""));
    EXPECT_FALSE(starter.Start("", "a", ""));
}

}  // namespace
}  // namespace quillmate
