#include "database/SearchActions.h"

#include <glib.h>
#include <gtkmm/entry.h>

#include "app/Application.h"
#include "app/Effects.h"
#include "app/FirstMonitor.h"
#include "app/MainWindow.h"
#include "database/CodeTextIndex.h"
#include "database/IndexTree.h"
#include "database/Search.h"
#include "viewer/FindActions.h"

namespace quillmate {
namespace {

constexpr int kShakeAmplitude = 5;

void ShowNotFoundHint(const Application& app, MainWindow& window, Gtk::Entry& searchEntry) {
    const NotFoundHint hint = NotFoundHintFor(app.records.preferences.searchHint, !CompositorPlacesWindows());
    if (hint.shake && hint.flash) {
        FlashAndShake(window, searchEntry, app.records.palette.warning, kShakeAmplitude);
    } else if (hint.shake) {
        ShakeWindow(window, kShakeAmplitude);
    } else {
        FlashWidget(searchEntry, app.records.palette.warning);
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
    SearchHaystacks& haystacks = app.records.searchHaystacks;
    haystacks.Update(app.records.indexRows, app.records.entries, app.records.preferences.searchMode,
                     app.records.preferences.language);
    const SearchHit hit = app.records.preferences.searchMode == kSearchModeWithCode
                              ? FindRowWithCode(haystacks, app.records.codeTexts, term, startRow)
                              : SearchHit{haystacks.FindRow(term, startRow), false};
    app.records.state.searchHitInCode = hit.onlyInCode;
    if (hit.row >= 0) {
        tree.SelectRow(hit.row);
        app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
        if (hit.onlyInCode) {
            // The bar marks the term in the entry's code once it shows; its first match is current.
            OpenFindBar(app, term, false);
        }
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

void StartCodeTextReading(Application& app) {
    if (app.records.preferences.searchMode != kSearchModeWithCode) {
        return;
    }
    auto plan = std::make_shared<const CodeReadingPlan>(
        PlanCodeReading(app.records.entries, app.records.location.libPath));
    if (app.records.codeTexts.IsFor(*plan)) {
        return;
    }
    const std::uint64_t reading = app.records.codeTexts.Start(plan);
    app.services.codeReader.Start(std::move(plan), reading);
}

void TakeCodeTexts(Application& app) {
    for (CodeTextBatch& batch : app.services.codeReader.TakeBatches()) {
        app.records.codeTexts.Append(std::move(batch));
    }
}

}  // namespace quillmate
