#include "viewer/CodeViewerActions.h"

#include "app/Application.h"
#include "app/MainActions.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Utf8.h"
#include "settings/AboutActions.h"
#include "viewer/CodeFile.h"

namespace quillmate {

CodeLoad LoadCodeFile(Application& app, const std::string& path, bool external) {
    MainWindow& window = *app.ui.mainWindow;
    CodeFileRequest request;
    if (external) {
        const DropChoice choice = ChooseDroppedFile(path);
        if (!choice.accepted) {
            ShowMessage(kProgramTitle, UnsupportedFileTypeMessage(choice.extension));
            return CodeLoad::NotShown;
        }
        request.fullPath = choice.fullPath;
        request.shown = {choice.fullPath, true};
    } else {
        request.fullPath = CodeFileFullPath(app.records.location.libPath, path);
        request.shown = {path, false};
    }
    const int codeMarks = app.records.preferences.codeMarks;
    request.codeMarks = HighlightsCodeFile(codeMarks, request.fullPath) ? codeMarks : 0;

    const CodeLoad load = window.Code().ShowFile(request);
    if (load == CodeLoad::Overtaken) {
        // The newer event may show nothing (a search that finds nothing, a refused drop): the
        // selection's entry is then shown after it.
        const auto isTreeChoice = [](const ProgramEvent& event) {
            return event.window == WindowId::Main && event.kind == EventKind::Widget &&
                   event.widget == WidgetId::IndexTree && event.type == WidgetEventType::Change;
        };
        if (!app.services.queue.Holds(isTreeChoice)) {
            app.services.queue.Post(
                WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
        }
        return load;
    }
    if (external) {
        // File names are bytes; the title shows undecodable ones as replacement characters.
        window.set_title(ShownText(DroppedFileTitle(request.fullPath), kRowTextLimit));
    }
    if (load == CodeLoad::NotShown) {
        app.services.starter.Start(kMissingFileBeepProgram, kMissingFileBeepParameters, "");
        const MissingFileReport report =
            ReportMissingFile(path, app.records.location.libPath, app.records.state.missingFileNotice);
        if (report.messageBox) {
            ShowMessage(kProgramTitle, report.text);
        } else {
            window.Code().ShowNotice(report.text);
        }
    }
    return load;
}

bool ShowEntry(Application& app, int index, bool reload) {
    if (index < 0 || static_cast<size_t>(index) >= app.records.entries.size()) {
        return false;
    }
    MainWindow& window = *app.ui.mainWindow;
    const DbEntry& entry = app.records.entries[static_cast<size_t>(index)];
    const int depth = app.records.indexRows.Depth(index);
    window.SetDescriptionText(
        std::string(depth >= 2 ? DescriptionIn(entry, app.records.preferences.language) : entry.nodeText));

    if (entry.file.empty()) {
        ShowNoEntryFile(app);
        return true;
    }
    if (!reload && window.Code().ShownFile().IsEntryFile(entry.file)) {
        return false;
    }
    const std::string file(entry.file);  // the entry stays, but keep the path safe from rebuilds
    const CodeLoad load = LoadCodeFile(app, file, false);
    if (load == CodeLoad::Overtaken) {
        return true;  // the newer event shows its own file, title and colours
    }
    if (load == CodeLoad::Shown) {
        window.SetDescriptionColours({}, {});
    } else {
        window.SetDescriptionColours(app.records.palette.warning, app.records.palette.warningText);
    }
    const CodeFileInfo& info = window.Code().FileInfo();
    window.SetAdminLabels(info.srcUtf8 != 0 ? "Src: UTF8" : "Src: Ascii",
                          info.exeUnicode != 0 ? "Exe: UNI" : "Exe: Ascii",
                          info.subSystem == 1   ? "Sub: gtk2"
                          : info.subSystem == 2 ? "Sub: gtk3"
                                                : "");
    SetTitleForFile(app, file);
    SetDatabaseInfoFile(app, file);
    ShowFavouriteStar(app);
    return true;
}

void ShowNoEntryFile(Application& app) {
    app.ui.mainWindow->Code().ShowNothing();
    app.ui.mainWindow->set_title(kProgramTitle);
    SetDatabaseInfoFile(app, "");
    ShowFavouriteStar(app);
}

void ShowDroppedFile(Application& app, const std::string& dropList) {
    if (dropList.empty()) {
        return;
    }
    if (LoadCodeFile(app, dropList, true) == CodeLoad::Shown) {
        app.ui.mainWindow->SetDescriptionText("Extern file ...");
        app.ui.mainWindow->Tree().ClearSelection();
        ShowFavouriteStar(app);
    }
}

void ToggleCodeWrap(Application& app) {
    app.ui.mainWindow->Code().ToggleWrap();
}

}  // namespace quillmate
