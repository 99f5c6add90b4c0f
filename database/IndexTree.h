// The index tree widget: one row per database element, nested as the elements are nested.
// Row i (flat index in depth-first order) belongs to entry i of the EntryList.
#pragma once

#include <gdkmm/pixbuf.h>
#include <gdkmm/rgba.h>
#include <gtkmm/cellrendererpixbuf.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/treeview.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "database/IndexRows.h"
#include "resources/PictureLoader.h"

namespace quillmate {

class IndexTree : public Gtk::TreeView {
  public:
    IndexTree();

    // Shows `rows` in place of the rows shown before, collapsed, with the pictures of the marked
    // entries from `pictures`; the selection changes this makes are not user events. The tree
    // reads the rows and the pictures as it draws: the rows must stay as they are until the next
    // Show or Clear, the pictures as long as the tree.
    void Show(const IndexRows& rows, const PictureBook& pictures);
    // Shows no rows; call it before the rows shown change.
    void Clear();

    // What the tree shows of a row.
    int RowCount() const { return m_rows != nullptr ? m_rows->Count() : 0; }
    std::string RowText(int row) const;
    int RowDepth(int row) const;
    // The colours and icon (drawn at its size) stored for a row; nothing (null) when the row uses
    // the default.
    std::optional<Gdk::RGBA> RowBackground(int row) const;
    std::optional<Gdk::RGBA> RowForeground(int row) const;
    Glib::RefPtr<Gdk::Pixbuf> RowIcon(int row) const;

    // Selected row, or -1 when none.
    int SelectedRow() const;
    // Expands all ancestors, selects the row, puts the cursor on it and centres it vertically.
    void SelectRow(int row);
    void ClearSelection();

    void ExpandAllRows();
    // Collapsing moves the selection from a row it hides to the collapsed ancestor; when that
    // happens, signal_selection_moved is emitted afterwards.
    void CollapseAllRows();
    void ExpandRow(int row);  // one level
    void CollapseRow(int row);
    bool IsRowExpanded(int row) const;
    // The model path of a row (empty for a row that does not exist).
    Gtk::TreeModel::Path RowPath(int row) const;

    // Flat index of the row with the given path string ("0:3:1"), -1 when there is none.
    int RowIndexForPath(const std::string& pathText) const;
    // Flat index of the row an iterator of the tree's model stands for (constant time).
    int RowIndexOf(const Gtk::TreeModel::iterator& iter) const;

    // Colour of version hints in entry titles (a colour name or #RRGGBB).
    void SetHintColours(const std::string& background, const std::string& text) {
        m_hintBackground = background;
        m_hintText = text;
    }

    // True while the program itself changes rows or the selection; selection changes made then
    // are not user events.
    bool ChangingSelection() const { return m_programmaticChanges > 0; }
    // The selection was moved by a collapse the program made: whatever shows the selected row
    // must follow, as after a user's selection change.
    sigc::signal<void()>& signal_selection_moved() { return m_selectionMoved; }

    // The cell-data function of the row texts: sets the renderer's markup for theme rows and
    // version hints, nothing for plain rows. Runs for every visible row on every redraw, so it
    // reads the row's depth from the model instead of walking the rows.
    void DrawRowMarkup(Gtk::CellRenderer* renderer, const Gtk::TreeModel::iterator& iter);
    // The cell-data function of the row icons: above scale 1, the icon from its larger drawing.
    void DrawRowIcon(Gtk::CellRenderer* renderer, const Gtk::TreeModel::iterator& iter);

    Gtk::CellRendererText& TextRenderer() { return m_textRenderer; }
    Gtk::TreeViewColumn& Column() { return m_column; }

  private:
    class ProgrammaticChange {
      public:
        explicit ProgrammaticChange(IndexTree& tree) : m_tree(tree) { ++m_tree.m_programmaticChanges; }
        ~ProgrammaticChange() { --m_tree.m_programmaticChanges; }

      private:
        IndexTree& m_tree;
    };

    // Runs a collapse and emits signal_selection_moved when it changed the selected row.
    void Collapse(const std::function<void()>& collapse);

    sigc::signal<void()> m_selectionMoved;
    int m_programmaticChanges = 0;
    std::string m_hintBackground;
    std::string m_hintText;
    const IndexRows* m_rows = nullptr;        // the rows shown, none when null
    const PictureBook* m_pictures = nullptr;  // the pictures of the rows shown
    Gtk::TreeViewColumn m_column;
    Gtk::CellRendererPixbuf m_iconRenderer;
    Gtk::CellRendererText m_textRenderer;
};

}  // namespace quillmate
