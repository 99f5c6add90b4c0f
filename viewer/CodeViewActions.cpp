#include "viewer/CodeViewActions.h"

#include <glibmm/convert.h>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "viewer/CodeFile.h"
#include "viewer/HighlightView.h"

namespace quillmate {
namespace {

// File names are bytes; titles and messages need valid UTF-8, so undecodable bytes are shown
// as replacement characters.
std::string Displayable(const std::string& text) {
    return Glib::ustring(text).make_valid().raw();
}

}  // namespace

bool LoadCodeFile(Application& app, const std::string& path, bool external) {
    MainWindow& window = *app.ui.mainWindow;
    app.records.codeFileInfo = CodeFileInfo{};
    std::string fullPath;
    if (external) {
        const DropChoice choice = ChooseDroppedFile(path);
        if (!choice.accepted) {
            ShowMessage(kProgramTitle, Displayable(UnsupportedFileTypeMessage(choice.extension)));
            return false;
        }
        fullPath = choice.fullPath;
        window.set_title(Displayable(DroppedFileTitle(fullPath)));
        app.records.state.shownCodeFile = {fullPath, true};
    } else {
        fullPath = CodeFileFullPath(app.records.location.libPath, path);
        app.records.state.shownCodeFile = {path, false};
    }

    CodeFileLoad load = LoadCodeFileText(fullPath);
    if (load.outcome != CodeFileOutcome::Loaded) {
        window.SetCodeText("");
        app.services.starter.Start(kMissingFileBeepProgram, kMissingFileBeepParameters, "");
        const MissingFileReport report =
            ReportMissingFile(path, app.records.location.libPath, app.records.state.missingFileNotice);
        if (report.messageBox) {
            ShowMessage(kProgramTitle, Displayable(report.text));
        } else {
            window.SetCodeText(report.text);
        }
        return false;
    }
    app.records.codeFileInfo = load.info;
    window.SetCodeText(load.text);
    if (HighlightsCodeFile(app.records.preferences.codeMarks, fullPath)) {
        Highlight(window.CodeView(), app.ui.highlight, app.records.palette,
                  app.records.preferences.codeMarks);
    }
    return true;
}

void ClearCodeView(Application& app) {
    app.ui.mainWindow->SetCodeText("");
    app.records.state.shownCodeFile = {};
}

void ShowDroppedFile(Application& app, const std::string& dropList) {
    if (dropList.empty()) {
        return;
    }
    if (LoadCodeFile(app, dropList, true)) {
        app.ui.mainWindow->SetDescriptionText("Extern file ...");
        app.ui.mainWindow->Tree().ClearSelection();
    }
}

}  // namespace quillmate
