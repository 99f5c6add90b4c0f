// The about dialogs' operations on the program: the first-start about dialog and the
// database-info window's contents.
#pragma once

#include <string>

namespace quillmate {

class Application;

// First start: while "about" is 0 the about dialog is shown with the program icon, and "about"
// becomes 1 in memory (it reaches the file with the next save). Without the icon nothing happens.
void ShowAboutAtFirstStart(Application& app);

// Fills the database section from the loaded database, making entry 0 (the head element) the
// current database entry. Called after every load and before each showing.
void FillDatabaseInfo(Application& app);

// The info menu's "about database": fills the window and shows it.
void ShowDatabaseInfo(Application& app);

// The selection handler's part: the shown entry's file and formats, or an empty file section.
void SetDatabaseInfoFile(Application& app, const std::string& file);

// The copy picture: with a file shown, flashes the file field and puts the file's path below
// the library folder on the clipboard; with none, nothing happens.
void CopyInfoFilePath(Application& app);

}  // namespace quillmate
