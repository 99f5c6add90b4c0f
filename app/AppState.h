// The application state: process-wide facts of the running program, owned by the Application.
#pragma once

#include <string>
#include <string_view>

#include "base/ProgramNames.h"
#include "base/Release.h"

namespace quillmate {

// What the code view holds: the stored path of the entry whose file it shows, or the full path
// of a dropped file; an empty path when it holds neither (emptied by a reload, a theme row).
struct ShownCodeFile {
    std::string path;
    bool dropped = false;

    // True when the view holds the file of an entry stored with `entryPath`.
    bool IsEntryFile(std::string_view entryPath) const {
        return !dropped && !path.empty() && path == entryPath;
    }
};

struct AppState {
    std::string programFolder;  // folder of the program file, ending in "/"; the working folder
    bool quitRequest = false;
    // Database-relative path of the current entry's file, the one that copying and opening name;
    // a dropped file does not change it.
    std::string currentCodeFile;
    ShownCodeFile shownCodeFile;  // decides whether choosing an entry loads its file
    bool expandState = true;
    int helpEntryIndex = 0;  // row of "ViewerHelp.txt"; 0 = no help entry
    int themeCount = 0;
    int entryCount = 0;
    std::string version = kProgramVersion;  // compared by the update check
    std::string dbVersion;                  // date word of the database's head description
    bool missingFileNotice = true;          // the next missing code file is reported in a box
};

}  // namespace quillmate
