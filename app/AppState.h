// The application state: process-wide facts of the running program, owned by the Application.
#pragma once

#include <string>

#include "base/ProgramNames.h"
#include "base/Release.h"

namespace quillmate {

struct AppState {
    std::string programFolder;  // folder of the program file, ending in "/"; the working folder
    // The preferences file read at start and written by Save: the program folder's, or the
    // user's own where the program folder's cannot be written.
    std::string preferencesFile;
    bool preferencesSaveable = true;  // false: no preferences file can be written, Save says so
    // The favourites and the last entries shown, kept beside the preferences file.
    std::string stateFile;
    bool quitRequest = false;
    bool expandState = true;
    int helpEntryIndex = 0;  // row of "ViewerHelp.txt"; 0 = no help entry
    int themeCount = 0;
    int entryCount = 0;
    std::string version = kProgramVersion;  // compared by the update check
    std::string dbVersion;                  // date word of the database's head description
    bool missingFileNotice = true;          // the next missing code file is reported in a box
    bool searchHitInCode = false;           // the last search found its row through its code only
};

}  // namespace quillmate
