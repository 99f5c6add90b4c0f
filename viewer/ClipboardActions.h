// Actions that take the shown code or its location out of the program: the clipboard, the
// user's code editor, the desktop's default application and the file manager.
#pragma once

namespace quillmate {

class Application;

// Puts the code view's whole text on the clipboard, showing the selection briefly; afterwards
// nothing is selected. Does nothing while the view is empty.
void QuickCopy(Application& app);
// Puts the code path (below the database's folder) on the clipboard.
void CopyCodePath(Application& app);
// Opens the code path in the configured editor, or with the default application when no editor
// is configured; an editor that is not executable means nothing happens.
void OpenCode(Application& app);
// Opens the database-info window's library folder (or the program folder) in the file manager;
// a beep when the folder is missing.
void OpenLibraryFolder(Application& app);
// Opens the help file with "xdg-open", or says that it cannot be found.
void EditHelpFile(Application& app);

}  // namespace quillmate
