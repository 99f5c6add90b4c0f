#include "database/IndexRows.h"

#include <algorithm>
#include <cstdint>

#include "base/ProgramNames.h"
#include "viewer/CodeFile.h"

namespace quillmate {

void IndexRows::Clear() {
    m_rows.clear();
    m_colours.resize(1);
    m_lastChild.clear();
    m_lastAtDepth.clear();
    m_lastTopLevel = -1;
    ++m_generation;
}

void IndexRows::AppendRow(std::string_view text, int depth) {
    if (depth < 0) {
        depth = 0;
    }
    const auto level = static_cast<std::size_t>(depth);
    const int row = Count();
    const int parent = depth > 0 && m_lastAtDepth.size() >= level ? m_lastAtDepth[level - 1] : -1;
    int& previous = parent >= 0 ? m_lastChild[static_cast<std::size_t>(parent)] : m_lastTopLevel;
    if (previous >= 0) {
        m_rows[static_cast<std::size_t>(previous)].nextSibling = row;
    } else if (parent >= 0) {
        m_rows[static_cast<std::size_t>(parent)].firstChild = row;
    }
    previous = row;
    if (parent >= 0) {
        ++m_rows[static_cast<std::size_t>(parent)].childCount;
    }
    m_rows.push_back({std::string(text), depth, {}, {}, RowIcon::None, parent, -1, -1, 0});
    m_lastChild.push_back(-1);
    // Deeper rows than this one can no longer receive children.
    m_lastAtDepth.resize(level + 1, -1);
    m_lastAtDepth[level] = row;
    ++m_generation;
}

std::uint8_t IndexRows::ColourIndex(const std::string& colour) {
    const auto found = std::find(m_colours.begin(), m_colours.end(), colour);
    if (found != m_colours.end()) {
        return static_cast<std::uint8_t>(found - m_colours.begin());
    }
    if (m_colours.size() > UINT8_MAX) {
        return 0;  // a palette has a handful of colours; more fall back to the default
    }
    m_colours.push_back(colour);
    return static_cast<std::uint8_t>(m_colours.size() - 1);
}

void IndexRows::SetRowBackground(int row, const std::string& colour) {
    if (Has(row)) {
        m_rows[static_cast<std::size_t>(row)].background = ColourIndex(colour);
    }
}

void IndexRows::SetRowForeground(int row, const std::string& colour) {
    if (Has(row)) {
        m_rows[static_cast<std::size_t>(row)].foreground = ColourIndex(colour);
    }
}

void IndexRows::SetRowIcon(int row, RowIcon icon) {
    if (Has(row)) {
        m_rows[static_cast<std::size_t>(row)].icon = icon;
    }
}

const std::string& IndexRows::Text(int row) const {
    static const std::string kNoText;
    return Has(row) ? m_rows[static_cast<std::size_t>(row)].text : kNoText;
}

int IndexRows::Depth(int row) const {
    return Has(row) ? m_rows[static_cast<std::size_t>(row)].depth : -1;
}

int IndexRows::Parent(int row) const {
    return Has(row) ? m_rows[static_cast<std::size_t>(row)].parent : -1;
}

bool IndexRows::HasChildren(int row) const {
    return Has(row) && m_rows[static_cast<std::size_t>(row)].childCount > 0;
}

IndexCounts CountThemesAndEntries(const IndexRows& rows, const EntryList& entries) {
    IndexCounts counts;
    bool ownTheme = false;
    for (int i = 0; i < rows.Count(); ++i) {
        const int depth = rows.Depth(i);
        if (depth == 1 && rows.HasChildren(i)) {
            ownTheme = rows.Text(i) == kOwnThemeName;
            if (!ownTheme) {
                ++counts.themes;
            }
        } else if (depth == 2 && static_cast<std::size_t>(i) < entries.size() &&
                   !entries[static_cast<std::size_t>(i)].file.empty() && !ownTheme) {
            // An entry with variants below it is an entry all the same.
            ++counts.entries;
        }
    }
    return counts;
}

TreeKeyDecision DecideTreeKey(const IndexRows& rows, int row, unsigned keyval, unsigned modifiers,
                              bool expanded) {
    if ((modifiers & kTreeKeyModifiers) != 0 || !rows.Has(row) ||
        (keyval != kTreeKeySpace && keyval != kTreeKeyLeft && keyval != kTreeKeyRight)) {
        return {};
    }
    const int parent = rows.Parent(row);
    const TreeKeyDecision toParent =
        parent >= 0 ? TreeKeyDecision{TreeKeyStep::SelectAndCollapse, parent} : TreeKeyDecision{};
    if (!rows.HasChildren(row)) {
        return keyval == kTreeKeyLeft ? toParent : TreeKeyDecision{};
    }
    if (keyval == kTreeKeyLeft) {
        return expanded ? TreeKeyDecision{TreeKeyStep::Collapse, row} : toParent;
    }
    if (keyval == kTreeKeyRight) {
        return expanded ? TreeKeyDecision{} : TreeKeyDecision{TreeKeyStep::Expand, row};
    }
    return {expanded ? TreeKeyStep::Collapse : TreeKeyStep::Expand, row};
}

std::string DraggedEntryPath(const EntryList& entries, int row, const std::string& libPath,
                             const std::string& programFolder,
                             const std::function<bool(const std::string&)>& isFile) {
    if (row < 0 || static_cast<std::size_t>(row) >= entries.size()) {
        return {};
    }
    const std::string_view file = entries[static_cast<std::size_t>(row)].file;
    if (file.empty()) {
        return {};
    }
    std::string path = CodeFileFullPath(libPath, file);
    if (!path.empty() && path.front() != '/') {
        path = programFolder + path;
    }
    return isFile(path) ? path : std::string();
}

std::string DatabaseContentText(const IndexRows& rows, const EntryList& entries) {
    return rows.Text(0) + " - " + (entries.empty() ? std::string() : std::string(entries.front().nodeText));
}

}  // namespace quillmate
