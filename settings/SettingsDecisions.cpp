#include "settings/SettingsDecisions.h"

#include <climits>

#include "base/Paths.h"
#include "base/Text.h"

namespace quillmate {
namespace {

// The location the path fields name; which database is loaded is left as it is.
void TakePathFields(std::string_view dbPathField, std::string_view libPathField, DatabaseLocation& location) {
    location.dbFolder = FolderPart(dbPathField);
    location.dbFileName = FilePart(dbPathField);
    location.libPath = std::string(libPathField);
}

}  // namespace

SaveDecisions TakeDialogSettings(const SettingsDialogState& dialog, Preferences& prefs,
                                 DatabaseLocation& location) {
    SaveDecisions decisions;
    // The database itself stays loaded: the new location takes effect with Apply or a restart.
    TakePathFields(dialog.dbPathField, dialog.libPathField, location);

    prefs.savePaths = dialog.savePaths;
    prefs.saveWinSetting = dialog.saveWinSetting;
    prefs.lineNumbers = dialog.lineNumbers;
    // A combo box without a selected row (its stored value was outside its rows) is no choice.
    if (dialog.searchHint >= 0) {
        prefs.searchHint = dialog.searchHint;
    }
    if (dialog.searchMode >= 0) {
        prefs.searchMode = dialog.searchMode;
    }

    if (dialog.codeMarks >= 0 && dialog.codeMarks != prefs.codeMarks) {
        prefs.codeMarks = dialog.codeMarks;
        decisions.reshowCodeFile = true;
    }
    if (dialog.darkMode != prefs.darkMode) {
        prefs.darkMode = dialog.darkMode;
        decisions.applyPalette = true;
        decisions.coloursChanged = true;
        decisions.restartNeeded = true;
    }
    if (dialog.dyeingNews != prefs.dyeingNews) {
        prefs.dyeingNews = dialog.dyeingNews;
        decisions.coloursChanged = true;
    }
    const int fontSize = static_cast<int>(LeadingInteger(dialog.fontSizeField));
    if (dialog.fontNameField != prefs.fontName || fontSize != prefs.fontSize) {
        prefs.fontName = dialog.fontNameField;
        prefs.fontSize = fontSize;
        decisions.fontChanged = true;
    }
    if (dialog.sourceInTitle >= 0 && dialog.sourceInTitle != prefs.sourceInTitle) {
        prefs.sourceInTitle = dialog.sourceInTitle;
        decisions.titleChanged = true;
    }
    return decisions;
}

void TakeDialogPaths(std::string_view dbPathField, std::string_view libPathField,
                     DatabaseLocation& location) {
    TakePathFields(dbPathField, libPathField, location);
    location.dbFullPath = location.dbFolder + location.dbFileName;
}

std::string ProposedDatabaseFile(std::string_view dbPathField, std::string_view dbFileName) {
    return FolderPart(dbPathField) + std::string(dbFileName);
}

std::string LibraryFieldForChoice(std::string_view chosenFolder, std::string_view programFolder) {
    const std::string chosen = WithoutTrailingSlashes(chosenFolder);
    if (chosen == WithoutTrailingSlashes(programFolder)) {
        return {};
    }
    return chosen + "/";
}

}  // namespace quillmate
