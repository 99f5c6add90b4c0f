#include "database/IndexTree.h"

#include "base/Utf8.h"
#include "database/IndexTreeModel.h"
#include "database/RowMarkup.h"

namespace quillmate {

IndexTree::IndexTree() {
    set_headers_visible(false);
    set_enable_search(false);
    m_column.pack_start(m_iconRenderer, false);
    m_column.pack_start(m_textRenderer, true);
    m_column.add_attribute(m_iconRenderer, "pixbuf", kIndexIconColumn);
    m_column.add_attribute(m_iconRenderer, "cell-background-rgba", kIndexBackgroundColumn);
    m_column.add_attribute(m_iconRenderer, "cell-background-set", kIndexBackgroundSetColumn);
    m_column.add_attribute(m_textRenderer, "text", kIndexTextColumn);
    m_column.add_attribute(m_textRenderer, "cell-background-rgba", kIndexBackgroundColumn);
    m_column.add_attribute(m_textRenderer, "cell-background-set", kIndexBackgroundSetColumn);
    m_column.add_attribute(m_textRenderer, "foreground-rgba", kIndexForegroundColumn);
    m_column.add_attribute(m_textRenderer, "foreground-set", kIndexForegroundSetColumn);
    // Fixed row heights keep expanding and drawing a large tree fast.
    m_column.set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    m_column.set_expand(true);
    m_column.set_cell_data_func(m_textRenderer, sigc::mem_fun(*this, &IndexTree::DrawRowMarkup));
    m_column.set_cell_data_func(m_iconRenderer, sigc::mem_fun(*this, &IndexTree::DrawRowIcon));
    append_column(m_column);
    set_fixed_height_mode(true);
}

void IndexTree::DrawRowMarkup(Gtk::CellRenderer* renderer, const Gtk::TreeModel::iterator& iter) {
    const int row = RowIndexOf(iter);
    if (row < 0) {
        return;
    }
    if (const auto markup = IndexRowMarkup(ShownText(m_rows->Text(row), kRowTextLimit), m_rows->Depth(row),
                                           {m_hintBackground, m_hintText})) {
        static_cast<Gtk::CellRendererText*>(renderer)->property_markup() = *markup;
    }
}

void IndexTree::DrawRowIcon(Gtk::CellRenderer* renderer, const Gtk::TreeModel::iterator& iter) {
    const int row = RowIndexOf(iter);
    if (row < 0 || m_pictures == nullptr) {
        return;
    }
    const quillmate::RowIcon icon = m_rows->Rows()[static_cast<std::size_t>(row)].icon;
    if (icon != quillmate::RowIcon::None) {
        ShowCellPicture(*static_cast<Gtk::CellRendererPixbuf*>(renderer), *m_pictures,
                        icon == quillmate::RowIcon::New ? Picture::NewEntryMark : Picture::ChangedEntryMark,
                        get_scale_factor());
    }
}

void IndexTree::Clear() {
    const ProgrammaticChange change(*this);
    unset_model();
    m_rows = nullptr;
}

void IndexTree::Show(const IndexRows& rows, const PictureBook& pictures) {
    const ProgrammaticChange change(*this);
    Clear();
    m_rows = &rows;
    m_pictures = &pictures;
    // The model reads the rows as the tree draws them: nothing is copied, whatever their number.
    set_model(CreateIndexTreeModel(rows, pictures.Of(Picture::NewEntryMark),
                                   pictures.Of(Picture::ChangedEntryMark)));
}

std::string IndexTree::RowText(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return ShownText(m_rows->Text(row), kRowTextLimit);
}

int IndexTree::RowDepth(int row) const {
    if (row < 0 || row >= RowCount()) {
        return -1;
    }
    return m_rows->Depth(row);
}

std::optional<Gdk::RGBA> IndexTree::RowBackground(int row) const {
    if (row < 0 || row >= RowCount() || m_rows->Rows()[static_cast<std::size_t>(row)].background == 0) {
        return std::nullopt;
    }
    return Gdk::RGBA(m_rows->Colour(m_rows->Rows()[static_cast<std::size_t>(row)].background));
}

std::optional<Gdk::RGBA> IndexTree::RowForeground(int row) const {
    if (row < 0 || row >= RowCount() || m_rows->Rows()[static_cast<std::size_t>(row)].foreground == 0) {
        return std::nullopt;
    }
    return Gdk::RGBA(m_rows->Colour(m_rows->Rows()[static_cast<std::size_t>(row)].foreground));
}

Glib::RefPtr<Gdk::Pixbuf> IndexTree::RowIcon(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    switch (m_rows->Rows()[static_cast<std::size_t>(row)].icon) {
        case quillmate::RowIcon::New:
            return m_pictures->Of(Picture::NewEntryMark);
        case quillmate::RowIcon::Changed:
            return m_pictures->Of(Picture::ChangedEntryMark);
        case quillmate::RowIcon::None:
            break;
    }
    return {};
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
    const Gtk::TreeModel::Path path = RowPath(row);
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
        expand_row(RowPath(row), false);
    }
}

void IndexTree::CollapseRow(int row) {
    if (row >= 0 && row < RowCount()) {
        Collapse([this, row] { collapse_row(RowPath(row)); });
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
    return const_cast<IndexTree*>(this)->row_expanded(RowPath(row));
}

Gtk::TreeModel::Path IndexTree::RowPath(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return IndexRowPath(const_cast<IndexTree*>(this)->get_model(), row);
}

int IndexTree::RowIndexForPath(const std::string& pathText) const {
    const Glib::RefPtr<Gtk::TreeModel> model = const_cast<IndexTree*>(this)->get_model();
    if (!model || pathText.empty()) {
        return -1;
    }
    return RowIndexOf(model->get_iter(pathText));
}

int IndexTree::RowIndexOf(const Gtk::TreeModel::iterator& iter) const {
    return m_rows != nullptr ? IndexRowOf(iter) : -1;
}

}  // namespace quillmate
