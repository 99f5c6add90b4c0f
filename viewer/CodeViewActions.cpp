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
    MainWindow& window = *app.mainWindow;
    app.codeFileInfo = CodeFileInfo{};
    std::string fullPath;
    if (external) {
        const DropChoice choice = ChooseDroppedFile(path);
        if (!choice.accepted) {
            ShowMessage(kProgramTitle, Displayable(UnsupportedFileTypeMessage(choice.extension)));
            return false;
        }
        fullPath = choice.fullPath;
        window.set_title(Displayable(DroppedFileTitle(fullPath)));
        app.state.shownCodeFile = {fullPath, true};
    } else {
        fullPath = CodeFileFullPath(app.location.libPath, path);
        app.state.shownCodeFile = {path, false};
    }

    CodeFileLoad load = LoadCodeFileText(fullPath);
    if (load.outcome != CodeFileOutcome::Loaded) {
        window.SetCodeText("");
        app.starter.Start(kMissingFileBeepProgram, kMissingFileBeepParameters, "");
        const MissingFileReport report =
            ReportMissingFile(path, app.location.libPath, app.state.missingFileNotice);
        if (report.messageBox) {
            ShowMessage(kProgramTitle, Displayable(report.text));
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

void ClearCodeView(Application& app) {
    app.mainWindow->SetCodeText("");
    app.state.shownCodeFile = {};
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
