#include "app/Application.h"

#include "app/MainWindow.h"
#include "resources/PictureLoader.h"
#include "settings/AboutDialogs.h"
#include "settings/SettingsDialog.h"
#include "settings/UpdateWindow.h"

namespace quillmate {

Application::Application(std::string programFolder) {
    state.programFolder = std::move(programFolder);
    languageTable.SetFilePath(state.programFolder + kLanguageFileName);
}

Application::~Application() {
    ReleaseWindows();
}

Glib::RefPtr<Gdk::Pixbuf> Application::PictureOf(Picture picture) const {
    const auto index = static_cast<size_t>(picture);
    return index < m_pictures.size() ? m_pictures[index] : Glib::RefPtr<Gdk::Pixbuf>();
}

void Application::DecodePictures() {
    for (size_t i = 0; i < m_pictures.size(); ++i) {
        m_pictures[i] = LoadPicture(static_cast<Picture>(i));
    }
}

int Application::IndexLanguage() const {
    return settingsWindow ? settingsWindow->LanguageRow() : preferences.language;
}

void Application::ReleaseWindows() {
    // The download's worker reports to the update window: it ends first.
    updateChecker.Stop();
    updateWindow.reset();
    databaseInfoWindow.reset();
    textTargets = {};
    if (settingsWindow) {
        settingsWindow->hide();
    }
    settingsWindow.reset();
    if (mainWindow) {
        mainWindow->hide();
    }
    mainWindow.reset();
    menus.reset();
}

}  // namespace quillmate
