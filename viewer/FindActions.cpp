#include "viewer/FindActions.h"

#include <gtkmm/textbuffer.h>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "viewer/FindBar.h"

namespace quillmate {
namespace {

// Longer selections are no term: they are not copied out of the text at all.
constexpr int kLongestSelectedTerm = 1000;

// A selection across lines is no term to find.
std::string SelectedLine(CodeViewer& code) {
    Gtk::TextIter start;
    Gtk::TextIter end;
    if (!code.View().get_buffer()->get_selection_bounds(start, end) ||
        end.get_offset() - start.get_offset() > kLongestSelectedTerm) {
        return {};
    }
    const std::string text = code.View().get_buffer()->get_text(start, end, false).raw();
    return text.find('\n') == std::string::npos ? text : std::string();
}

}  // namespace

void OpenFindBar(Application& app, const std::string& term, bool focus) {
    MainWindow& window = *app.ui.mainWindow;
    window.Finder().Open(term.empty() ? SelectedLine(window.Code()) : term, focus);
    FindTermChanged(app);
}

void FindTermChanged(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    if (window.Finder().IsOpen()) {
        window.Code().Find(window.Finder().Term(), window.Finder().MatchCase());
    }
}

void StepFind(Application& app, bool forward) {
    if (app.ui.mainWindow->Finder().IsOpen()) {
        app.ui.mainWindow->Code().FindStep(forward);
    }
}

void CloseFindBar(Application& app) {
    MainWindow& window = *app.ui.mainWindow;
    window.Finder().Close();
    window.Code().EndFind();
    window.Code().View().grab_focus();
}

}  // namespace quillmate
