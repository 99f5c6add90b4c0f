// The rules of the settings dialog without its widgets: what Save takes from the dialog into the
// Preferences and which visible updates follow, and what the path requesters put into the fields.
#pragma once

#include <string>
#include <string_view>

#include "settings/Preferences.h"

namespace quillmate {

// What the settings dialog shows when Save is pressed. The integers are the states of its check
// boxes (0/1) and the selected rows of its combo boxes (-1 when none is selected).
struct SettingsDialogState {
    std::string dbPathField;
    std::string libPathField;
    std::string fontNameField;
    std::string fontSizeField;
    int savePaths{};
    int saveWinSetting{};
    int searchHint{};
    int searchMode{};
    int sourceInTitle{};
    int codeMarks{};
    int dyeingNews{};
    int darkMode{};
    int lineNumbers{};
    int language{};
};

// The updates that follow a Save, in the order in which they are carried out.
struct SaveDecisions {
    bool reshowCodeFile = false;  // the code marking changed: show the open file again
    bool applyPalette = false;    // the dark look changed: refill the palette
    bool coloursChanged = false;  // dark look or new-entry colouring changed: rebuild the tree
    bool fontChanged = false;     // load the code font from prefs.fontName and prefs.fontSize
    bool titleChanged = false;    // recompose the title of a shown code file
    bool restartNeeded = false;   // the code view's colours change only with a restart
};

// Takes the dialog's paths and settings into `prefs` and `location` (the language is left to the
// language switch) and tells what has to be updated. A font size field without a leading number
// counts as 0, like an integer in the preferences file.
SaveDecisions TakeDialogSettings(const SettingsDialogState& dialog, Preferences& prefs,
                                 DatabaseLocation& location);

// Apply: the database location from the two path fields (dbFullPath = folder + file name).
void TakeDialogPaths(std::string_view dbPathField, std::string_view libPathField, DatabaseLocation& location);

// The file the database requester proposes when it starts at `dbPathField` (a database path, or
// a folder ending in "/"): that folder and the database file name.
std::string ProposedDatabaseFile(std::string_view dbPathField, std::string_view dbFileName);

// The library field's text for a folder chosen in the folder requester: empty for the program
// folder, otherwise the folder ending with "/".
std::string LibraryFieldForChoice(std::string_view chosenFolder, std::string_view programFolder);

}  // namespace quillmate
