// The index rows as FillIndexTree produces them, kept apart from the tree widget: each row's
// text, depth, colours and icon and its place in the tree, and the rules that read them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/Database.h"

namespace quillmate {

struct IndexRow {
    std::string text;
    int depth = 0;
    // The row's colours, as indexes into the rows' colours (IndexRows::Colour): a million rows
    // share the few colours of the palette. 0 is the widget's default.
    std::uint8_t background = 0;
    std::uint8_t foreground = 0;
    RowIcon icon = RowIcon::None;
    // Flat indexes of the neighbours in the tree; -1 for none.
    int parent = -1;
    int firstChild = -1;
    int nextSibling = -1;
    int childCount = 0;
};

// Row i belongs to entry i of the EntryList. A row appended with depth d becomes the last child
// of the latest row of depth d - 1, or a top-level row when there is none. The links are set
// while appending, in constant time per row.
class IndexRows : public IndexRowSink {
  public:
    void Clear();
    void AppendRow(std::string_view text, int depth) override;
    void SetRowBackground(int row, const std::string& colour) override;
    void SetRowForeground(int row, const std::string& colour) override;
    void SetRowIcon(int row, RowIcon icon) override;

    int Count() const { return static_cast<int>(m_rows.size()); }
    // The colour of a row's colour index: empty for the widget's default.
    const std::string& Colour(std::uint8_t index) const { return m_colours[index]; }
    const std::vector<IndexRow>& Rows() const { return m_rows; }
    bool Has(int row) const { return row >= 0 && row < Count(); }
    // Empty, -1 and false for a row that does not exist.
    const std::string& Text(int row) const;
    int Depth(int row) const;
    int Parent(int row) const;
    bool HasChildren(int row) const;
    // Changes on every clear and append; data taken from the rows at another generation is stale.
    std::uint64_t Generation() const { return m_generation; }

  private:
    std::uint8_t ColourIndex(const std::string& colour);

    std::vector<IndexRow> m_rows;
    std::vector<std::string> m_colours{std::string()};
    std::vector<int> m_lastChild;    // by row
    std::vector<int> m_lastAtDepth;  // the rows a new row may belong to, by depth
    int m_lastTopLevel = -1;
    std::uint64_t m_generation = 0;
};

struct IndexCounts {
    int themes = 0;   // depth-1 rows with children, without the program's own theme
    int entries = 0;  // depth-2 rows with a file, outside the program's own theme
};
IndexCounts CountThemesAndEntries(const IndexRows& rows, const EntryList& entries);

// What Left, Right or Space on the selected row does to the tree.
enum class TreeKeyStep { Nothing, Expand, Collapse, SelectAndCollapse };
struct TreeKeyDecision {
    TreeKeyStep step = TreeKeyStep::Nothing;
    int row = -1;  // the row to expand, collapse, or select and collapse
    bool operator==(const TreeKeyDecision&) const = default;
};
// Key values and modifier bits as the desktop reports them.
inline constexpr unsigned kTreeKeySpace = 0x20;
inline constexpr unsigned kTreeKeyLeft = 0xFF51;
inline constexpr unsigned kTreeKeyRight = 0xFF53;
inline constexpr unsigned kTreeKeyModifiers = 0xF;  // Shift, Caps Lock, Control, Alt
// A node opens and closes one level; Left on a leaf or a closed node goes to the parent and
// closes it. Nothing with a modifier held, another key or no selected row (-1).
TreeKeyDecision DecideTreeKey(const IndexRows& rows, int row, unsigned keyval, unsigned modifiers,
                              bool expanded);

// Absolute path of the code file of entry `row` for dragging it out: the library folder (the
// program folder when it is relative) joined to the entry's file. Empty when there is no such
// entry, it has no file or `isFile` denies the path.
std::string DraggedEntryPath(const EntryList& entries, int row, const std::string& libPath,
                             const std::string& programFolder,
                             const std::function<bool(const std::string&)>& isFile);

// The database-info window's content line: the head row's title and the head's text.
std::string DatabaseContentText(const IndexRows& rows, const EntryList& entries);

}  // namespace quillmate
