// The Preferences record (the settings of QuillmateViewer.ini) and the database location.
#pragma once

#include <string>

namespace quillmate {

struct Preferences {
    int about = 0;
    int language = 0;    // 0 German, 1 English, 2 French
    int searchHint = 0;  // 0 both effects, 1 window shake, 2 search field flashes
    int searchMode = 0;  // 0 index + description, 1 index only, 2 all languages
    int codeMarks = 0;   // 0 plain, 1 bold, 2 blue + bold
    std::string fontName = "Monospace";
    int fontSize = 10;
    int savePaths = 1;
    int sourceInTitle = 1;
    int saveWinSetting = 0;
    int dyeingNews = 1;
    int darkMode = 0;
    std::string codeEditorPath;
    int winX = -1;
    int winY = -1;
    int winWidth = 800;
    int winHight = 600;
    int splitter = 345;
};

// Where the database and the code files are; kept beside the Preferences record.
struct DatabaseLocation {
    std::string dbFolder;  // folder of the database file, ending with "/"
    std::string dbFileName = "Quillmate-Toc.xml";
    std::string dbFullPath;  // the file the loader opens
    std::string libPath;     // library folder; empty means the program folder
};

}  // namespace quillmate
