#include "viewer/ExportActions.h"

#include "app/Application.h"
#include "app/MessageBox.h"
#include "database/DuplicateProtocol.h"
#include "viewer/PostingExport.h"
#include "viewer/WebExport.h"

namespace quillmate {
namespace {

void ShowResult(const ExportResult& result) {
    if (!result.message.empty()) {
        ShowMessage(kProgramTitle, result.message);
    }
}

}  // namespace

void RunWebPageExport(Application& app) {
    const ExportFolders folders;
    ShowResult(ExportWebPage(ExportItemsOf(app.records.indexRows), app.records.entries, folders,
                             TodayExportDateText()));
}

void RunPostingExport(Application& app, bool newsOnly) {
    ShowResult(
        ExportPosting(ExportItemsOf(app.records.indexRows), app.records.entries, newsOnly, kExportFolder));
}

void RunFileListExport(Application& app) {
    ExportFileList(ExportItemsOf(app.records.indexRows), app.records.entries);
}

void RunDuplicateProtocol(Application& app) {
    ShowResult(WriteDuplicateProtocol(app.records.entries, app.records.location.dbFileName, kExportFolder));
}

}  // namespace quillmate
