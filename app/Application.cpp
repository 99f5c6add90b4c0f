#include "app/Application.h"

#include "app/MainWindow.h"
#include "settings/AboutDialogs.h"
#include "settings/SettingsDialog.h"
#include "settings/UpdateWindow.h"

namespace quillmate {

Application::Application(std::string programFolder) {
    records.state.programFolder = std::move(programFolder);
    records.languageTable.SetFilePath(records.state.programFolder + kLanguageFileName);
}

Application::~Application() {
    ReleaseWindows();
}

void Application::ReleaseWindows() {
    // The download's worker reports to the update window: it ends first.
    services.updateChecker.Stop();
    ui.updateWindow.reset();
    ui.databaseInfoWindow.reset();
    ui.textTargets = {};
    if (ui.settingsWindow) {
        ui.settingsWindow->hide();
    }
    ui.settingsWindow.reset();
    if (ui.mainWindow) {
        ui.mainWindow->hide();
    }
    ui.mainWindow.reset();
    ui.menus.reset();
}

}  // namespace quillmate
