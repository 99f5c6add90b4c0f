#include "settings/UpdateActions.h"

#include "app/Application.h"
#include "settings/UpdateWindow.h"

namespace quillmate {

void CheckForUpdates(Application& app) {
    if (!app.ui.updateWindow) {
        return;
    }
    const std::string& server = app.records.preferences.updateServer.empty()
                                    ? DefaultUpdateServer()
                                    : app.records.preferences.updateServer;
    UpdateWindow& window = *app.ui.updateWindow;
    app.services.updateChecker.Start(VersionFileUrl(server), [&window] { window.NotifyFinished(); });
    window.present();
}

void ShowUpdateAnswers(Application& app) {
    const auto values = app.services.updateChecker.TakeResult();
    if (!values || !app.ui.updateWindow) {
        return;
    }
    app.ui.updateWindow->ShowAnswers(
        AnswersFor(app.records.state.version, app.records.state.dbVersion, *values));
}

}  // namespace quillmate
