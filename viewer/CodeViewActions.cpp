#include "viewer/CodeViewActions.h"

#include <utility>

#include "app/Application.h"
#include "app/Effects.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/Utf8.h"
#include "viewer/CodeFile.h"
#include "viewer/HighlightView.h"

namespace quillmate {

CodeLoad LoadCodeFile(Application& app, const std::string& path, bool external) {
    MainWindow& window = *app.ui.mainWindow;
    const std::uint64_t load = ++app.ui.codeLoads;
    const auto overtaken = [&app, load] { return app.ui.codeLoads != load; };
    app.records.codeFileInfo = CodeFileInfo{};
    std::string fullPath;
    if (external) {
        const DropChoice choice = ChooseDroppedFile(path);
        if (!choice.accepted) {
            ShowMessage(kProgramTitle, UnsupportedFileTypeMessage(choice.extension));
            return CodeLoad::NotShown;
        }
        fullPath = choice.fullPath;
        // File names are bytes; the title shows undecodable ones as replacement characters.
        window.set_title(ShownText(DroppedFileTitle(fullPath), kRowTextLimit));
        app.records.state.shownCodeFile = {fullPath, true};
    } else {
        fullPath = CodeFileFullPath(app.records.location.libPath, path);
        app.records.state.shownCodeFile = {path, false};
    }

    CodeFileLoad file;
    if (!RunAnswering([&](std::stop_token) { file = LoadCodeFileText(fullPath); }, overtaken)) {
        return CodeLoad::Overtaken;
    }
    if (file.outcome != CodeFileOutcome::Loaded) {
        if (!window.SetCodeText("")) {
            return CodeLoad::Overtaken;
        }
        app.services.starter.Start(kMissingFileBeepProgram, kMissingFileBeepParameters, "");
        const MissingFileReport report =
            ReportMissingFile(path, app.records.location.libPath, app.records.state.missingFileNotice);
        if (report.messageBox) {
            ShowMessage(kProgramTitle, report.text);
        } else {
            window.SetCodeText(report.text);
        }
        return overtaken() ? CodeLoad::Overtaken : CodeLoad::NotShown;
    }
    app.records.codeFileInfo = file.info;
    if (!window.SetCodeText(file.text)) {
        return CodeLoad::Overtaken;
    }
    if (!overtaken() && HighlightsCodeFile(app.records.preferences.codeMarks, fullPath)) {
        Highlight(window.CodeView(), app.ui.highlight, app.records.palette, app.records.preferences.codeMarks,
                  std::move(file.text));
    }
    return overtaken() ? CodeLoad::Overtaken : CodeLoad::Shown;
}

void ClearCodeView(Application& app) {
    app.ui.mainWindow->SetCodeText("");
    app.records.state.shownCodeFile = {};
}

void ShowDroppedFile(Application& app, const std::string& dropList) {
    if (dropList.empty()) {
        return;
    }
    if (LoadCodeFile(app, dropList, true) == CodeLoad::Shown) {
        app.ui.mainWindow->SetDescriptionText("Extern file ...");
        app.ui.mainWindow->Tree().ClearSelection();
    }
}

}  // namespace quillmate
