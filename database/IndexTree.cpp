#include "database/IndexTree.h"

#include "base/Utf8.h"
#include "database/RowMarkup.h"

namespace quillmate {

IndexTree::IndexTree() : m_store(Gtk::TreeStore::create(m_columns)) {
    set_model(m_store);
    set_headers_visible(false);
    set_enable_search(false);
    m_column.pack_start(m_iconRenderer, false);
    m_column.pack_start(m_textRenderer, true);
    m_column.add_attribute(m_iconRenderer.property_pixbuf(), m_columns.icon);
    m_column.add_attribute(m_iconRenderer.property_cell_background_rgba(), m_columns.background);
    m_column.add_attribute(m_iconRenderer.property_cell_background_set(), m_columns.backgroundSet);
    m_column.add_attribute(m_textRenderer.property_text(), m_columns.text);
    m_column.add_attribute(m_textRenderer.property_cell_background_rgba(), m_columns.background);
    m_column.add_attribute(m_textRenderer.property_cell_background_set(), m_columns.backgroundSet);
    m_column.add_attribute(m_textRenderer.property_foreground_rgba(), m_columns.foreground);
    m_column.add_attribute(m_textRenderer.property_foreground_set(), m_columns.foregroundSet);
    // Fixed row heights keep expanding and drawing a large tree fast.
    m_column.set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    m_column.set_expand(true);
    m_column.set_cell_data_func(m_textRenderer, sigc::mem_fun(*this, &IndexTree::DrawRowMarkup));
    append_column(m_column);
    set_fixed_height_mode(true);
}

void IndexTree::DrawRowMarkup(Gtk::CellRenderer* renderer, const Gtk::TreeModel::iterator& iter) {
    const Glib::ustring text = (*iter)[m_columns.text];
    if (const auto markup = IndexRowMarkup(text.raw(), DepthOf(iter), m_hintColour)) {
        static_cast<Gtk::CellRendererText*>(renderer)->property_markup() = *markup;
    }
}

void IndexTree::Clear() {
    const ProgrammaticChange change(*this);
    m_rows.clear();
    m_store->clear();
}

void IndexTree::Show(const IndexRows& rows, const Glib::RefPtr<Gdk::Pixbuf>& newIcon,
                     const Glib::RefPtr<Gdk::Pixbuf>& changedIcon) {
    const ProgrammaticChange change(*this);
    Clear();
    // Filling a shown model costs a redraw check per row.
    unset_model();
    const std::vector<IndexRow>& all = rows.Rows();
    m_rows.assign(all.size(), {});
    // Every value set asks the store for the row's path, which counts the siblings before the
    // row and before each of its ancestors. Each row is therefore prepended, siblings last to
    // first, and a row's subtree is filled before its earlier siblings exist: the path is found
    // in one step per level, however many rows share a parent.
    std::vector<int> pending;
    const auto pushChildren = [&](int first) {
        for (int child = first; child >= 0; child = all[static_cast<std::size_t>(child)].nextSibling) {
            pending.push_back(child);
        }
    };
    pushChildren(all.empty() ? -1 : 0);  // the first row is the first top-level row
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        const IndexRow& row = all[static_cast<std::size_t>(index)];
        PrependRow(index, row,
                   row.icon == quillmate::RowIcon::New       ? newIcon
                   : row.icon == quillmate::RowIcon::Changed ? changedIcon
                                                             : Glib::RefPtr<Gdk::Pixbuf>());
        pushChildren(row.firstChild);
    }
    set_model(m_store);
}

void IndexTree::PrependRow(int index, const IndexRow& row, const Glib::RefPtr<Gdk::Pixbuf>& icon) {
    const Gtk::TreeModel::iterator iter =
        row.parent < 0 ? m_store->prepend()
                       : m_store->prepend(m_rows[static_cast<std::size_t>(row.parent)]->children());
    auto treeRow = *iter;
    treeRow[m_columns.text] = ShownText(row.text, kRowTextLimit);
    treeRow[m_columns.depth] = row.depth;
    treeRow[m_columns.index] = index;
    treeRow[m_columns.icon] = icon;
    treeRow[m_columns.backgroundSet] = !row.background.empty();
    if (!row.background.empty()) {
        treeRow[m_columns.background] = Gdk::RGBA(row.background);
    }
    treeRow[m_columns.foregroundSet] = !row.foreground.empty();
    if (!row.foreground.empty()) {
        treeRow[m_columns.foreground] = Gdk::RGBA(row.foreground);
    }
    m_rows[static_cast<std::size_t>(index)] = iter;
}

std::string IndexTree::RowText(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return TextOf(m_rows[static_cast<size_t>(row)]);
}

int IndexTree::RowDepth(int row) const {
    if (row < 0 || row >= RowCount()) {
        return -1;
    }
    return DepthOf(m_rows[static_cast<size_t>(row)]);
}

std::optional<Gdk::RGBA> IndexTree::RowBackground(int row) const {
    if (row < 0 || row >= RowCount()) {
        return std::nullopt;
    }
    const auto treeRow = *m_rows[static_cast<size_t>(row)];
    if (!treeRow[m_columns.backgroundSet]) {
        return std::nullopt;
    }
    return treeRow.get_value(m_columns.background);
}

std::optional<Gdk::RGBA> IndexTree::RowForeground(int row) const {
    if (row < 0 || row >= RowCount()) {
        return std::nullopt;
    }
    const auto treeRow = *m_rows[static_cast<size_t>(row)];
    if (!treeRow[m_columns.foregroundSet]) {
        return std::nullopt;
    }
    return treeRow.get_value(m_columns.foreground);
}

Glib::RefPtr<Gdk::Pixbuf> IndexTree::RowIcon(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return (*m_rows[static_cast<size_t>(row)]).get_value(m_columns.icon);
}

int IndexTree::SelectedRow() const {
    const auto selection = const_cast<IndexTree*>(this)->get_selection();
    const auto iter = selection->get_selected();
    return iter ? RowIndexOf(iter) : -1;
}

void IndexTree::SelectRow(int row) {
    const ProgrammaticChange change(*this);
    if (row < 0 || row >= RowCount()) {
        return;
    }
    const Gtk::TreeModel::Path path = m_store->get_path(m_rows[static_cast<size_t>(row)]);
    if (path.size() > 1) {
        Gtk::TreeModel::Path parent = path;
        parent.up();
        expand_to_path(parent);
    }
    get_selection()->select(path);
    set_cursor(path);
    scroll_to_row(path, 0.5);
}

void IndexTree::ClearSelection() {
    const ProgrammaticChange change(*this);
    get_selection()->unselect_all();
}

void IndexTree::ExpandAllRows() {
    const ProgrammaticChange change(*this);
    expand_all();
}

void IndexTree::CollapseAllRows() {
    Collapse([this] { collapse_all(); });
}

void IndexTree::ExpandRow(int row) {
    const ProgrammaticChange change(*this);
    if (row >= 0 && row < RowCount()) {
        expand_row(m_store->get_path(m_rows[static_cast<size_t>(row)]), false);
    }
}

void IndexTree::CollapseRow(int row) {
    if (row >= 0 && row < RowCount()) {
        Collapse([this, row] { collapse_row(m_store->get_path(m_rows[static_cast<size_t>(row)])); });
    }
}

void IndexTree::Collapse(const std::function<void()>& collapse) {
    const int before = SelectedRow();
    {
        const ProgrammaticChange change(*this);
        collapse();
    }
    if (SelectedRow() != before) {
        m_selectionMoved.emit();
    }
}

bool IndexTree::IsRowExpanded(int row) const {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    return const_cast<IndexTree*>(this)->row_expanded(m_store->get_path(m_rows[static_cast<size_t>(row)]));
}

Gtk::TreeModel::Path IndexTree::RowPath(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return m_store->get_path(m_rows[static_cast<size_t>(row)]);
}

int IndexTree::RowIndexForPath(const std::string& pathText) const {
    const auto first = m_store->children().begin();
    if (!first) {
        return -1;
    }
    // Depth-first walk with an explicit stack of sibling iterators, counting rows until the
    // path matches.
    int counter = 0;
    std::vector<Gtk::TreeModel::iterator> pending{first};
    while (!pending.empty()) {
        Gtk::TreeModel::iterator iter = pending.back();
        pending.pop_back();
        if (m_store->get_string(iter) == pathText) {
            break;
        }
        ++counter;
        Gtk::TreeModel::iterator next = iter;
        ++next;
        if (next) {
            pending.push_back(next);
        }
        if (!iter->children().empty()) {
            pending.push_back(iter->children().begin());
        }
    }
    return counter < RowCount() ? counter : -1;
}

int IndexTree::RowIndexOf(const Gtk::TreeModel::iterator& iter) const {
    return (*iter)[m_columns.index];
}

int IndexTree::DepthOf(const Gtk::TreeModel::iterator& iter) const {
    return (*iter)[m_columns.depth];
}

std::string IndexTree::TextOf(const Gtk::TreeModel::iterator& iter) const {
    const Glib::ustring text = (*iter)[m_columns.text];
    return text.raw();
}

}  // namespace quillmate
