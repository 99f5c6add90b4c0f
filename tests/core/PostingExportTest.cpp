#include "viewer/PostingExport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExportFixture.h"

namespace quillmate {
namespace {

using test::CollectingWriter;
using test::ExportFolder;

// Items and entries side by side; the item text of an entry is its German title.
struct Index {
    std::vector<ExportItem> items;
    EntryList entries;

    Index& Theme(const std::string& name, int level = 1) {
        items.push_back({level, name});
        entries.push_back(DbEntry{});
        return *this;
    }
    Index& Entry(const std::string& themeDe, int level = 2) {
        items.push_back({level, themeDe});
        DbEntry entry;
        entry.themeDe = themeDe;
        entries.push_back(entry);
        return *this;
    }
    std::vector<std::string> Posting(bool newsOnly) const {
        CollectingWriter out;
        WritePosting(items, entries, newsOnly, out);
        return out.lines;
    }
};

TEST(PostingExportTest, EachThemeWithEntriesStartsWithAnEmptyLineAndRepeatsItsHeading) {
    Index index;
    index.Theme("Head", 0).Theme("Empty").Theme("Buttons").Entry("Eins").Entry("✰Zwei").Theme("Labels").Entry(
        "Drei");
    EXPECT_EQ(index.Posting(false),
              (std::vector<std::string>{"", "[b]Buttons[/b]: \tEins", "[b]Buttons[/b]: \t✰Zwei", "",
                                        "[b]Labels[/b]: \tDrei"}));
}

TEST(PostingExportTest, NewsOnlyKeepsTheSeparatorOfThemesWithoutNews) {
    Index index;
    index.Theme("Head", 0).Theme("Buttons").Entry("Eins").Entry("✰Zwei").Theme("Labels").Entry("Drei").Entry(
        "Vier ✰");
    EXPECT_EQ(index.Posting(true), (std::vector<std::string>{"", "[b]Buttons[/b]: \t✰Zwei", ""}));
}

TEST(PostingExportTest, TitlesAndThemesAreWrittenUnchanged) {
    Index index;
    index.Theme("Head", 0).Theme("[i]Tips & Tricks[/i]").Entry("Tab\tand [b]bold[/b]");
    EXPECT_EQ(index.Posting(false),
              (std::vector<std::string>{"", "[b][i]Tips & Tricks[/i][/b]: \tTab\tand [b]bold[/b]"}));
}

TEST(PostingExportTest, VariantsBelowEntriesAreLeftOutButDropNothingElse) {
    Index index;
    index.Theme("Head", 0)
        .Theme("Lists")
        .Entry("Eins")
        .Entry("Variante", 3)
        .Entry("Zwei")
        .Theme("Trees")
        .Entry("Drei");
    EXPECT_EQ(index.Posting(false),
              (std::vector<std::string>{"", "[b]Lists[/b]: \tEins", "[b]Lists[/b]: \tZwei", "",
                                        "[b]Trees[/b]: \tDrei"}));
}

TEST(PostingExportTest, FixtureLibraryGivesTheExpectedPostings) {
    const test::ExportLibrary library = test::FixtureLibrary();
    for (const bool newsOnly : {false, true}) {
        ExportFolder folder;
        const ExportResult result = ExportPosting(library.items, library.entries, newsOnly, folder.Path());
        EXPECT_TRUE(result.written);
        EXPECT_EQ(result.message, "text-Export done to ...\n" + folder.Path() + "ForumPosting.txt");
        test::ExpectGolden(folder.Read("ForumPosting.txt"),
                           newsOnly ? "ForumPosting-News.txt" : "ForumPosting-All.txt");
    }
}

TEST(PostingExportTest, PostingThatCannotBeCreatedIsReported) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    const ExportResult result =
        ExportPosting(library.items, library.entries, false, folder.Path() + "Export/");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "Couldn't create\n" + folder.Path() + "Export/ForumPosting.txt");
    EXPECT_FALSE(folder.Has("Export"));
}

TEST(PostingExportTest, PostingCutOffByAFullDiskIsReportedAsNotCreated) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    if (!folder.MakeFull("ForumPosting.txt")) {
        GTEST_SKIP() << "no file size limit";
    }
    const ExportResult result = ExportPosting(library.items, library.entries, true, folder.Path());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "Couldn't create\n" + folder.Path() + "ForumPosting.txt");
}

TEST(PostingExportTest, FileListVisitsTheEntryItemsOnly) {
    const test::ExportLibrary library = test::FixtureLibrary();
    EXPECT_EQ(ExportFileList(library.items, library.entries), 5);
    EXPECT_EQ(ExportFileList(library.items, {}), 0);
}

}  // namespace
}  // namespace quillmate
