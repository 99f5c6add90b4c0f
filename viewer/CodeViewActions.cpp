#include "viewer/CodeViewActions.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "viewer/CodeFile.h"
#include "viewer/HighlightView.h"

namespace quillmate {

bool LoadCodeFile(Application& app, const std::string& path, bool external) {
    MainWindow& window = *app.mainWindow;
    app.codeFileInfo = CodeFileInfo{};
    std::string fullPath;
    if (external) {
        const DropChoice choice = ChooseDroppedFile(path);
        if (!choice.accepted) {
            ShowMessage(kProgramTitle, UnsupportedFileTypeMessage(choice.extension));
            return false;
        }
        fullPath = choice.fullPath;
        window.set_title(DroppedFileTitle(fullPath));
    } else {
        fullPath = CodeFileFullPath(app.location.libPath, path);
    }

    CodeFileLoad load = LoadCodeFileText(fullPath);
    if (load.outcome != CodeFileOutcome::Loaded) {
        window.SetCodeText("");
        app.starter.Start(kMissingFileBeepProgram, kMissingFileBeepParameters, "");
        const MissingFileReport report =
            ReportMissingFile(path, app.location.libPath, app.state.missingFileNotice);
        if (report.messageBox) {
            ShowMessage(kProgramTitle, report.text);
        } else {
            window.SetCodeText(report.text);
        }
        return false;
    }
    app.codeFileInfo = load.info;
    window.SetCodeText(load.text);
    if (HighlightsCodeFile(app.preferences.codeMarks, fullPath)) {
        Highlight(window.CodeView(), app.highlight, app.palette, app.preferences.codeMarks);
    }
    return true;
}

void ShowDroppedFile(Application& app, const std::string& dropList) {
    if (dropList.empty()) {
        return;
    }
    if (LoadCodeFile(app, dropList, true)) {
        app.mainWindow->SetDescriptionText("Extern file ...");
        app.mainWindow->Tree().ClearSelection();
    }
}

}  // namespace quillmate
