#include "viewer/ExportActions.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "database/DuplicateProtocol.h"
#include "database/IndexTree.h"
#include "viewer/PostingExport.h"

namespace quillmate {
namespace {

void ShowResult(const ExportResult& result) {
    if (!result.message.empty()) {
        ShowMessage(kProgramTitle, result.message);
    }
}

}  // namespace

std::vector<ExportItem> ExportItemsOf(const IndexTree& tree) {
    std::vector<ExportItem> items;
    const int rows = tree.RowCount();
    items.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        items.push_back({tree.RowDepth(row), tree.RowText(row)});
    }
    return items;
}

void RunWebPageExport(Application& app) {
    const ExportFolders folders;
    ShowResult(ExportWebPage(ExportItemsOf(app.ui.mainWindow->Tree()), app.records.entries, folders,
                             TodayExportDateText()));
}

void RunPostingExport(Application& app, bool newsOnly) {
    ShowResult(ExportPosting(ExportItemsOf(app.ui.mainWindow->Tree()), app.records.entries, newsOnly,
                             kExportFolder));
}

void RunFileListExport(Application& app) {
    ExportFileList(ExportItemsOf(app.ui.mainWindow->Tree()), app.records.entries);
}

void RunDuplicateProtocol(Application& app) {
    ShowResult(WriteDuplicateProtocol(app.records.entries, app.records.location.dbFileName, kExportFolder));
}

}  // namespace quillmate
