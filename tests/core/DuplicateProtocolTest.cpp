#include "database/DuplicateProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExportFixture.h"

namespace quillmate {
namespace {

using test::CollectingWriter;
using test::ExportFolder;

const std::string kHeader = "Doppelte xml-Einträge in Quillmate-Toc.xml:";

// The entry views its texts: literals, which outlive it.
DbEntry Entry(std::string_view group, std::string_view file, std::string_view themeDe = "",
              std::string_view themeEn = "", std::string_view descriptDe = "",
              std::string_view descriptEn = "") {
    DbEntry entry;
    entry.groupTitle = group;
    entry.file = file;
    entry.themeDe = themeDe;
    entry.themeEn = themeEn;
    entry.descriptDe = descriptDe;
    entry.descriptEn = descriptEn;
    return entry;
}

std::vector<std::string> Protocol(const EntryList& entries) {
    CollectingWriter out;
    WriteDuplicateLines(entries, "Quillmate-Toc.xml", out);
    return out.lines;
}

// The protocol with the lines of each pass given; passes in the order file, German title,
// German description, English title, English description.
std::vector<std::string> Expected(const std::vector<std::vector<std::string>>& passes) {
    std::vector<std::string> lines = {kHeader, ""};
    for (size_t i = 0; i < passes.size(); ++i) {
        if (i > 0) {
            lines.push_back("");
        }
        lines.insert(lines.end(), passes[i].begin(), passes[i].end());
    }
    return lines;
}

TEST(DuplicateProtocolTest, EmptyDatabaseGivesHeaderAndFiveEmptyLines) {
    EXPECT_EQ(Protocol({Entry("Library", "")}), Expected({{}, {}, {}, {}, {}}));
    EXPECT_EQ(Protocol({}), Expected({{}, {}, {}, {}, {}}));
}

TEST(DuplicateProtocolTest, EqualFileNamesInTwoFoldersGiveOneFileNameLine) {
    EXPECT_EQ(Protocol({Entry("X", "x/a.kx"), Entry("Y", "y/a.kx")}),
              Expected({{"File: a.kx[X] = a.kx[Y]"}, {}, {}, {}, {}}));
}

TEST(DuplicateProtocolTest, SamePathGivesThePathLineAndTheFileNameLine) {
    EXPECT_EQ(Protocol({Entry("X", "/x/a.kx"), Entry("Y", "/x/a.kx")}),
              Expected({{"File: /x/a.kx[X] = /x/a.kx[Y]", "File: a.kx[X] = a.kx[Y]"}, {}, {}, {}, {}}));
}

TEST(DuplicateProtocolTest, ThreeEqualTitlesGiveThreePairs) {
    EXPECT_EQ(Protocol({Entry("A", "", "Knopf"), Entry("B", "", "Knopf"), Entry("C", "", "Knopf")}),
              Expected({{},
                        {"FunctionDe: Knopf[A] = Knopf[B]", "FunctionDe: Knopf[A] = Knopf[C]",
                         "FunctionDe: Knopf[B] = Knopf[C]"},
                        {},
                        {},
                        {}}));
}

TEST(DuplicateProtocolTest, ComparisonIsExactAndIgnoresFrenchAndEmptyFields) {
    DbEntry french1 = Entry("A", "");
    DbEntry french2 = Entry("B", "");
    french1.themeFr = french2.themeFr = "Bouton";
    french1.descriptFr = french2.descriptFr = "Un bouton";
    const EntryList entries = {
        Entry("A", "", "Fenster", "Window"),
        Entry("B", "", "fenster", "window"),  // case differs
        Entry("C", "", "✰Neu", ""),
        Entry("D", "", "Neu", ""),  // mark differs
        french1,
        french2,
    };
    EXPECT_EQ(Protocol(entries), Expected({{}, {}, {}, {}, {}}));
}

TEST(DuplicateProtocolTest, EachPassReportsItsOwnField) {
    const EntryList entries = {
        Entry("A", "/a/1.kx", "T", "E", "Dd", "De"),
        Entry("B", "/b/2.kx", "T", "E", "Dd", "De"),
    };
    EXPECT_EQ(Protocol(entries), Expected({{},
                                           {"FunctionDe: T[A] = T[B]"},
                                           {"DescriptDe: Dd[A] = Dd[B]"},
                                           {"FunctionEn: E[A] = E[B]"},
                                           {"DescriptEn: De[A] = De[B]"}}));
}

TEST(DuplicateProtocolTest, FixtureLibraryGivesTheExpectedProtocol) {
    const test::ExportLibrary library = test::FixtureLibrary();
    ExportFolder folder;
    const ExportResult result = WriteDuplicateProtocol(library.entries, "Export-Toc.xml", folder.Path());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.message, "Protokoll with double terms done to ...\n" + folder.Path() + "Protocoll.txt");
    test::ExpectGolden(folder.Read("Protocoll.txt"), "Protocoll.txt");
}

TEST(DuplicateProtocolTest, ProtocolThatCannotBeCreatedIsReported) {
    ExportFolder folder;
    const ExportResult result = WriteDuplicateProtocol({}, "Quillmate-Toc.xml", folder.Path() + "Export/");
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "Couldn't create Protokoll\n" + folder.Path() + "Export/Protocoll.txt");
    EXPECT_FALSE(folder.Has("Export"));
}

TEST(DuplicateProtocolTest, ProtocolCutOffByAFullDiskIsReportedAsNotCreated) {
    ExportFolder folder;
    if (!folder.MakeFull("Protocoll.txt")) {
        GTEST_SKIP() << "no file size limit";
    }
    const ExportResult result = WriteDuplicateProtocol({}, "Quillmate-Toc.xml", folder.Path());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message, "Couldn't create Protokoll\n" + folder.Path() + "Protocoll.txt");
}

}  // namespace
}  // namespace quillmate
