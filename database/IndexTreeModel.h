// The index tree's model: a GTK tree model that reads the GTK-free index rows, so that every
// row's text and colours are held once, however many rows there are.
#pragma once

#include <gdkmm/pixbuf.h>
#include <gtkmm/treemodel.h>
#include <gtkmm/treepath.h>

#include "database/IndexRows.h"

namespace quillmate {

// The model's columns, in order.
enum IndexModelColumn : int {
    kIndexTextColumn,           // the row's text as a widget shows it
    kIndexIconColumn,           // the picture of a marked entry, or none
    kIndexBackgroundColumn,     // GdkRGBA
    kIndexBackgroundSetColumn,  // whether the row has a background of its own
    kIndexForegroundColumn,
    kIndexForegroundSetColumn,
    kIndexColumnCount,
};

// A model of `rows` as they are now; `rows` must neither change nor go while the model is in
// use: a new model is made for new rows. The icons stand for RowIcon::New and RowIcon::Changed.
Glib::RefPtr<Gtk::TreeModel> CreateIndexTreeModel(const IndexRows& rows,
                                                  const Glib::RefPtr<Gdk::Pixbuf>& newIcon,
                                                  const Glib::RefPtr<Gdk::Pixbuf>& changedIcon);

// The flat row index an iterator of such a model stands for; -1 for an invalid iterator.
int IndexRowOf(const Gtk::TreeModel::iterator& iter);

// The model path of a row of such a model; empty for a row it does not have.
Gtk::TreeModel::Path IndexRowPath(const Glib::RefPtr<Gtk::TreeModel>& model, int row);

}  // namespace quillmate
