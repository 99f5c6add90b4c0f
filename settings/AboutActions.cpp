#include "settings/AboutActions.h"

#include "app/Application.h"
#include "app/Effects.h"
#include "app/MainWindow.h"
#include "database/IndexRows.h"
#include "settings/AboutDialogs.h"
#include "viewer/CodeFile.h"

namespace quillmate {

void ShowAboutAtFirstStart(Application& app) {
    if (app.records.preferences.about != 0) {
        return;
    }
    if (!app.ui.pictures.Of(Picture::AppIcon)) {
        return;
    }
    ShowProgramAbout(app.ui.pictures);
    app.records.preferences.about = 1;
}

void FillDatabaseInfo(Application& app) {
    if (!app.ui.databaseInfoWindow || !app.ui.mainWindow) {
        return;
    }
    app.ui.databaseInfoWindow->FillDatabaseSection(
        app.records.location.dbFullPath, DatabaseContentText(app.records.indexRows, app.records.entries),
        app.records.location.libPath, app.records.state.themeCount, app.records.state.entryCount);
}

void ShowDatabaseInfo(Application& app) {
    if (!app.ui.databaseInfoWindow) {
        return;
    }
    FillDatabaseInfo(app);
    app.ui.databaseInfoWindow->present();
}

void SetDatabaseInfoFile(Application& app, const std::string& file) {
    if (app.ui.databaseInfoWindow) {
        app.ui.databaseInfoWindow->SetFileSection(file, app.ui.mainWindow->Code().FileInfo());
    }
}

void CopyInfoFilePath(Application& app) {
    if (!app.ui.databaseInfoWindow) {
        return;
    }
    DatabaseInfoWindow& window = *app.ui.databaseInfoWindow;
    if (window.FileText().empty()) {
        return;
    }
    FlashWidget(window.FileField(), app.records.palette.flash);
    Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)
        ->set_text(
            CodeFileFullPath(app.records.location.libPath, app.ui.mainWindow->Code().CurrentEntryFile()));
}

}  // namespace quillmate
