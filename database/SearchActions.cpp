#include "database/SearchActions.h"

#include <glib.h>
#include <gtkmm/entry.h>

#include <vector>

#include "app/Application.h"
#include "app/Effects.h"
#include "app/MainWindow.h"
#include "database/IndexTree.h"
#include "database/Search.h"

namespace quillmate {
namespace {

constexpr int kShakeAmplitude = 5;

// The haystacks of the tree as it is now; rebuilt only after the tree, the search mode or the
// language changed.
const SearchHaystacks& CurrentHaystacks(Application& app, const IndexTree& tree) {
    const SearchScope scope{tree.Generation(), app.records.preferences.searchMode,
                            app.records.preferences.language};
    if (!app.records.searchHaystacks.IsBuiltFor(scope)) {
        std::vector<std::string> rowTexts;
        rowTexts.reserve(static_cast<size_t>(tree.RowCount()));
        for (int row = 0; row < tree.RowCount(); ++row) {
            rowTexts.push_back(tree.RowText(row));
        }
        app.records.searchHaystacks.Build(scope, rowTexts, app.records.entries);
    }
    return app.records.searchHaystacks;
}

void ShowNotFoundHint(const Application& app, MainWindow& window, Gtk::Entry& searchEntry) {
    switch (app.records.preferences.searchHint) {
        case 1:
            ShakeWindow(window, kShakeAmplitude);
            break;
        case 2:
            FlashWidget(searchEntry, app.records.palette.warning);
            break;
        default:
            FlashAndShake(window, searchEntry, app.records.palette.warning, kShakeAmplitude);
            break;
    }
}

}  // namespace

void SearchIndex(Application& app, MainWindow& window, IndexTree& tree, Gtk::Entry& searchEntry,
                 const std::string& term, bool searchNext) {
    if (term.empty()) {
        return;
    }
    // Without a selection SelectedRow is -1, so search-next starts at row 0 again.
    const int startRow = searchNext ? tree.SelectedRow() + 1 : 0;
    const int found = CurrentHaystacks(app, tree).FindRow(term, startRow);
    if (found >= 0) {
        tree.SelectRow(found);
        app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
        return;
    }
    tree.ClearSelection();
    if (!searchNext) {
        const auto length = static_cast<int>(g_utf8_strlen(term.c_str(), static_cast<gssize>(term.size())));
        if (searchEntry.get_position() == length) {
            // Takes back the character that made the term fail; the entry's change event then
            // searches the shorter term.
            searchEntry.delete_text(length - 1, length);
        }
    }
    ShowNotFoundHint(app, window, searchEntry);
}

}  // namespace quillmate
