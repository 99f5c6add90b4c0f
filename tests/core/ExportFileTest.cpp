#include "base/ExportFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "ExportFixture.h"

namespace quillmate {
namespace {

using test::ExportFolder;

TEST(ExportFileTest, EveryLineGetsOneLineFeedAndNoByteOrderMark) {
    ExportFolder folder;
    ExportFile out;
    ASSERT_TRUE(out.Create(folder.Path() + "out.txt"));
    out.WriteLine("erste Zeile ✰");
    out.WriteLine("");
    out.WriteLine("ends with a line feed\n");
    EXPECT_TRUE(out.Close());
    EXPECT_EQ(folder.Read("out.txt"), "erste Zeile ✰\n\nends with a line feed\n\n");
}

TEST(ExportFileTest, ExistingFileIsReplaced) {
    ExportFolder folder;
    for (const char* text : {"a much longer first version", "short"}) {
        ExportFile out;
        ASSERT_TRUE(out.Create(folder.Path() + "out.txt"));
        out.WriteLine(text);
        ASSERT_TRUE(out.Close());
    }
    EXPECT_EQ(folder.Read("out.txt"), "short\n");
    // Through a symbolic link the target is replaced and the link stays.
    ASSERT_EQ(::symlink("out.txt", (folder.Path() + "link.txt").c_str()), 0);
    ExportFile out;
    ASSERT_TRUE(out.Create(folder.Path() + "link.txt"));
    out.WriteLine("linked");
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(folder.Read("out.txt"), "linked\n");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() + "link.txt"));
}

TEST(ExportFileTest, FileInMissingFolderCannotBeCreated) {
    ExportFolder folder;
    ExportFile out;
    EXPECT_FALSE(out.Create(folder.Path() + "missing/out.txt"));
    out.WriteLine("goes nowhere");
    EXPECT_FALSE(out.Close());
    EXPECT_FALSE(folder.Has("missing"));
}

TEST(ExportFileTest, FullDiskIsAFailedCloseThatKeepsThePreviousFileWhateverTheAmountWritten) {
    ExportFolder folder;
    if (!folder.MakeFull("out.txt")) {
        GTEST_SKIP() << "no file size limit";
    }
    for (const size_t lines : {size_t{1}, size_t{20000}}) {
        ExportFile out;
        ASSERT_TRUE(out.Create(folder.Path() + "out.txt"));
        for (size_t i = 0; i < lines; ++i) {
            out.WriteLine("some text for the full disk");
        }
        EXPECT_FALSE(out.Close()) << lines << " lines";
        EXPECT_EQ(folder.Read("out.txt"), ExportFolder::kPreviousVersion);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
    }
}

TEST(ExportFileTest, TextLinesComeWithoutLineEndsAndByteOrderMark) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"one", {"one"}},
        {"one\ntwo\n", {"one", "two"}},
        {"one\r\ntwo\r\n\r\nfour", {"one", "two", "", "four"}},
        {"\xEF\xBB\xBFhead\n\xEF\xBB\xBFsecond", {"head", "\xEF\xBB\xBFsecond"}},
        {"\n\n", {"", ""}},
    };
    ExportFolder folder;
    for (const auto& c : cases) {
        std::ofstream(folder.Path() + "in.txt", std::ios::binary) << c.content;
        std::vector<std::string> lines;
        EXPECT_TRUE(ForEachTextLine(folder.Path() + "in.txt",
                                    [&](const std::string& line) { lines.push_back(line); }));
        EXPECT_EQ(lines, c.lines) << "content: " << c.content;
    }
}

TEST(ExportFileTest, MissingTextFileGivesNoLines) {
    ExportFolder folder;
    int calls = 0;
    EXPECT_FALSE(ForEachTextLine(folder.Path() + "missing.txt", [&](const std::string&) { ++calls; }));
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace quillmate
