#include "settings/SettingsDecisions.h"

#include <climits>

#include "app/Paths.h"

namespace quillmate {

SaveDecisions TakeDialogSettings(const SettingsDialogState& dialog, Preferences& prefs,
                                 DatabaseLocation& location) {
    SaveDecisions decisions;
    // The database itself stays loaded: the new location takes effect with Apply or a restart.
    location.dbFolder = FolderPart(dialog.dbPathField);
    location.dbFileName = FilePart(dialog.dbPathField);
    location.libPath = dialog.libPathField;

    prefs.savePaths = dialog.savePaths;
    prefs.saveWinSetting = dialog.saveWinSetting;
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
    const int fontSize = LeadingInteger(dialog.fontSizeField);
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
    location.dbFolder = FolderPart(dbPathField);
    location.libPath = std::string(libPathField);
    location.dbFileName = FilePart(dbPathField);
    location.dbFullPath = location.dbFolder + location.dbFileName;
}

int LeadingInteger(std::string_view text) {
    size_t position = text.find_first_not_of(" \t");
    if (position == std::string_view::npos) {
        return 0;
    }
    bool negative = false;
    if (text[position] == '+' || text[position] == '-') {
        negative = text[position] == '-';
        ++position;
    }
    long long value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        value = value * 10 + (text[position] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value < INT_MIN ? INT_MIN : value);
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
