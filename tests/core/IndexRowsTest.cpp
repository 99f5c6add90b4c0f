#include "database/IndexRows.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace quillmate {
namespace {

IndexRows RowsOf(const std::vector<std::pair<std::string, int>>& textsAndDepths) {
    IndexRows rows;
    for (const auto& [text, depth] : textsAndDepths) {
        rows.AppendRow(text, depth);
    }
    return rows;
}

// The links against the literal rule: the parent of a row of depth d is the latest earlier row of
// depth d - 1 unless a shallower row came between; children and siblings follow from the parents.
TEST(IndexRowsTest, LinksAgreeWithTheLiteralRule) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        std::vector<int> depths;
        IndexRows rows;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            depths.push_back(static_cast<int>(random() % 6) - 1);
            rows.AppendRow(std::to_string(i), depths.back());
        }
        ASSERT_EQ(rows.Count(), count);
        std::vector<int> parents;
        for (int i = 0; i < count; ++i) {
            const int depth = std::max(depths[static_cast<size_t>(i)], 0);
            int parent = -1;
            for (int j = i - 1;
                 j >= 0 && depth > 0 && std::max(depths[static_cast<size_t>(j)], 0) >= depth - 1; --j) {
                if (std::max(depths[static_cast<size_t>(j)], 0) == depth - 1) {
                    parent = j;
                    break;
                }
            }
            parents.push_back(parent);
        }
        for (int i = 0; i < count; ++i) {
            const IndexRow& row = rows.Rows()[static_cast<size_t>(i)];
            SCOPED_TRACE(testing::Message() << "round " << round << " row " << i);
            int firstChild = -1;
            int nextSibling = -1;
            int children = 0;
            for (int j = count - 1; j > i; --j) {
                if (parents[static_cast<size_t>(j)] == i) {
                    firstChild = j;
                    ++children;
                }
                if (parents[static_cast<size_t>(j)] == parents[static_cast<size_t>(i)]) {
                    nextSibling = j;
                }
            }
            EXPECT_EQ(row.depth, std::max(depths[static_cast<size_t>(i)], 0));
            EXPECT_EQ(row.parent, parents[static_cast<size_t>(i)]);
            EXPECT_EQ(row.firstChild, firstChild);
            EXPECT_EQ(row.nextSibling, nextSibling);
            EXPECT_EQ(row.childCount, children);
        }
    }
}

TEST(IndexRowsTest, GenerationChangesOnClearAndAppendOnly) {
    IndexRows rows;
    auto generation = rows.Generation();
    rows.AppendRow("a", 0);
    EXPECT_NE(rows.Generation(), generation);
    generation = rows.Generation();
    rows.SetRowBackground(0, "#7F7F7F");
    rows.SetRowIcon(5, RowIcon::New);  // no such row: nothing happens
    EXPECT_EQ(rows.Generation(), generation);
    rows.Clear();
    EXPECT_NE(rows.Generation(), generation);
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(rows.Text(0), "");
    EXPECT_EQ(rows.Depth(0), -1);
    EXPECT_FALSE(rows.HasChildren(-1));
}

DbEntry EntryWithFile(std::string_view file) {
    return DbEntry{.file = file};
}

TEST(IndexRowsTest, CountsThemesWithChildrenAndTheirEntriesWithFiles) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> rows;
        std::vector<std::string> files;  // by row
        int themes;
        int entries;
    };
    const Case cases[] = {
        {"the program's own theme and its entries do not count",
         {{"Lib", 0}, {"Quillmate", 1}, {"Help", 2}, {"A", 1}, {"a1", 2}, {"a2", 2}},
         {"", "", "/h.txt", "", "/a1.kx", "/a2.kx"},
         1,
         2},
        {"an empty theme, an entry without a file and a variant do not count",
         {{"Lib", 0}, {"Empty", 1}, {"A", 1}, {"a1", 2}, {"a1v", 3}, {"a2", 2}},
         {"", "", "", "/a1.kx", "/v.kx", ""},
         1,
         1},
        {"rows beyond the entries count as entries without a file",
         {{"Lib", 0}, {"A", 1}, {"a1", 2}, {"a2", 2}},
         {"", "", "/a1.kx"},
         1,
         1},
        {"no rows", {}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        EntryList entries;
        for (const std::string& file : c.files) {
            entries.push_back(EntryWithFile(file));
        }
        const IndexCounts counts = CountThemesAndEntries(RowsOf(c.rows), entries);
        EXPECT_EQ(counts.themes, c.themes) << c.what;
        EXPECT_EQ(counts.entries, c.entries) << c.what;
    }
}

TEST(IndexRowsTest, TreeKeysOpenAndCloseOneLevelAndLeftGoesUp) {
    // Head > theme > parent entry > child entry, and a sibling entry of the parent.
    const IndexRows rows = RowsOf({{"Head", 0}, {"Theme", 1}, {"Parent", 2}, {"Child", 3}, {"Sibling", 2}});
    constexpr unsigned kShift = 0x1;
    constexpr unsigned kControl = 0x4;
    constexpr unsigned kNumLock = 0x10;
    constexpr unsigned kDown = 0xFF54;
    using enum TreeKeyStep;
    struct Case {
        const char* what;
        int row;
        unsigned key;
        unsigned modifiers;
        bool expanded;
        TreeKeyDecision decision;
    };
    const Case cases[] = {
        {"Left closes an open node", 1, kTreeKeyLeft, 0, true, {Collapse, 1}},
        {"Left on a closed node goes up", 2, kTreeKeyLeft, 0, false, {SelectAndCollapse, 1}},
        {"Left on a closed top node", 0, kTreeKeyLeft, 0, false, {}},
        {"Left on a leaf goes up", 3, kTreeKeyLeft, 0, false, {SelectAndCollapse, 2}},
        {"Right opens a closed node", 1, kTreeKeyRight, 0, false, {Expand, 1}},
        {"Right on an open node", 1, kTreeKeyRight, 0, true, {}},
        {"Right on a leaf", 4, kTreeKeyRight, 0, false, {}},
        {"Space closes an open node", 2, kTreeKeySpace, 0, true, {Collapse, 2}},
        {"Space opens a closed node", 2, kTreeKeySpace, 0, false, {Expand, 2}},
        {"Space on a leaf", 3, kTreeKeySpace, 0, false, {}},
        {"Shift+Left", 3, kTreeKeyLeft, kShift, false, {}},
        {"Control+Space", 1, kTreeKeySpace, kControl, true, {}},
        {"Num Lock is no modifier here", 3, kTreeKeyLeft, kNumLock, false, {SelectAndCollapse, 2}},
        {"another key", 1, kDown, 0, true, {}},
        {"no selected row", -1, kTreeKeyLeft, 0, false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecideTreeKey(rows, c.row, c.key, c.modifiers, c.expanded), c.decision) << c.what;
    }
}

TEST(IndexRowsTest, DraggedEntryPathIsTheExistingFileBelowTheLibrary) {
    const EntryList entries = {EntryWithFile(""), EntryWithFile("/Buttons/Simple.kx"),
                               EntryWithFile("/Buttons/Gone.kx")};
    const std::set<std::string> existing = {"/lib/Buttons/Simple.kx", "/prog/Buttons/Simple.kx",
                                            "/prog/lib/Buttons/Simple.kx"};
    struct Case {
        int row;
        const char* libPath;
        std::string path;
    };
    const Case cases[] = {
        {1, "/lib/", "/lib/Buttons/Simple.kx"},
        {1, "/lib", "/lib/Buttons/Simple.kx"},
        {1, "", "/prog/Buttons/Simple.kx"},  // relative to the program folder
        {1, "lib/", "/prog/lib/Buttons/Simple.kx"},
        {0, "/lib/", ""},  // no file
        {2, "/lib/", ""},  // the file does not exist
        {3, "/lib/", ""},
        {-1, "/lib/", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DraggedEntryPath(entries, c.row, c.libPath, "/prog/",
                                   [&](const std::string& path) { return existing.contains(path); }),
                  c.path)
            << c.row << " " << c.libPath;
    }
}

TEST(IndexRowsTest, ContentTextIsTheHeadTitleAndText) {
    const EntryList entries = {DbEntry{.nodeText = "Head text"}};
    EXPECT_EQ(DatabaseContentText(RowsOf({{"Lib", 0}, {"A", 1}}), entries), "Lib - Head text");
    EXPECT_EQ(DatabaseContentText(IndexRows(), {}), " - ");
}

}  // namespace
}  // namespace quillmate
