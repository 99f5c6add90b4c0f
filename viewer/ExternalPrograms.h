// Which paths the clipboard and the external programs get, and how those programs are started:
// the user's code editor, the desktop's default application and the file manager. Every path
// reaches the started program as one argument, whatever spaces, quotes or dashes it holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/ProgramStarter.h"
#include "database/Database.h"

namespace quillmate {

// The code path for copying and opening: the entry path joined to `dbFolder` (the database's
// folder, not the library folder) as CodeFileFullPath joins it to the library folder.
std::string CodePath(std::string_view dbFolder, std::string_view entryPath);

enum class OpenCodeChoice {
    Editor,      // the configured editor is executable: start it
    DefaultApp,  // no editor configured: the desktop's default application
    Nothing,     // an editor is configured but not executable (or missing): nothing at all
};
// A symbolic link as editor path is judged by its own permission bits.
OpenCodeChoice ChooseCodeOpener(const std::string& editorPath);

// Starts "xdg-open", or "gnome-open" when that cannot be started, with `path` when it names an
// existing file (not a folder). Returns 1 when a program was started, else 0; `flags` is
// passed on by callers and not used.
int OpenWithDefaultApp(ProgramStarter& starter, const std::string& path, const std::string& workingFolder,
                       int flags);

// Opens `codePath` with the configured editor or the default application (see
// ChooseCodeOpener). True when a program was started.
bool StartCodeOpener(ProgramStarter& starter, const std::string& editorPath, const std::string& codePath);

// Opens the library folder named by `libraryField` (the program folder when it is empty) in the
// file manager; when that folder does not exist, sounds the missing-file tone instead.
void OpenFolderOrBeep(ProgramStarter& starter, const std::string& libraryField,
                      const std::string& programFolder);

// The help file as the editor gets it: `dbFolder` followed by the help entry's stored path
// (leading "/" kept); nothing when there is no help entry (index 0 or beyond the list).
std::optional<std::string> HelpFileEditPath(std::string_view dbFolder, const EntryList& entries,
                                            int helpIndex);

}  // namespace quillmate
