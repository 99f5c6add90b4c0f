#include "database/IndexTreeModel.h"

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/Utf8.h"

namespace quillmate {
namespace {

// What the model knows besides the rows: each row's place among its siblings and its children
// by position, so that paths and iterators convert in one step per level whatever the number of
// siblings, and the colours parsed once.
struct ModelData {
    const IndexRows* rows = nullptr;
    std::vector<int> position;    // by row: its place among its siblings
    std::vector<int> childStart;  // by row: where its children stand in `children`
    std::vector<int> children;    // the children of every row, a row's together and in order
    std::vector<int> topLevel;
    GdkPixbuf* icons[2] = {nullptr, nullptr};  // New, Changed; references held
    std::map<std::string, GdkRGBA, std::less<>> colours;
    gint stamp = 0;
};

// The GObject instance holds the C++ data, made and destroyed with the instance.
struct QmIndexModel {
    GObject parent;
    alignas(ModelData) unsigned char storage[sizeof(ModelData)];
};

struct QmIndexModelClass {
    GObjectClass parentClass;
};

void qm_index_model_tree_model_init(GtkTreeModelIface* iface);

// NOLINTNEXTLINE: GObject's type boilerplate
G_DEFINE_TYPE_WITH_CODE(QmIndexModel, qm_index_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, qm_index_model_tree_model_init))

ModelData& DataOf(QmIndexModel* model) {
    return *std::launder(reinterpret_cast<ModelData*>(model->storage));
}

ModelData& DataOf(GtkTreeModel* model) {
    return DataOf(reinterpret_cast<QmIndexModel*>(model));
}

void qm_index_model_init(QmIndexModel* model) {
    std::construct_at(reinterpret_cast<ModelData*>(model->storage));
    DataOf(model).stamp = static_cast<gint>(g_random_int());
}

void qm_index_model_finalize(GObject* object) {
    ModelData& data = DataOf(reinterpret_cast<QmIndexModel*>(object));
    for (GdkPixbuf* icon : data.icons) {
        if (icon != nullptr) {
            g_object_unref(icon);
        }
    }
    std::destroy_at(&data);
    G_OBJECT_CLASS(qm_index_model_parent_class)->finalize(object);
}

void qm_index_model_class_init(QmIndexModelClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = qm_index_model_finalize;
}

bool SetIter(const ModelData& data, GtkTreeIter* iter, int row) {
    if (row < 0 || !data.rows->Has(row)) {
        iter->stamp = 0;
        return false;
    }
    iter->stamp = data.stamp;
    iter->user_data = GINT_TO_POINTER(row);
    return true;
}

int RowOf(const ModelData& data, const GtkTreeIter* iter) {
    if (iter == nullptr || iter->stamp != data.stamp) {
        return -1;
    }
    const int row = GPOINTER_TO_INT(iter->user_data);
    return data.rows->Has(row) ? row : -1;
}

const IndexRow& RowAt(const ModelData& data, int row) {
    return data.rows->Rows()[static_cast<std::size_t>(row)];
}

// The n-th child of `parent` (-1: the top level); -1 when there is none.
int NthChild(const ModelData& data, int parent, int n) {
    if (n < 0) {
        return -1;
    }
    if (parent < 0) {
        return static_cast<std::size_t>(n) < data.topLevel.size() ? data.topLevel[static_cast<std::size_t>(n)]
                                                                  : -1;
    }
    if (n >= RowAt(data, parent).childCount) {
        return -1;
    }
    return data.children[static_cast<std::size_t>(data.childStart[static_cast<std::size_t>(parent)] + n)];
}

GtkTreeModelFlags GetFlags(GtkTreeModel*) {
    return GTK_TREE_MODEL_ITERS_PERSIST;
}

gint GetColumnCount(GtkTreeModel*) {
    return kIndexColumnCount;
}

GType GetColumnType(GtkTreeModel*, gint column) {
    switch (column) {
        case kIndexTextColumn:
            return G_TYPE_STRING;
        case kIndexIconColumn:
            return GDK_TYPE_PIXBUF;
        case kIndexBackgroundColumn:
        case kIndexForegroundColumn:
            return GDK_TYPE_RGBA;
        default:
            return G_TYPE_BOOLEAN;
    }
}

gboolean GetIter(GtkTreeModel* model, GtkTreeIter* iter, GtkTreePath* path) {
    const ModelData& data = DataOf(model);
    gint depth = 0;
    const gint* indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    int row = -1;
    for (gint level = 0; level < depth; ++level) {
        row = NthChild(data, row, indices[level]);
        if (row < 0) {
            break;
        }
    }
    return SetIter(data, iter, depth > 0 ? row : -1);
}

GtkTreePath* GetPath(GtkTreeModel* model, GtkTreeIter* iter) {
    const ModelData& data = DataOf(model);
    GtkTreePath* path = gtk_tree_path_new();
    for (int row = RowOf(data, iter); row >= 0; row = RowAt(data, row).parent) {
        gtk_tree_path_prepend_index(path, data.position[static_cast<std::size_t>(row)]);
    }
    return path;
}

const GdkRGBA* Colour(ModelData& data, const std::string& text) {
    auto found = data.colours.find(text);
    if (found == data.colours.end()) {
        GdkRGBA colour{};
        if (!gdk_rgba_parse(&colour, text.c_str())) {
            colour = GdkRGBA{0, 0, 0, 1};
        }
        found = data.colours.emplace(text, colour).first;
    }
    return &found->second;
}

void GetValue(GtkTreeModel* model, GtkTreeIter* iter, gint column, GValue* value) {
    ModelData& data = DataOf(model);
    g_value_init(value, GetColumnType(model, column));
    const int row = RowOf(data, iter);
    if (row < 0) {
        return;
    }
    const IndexRow& indexRow = RowAt(data, row);
    switch (column) {
        case kIndexTextColumn:
            g_value_set_string(value, ShownText(indexRow.text, kRowTextLimit).c_str());
            break;
        case kIndexIconColumn:
            if (indexRow.icon != RowIcon::None) {
                g_value_set_object(value, data.icons[indexRow.icon == RowIcon::New ? 0 : 1]);
            }
            break;
        case kIndexBackgroundColumn:
        case kIndexForegroundColumn:
            if (const std::uint8_t colour =
                    column == kIndexBackgroundColumn ? indexRow.background : indexRow.foreground) {
                g_value_set_boxed(value, Colour(data, data.rows->Colour(colour)));
            }
            break;
        case kIndexBackgroundSetColumn:
            g_value_set_boolean(value, indexRow.background != 0);
            break;
        case kIndexForegroundSetColumn:
            g_value_set_boolean(value, indexRow.foreground != 0);
            break;
        default:
            break;
    }
}

gboolean IterNext(GtkTreeModel* model, GtkTreeIter* iter) {
    const ModelData& data = DataOf(model);
    const int row = RowOf(data, iter);
    return SetIter(data, iter, row < 0 ? -1 : RowAt(data, row).nextSibling);
}

gboolean IterPrevious(GtkTreeModel* model, GtkTreeIter* iter) {
    const ModelData& data = DataOf(model);
    const int row = RowOf(data, iter);
    if (row < 0) {
        return SetIter(data, iter, -1);
    }
    return SetIter(data, iter,
                   NthChild(data, RowAt(data, row).parent, data.position[static_cast<std::size_t>(row)] - 1));
}

gboolean IterNthChild(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent, gint n) {
    const ModelData& data = DataOf(model);
    const int parentRow = parent == nullptr ? -1 : RowOf(data, parent);
    if (parent != nullptr && parentRow < 0) {
        return SetIter(data, iter, -1);
    }
    return SetIter(data, iter, NthChild(data, parentRow, n));
}

gboolean IterChildren(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* parent) {
    return IterNthChild(model, iter, parent, 0);
}

gboolean IterHasChild(GtkTreeModel* model, GtkTreeIter* iter) {
    const ModelData& data = DataOf(model);
    const int row = RowOf(data, iter);
    return row >= 0 && RowAt(data, row).childCount > 0;
}

gint IterChildCount(GtkTreeModel* model, GtkTreeIter* iter) {
    const ModelData& data = DataOf(model);
    if (iter == nullptr) {
        return static_cast<gint>(data.topLevel.size());
    }
    const int row = RowOf(data, iter);
    return row < 0 ? 0 : RowAt(data, row).childCount;
}

gboolean IterParent(GtkTreeModel* model, GtkTreeIter* iter, GtkTreeIter* child) {
    const ModelData& data = DataOf(model);
    const int row = RowOf(data, child);
    return SetIter(data, iter, row < 0 ? -1 : RowAt(data, row).parent);
}

void qm_index_model_tree_model_init(GtkTreeModelIface* iface) {
    iface->get_flags = GetFlags;
    iface->get_n_columns = GetColumnCount;
    iface->get_column_type = GetColumnType;
    iface->get_iter = GetIter;
    iface->get_path = GetPath;
    iface->get_value = GetValue;
    iface->iter_next = IterNext;
    iface->iter_previous = IterPrevious;
    iface->iter_children = IterChildren;
    iface->iter_has_child = IterHasChild;
    iface->iter_n_children = IterChildCount;
    iface->iter_nth_child = IterNthChild;
    iface->iter_parent = IterParent;
}

}  // namespace

Glib::RefPtr<Gtk::TreeModel> CreateIndexTreeModel(const IndexRows& rows,
                                                  const Glib::RefPtr<Gdk::Pixbuf>& newIcon,
                                                  const Glib::RefPtr<Gdk::Pixbuf>& changedIcon) {
    auto* model = static_cast<QmIndexModel*>(g_object_new(qm_index_model_get_type(), nullptr));
    ModelData& data = DataOf(model);
    data.rows = &rows;
    const std::vector<IndexRow>& all = rows.Rows();
    data.position.assign(all.size(), 0);
    data.childStart.assign(all.size(), 0);
    data.children.reserve(all.size());
    // Rows come parents first; each row's children are laid out together when it is reached.
    const auto layOut = [&](int first, std::vector<int>& into) {
        int place = 0;
        for (int child = first; child >= 0; child = all[static_cast<std::size_t>(child)].nextSibling) {
            data.position[static_cast<std::size_t>(child)] = place++;
            into.push_back(child);
        }
    };
    layOut(all.empty() ? -1 : 0, data.topLevel);
    for (std::size_t row = 0; row < all.size(); ++row) {
        data.childStart[row] = static_cast<int>(data.children.size());
        layOut(all[row].firstChild, data.children);
    }
    data.icons[0] = newIcon ? GDK_PIXBUF(g_object_ref(newIcon->gobj())) : nullptr;
    data.icons[1] = changedIcon ? GDK_PIXBUF(g_object_ref(changedIcon->gobj())) : nullptr;
    return Glib::wrap(GTK_TREE_MODEL(model));  // takes the reference g_object_new gave
}

int IndexRowOf(const Gtk::TreeModel::iterator& iter) {
    const GtkTreeIter* raw = iter.gobj();
    const GtkTreeModel* model = iter.get_model_gobject();
    if (raw == nullptr || model == nullptr || !G_TYPE_CHECK_INSTANCE_TYPE(model, qm_index_model_get_type())) {
        return -1;
    }
    return RowOf(DataOf(const_cast<GtkTreeModel*>(model)), raw);
}

Gtk::TreeModel::Path IndexRowPath(const Glib::RefPtr<Gtk::TreeModel>& model, int row) {
    if (!model || !G_TYPE_CHECK_INSTANCE_TYPE(model->gobj(), qm_index_model_get_type())) {
        return {};
    }
    const ModelData& data = DataOf(model->gobj());
    GtkTreeIter iter;
    if (!SetIter(data, &iter, row)) {
        return {};
    }
    return Gtk::TreeModel::Path(GetPath(model->gobj(), &iter), false);
}

}  // namespace quillmate
