// The settings dialog's part in the program: opening it, its three requesters, and its actions
// Apply (load the database from the new paths for this run) and Save (take and store everything).
#pragma once

namespace quillmate {

class Application;

// The main window's settings button: fills the path and font fields and shows the dialog.
void OpenSettings(Application& app);
// Escape, the close button and Cancel: hides the dialog; its combo and check boxes keep their states.
void HideSettings(Application& app);
// The database button: a chosen file replaces the database path field; cancelling changes nothing.
void ChooseSettingsDatabase(Application& app);
// The library button: a chosen folder replaces the library field (empty for the program folder);
// cancelling changes nothing.
void ChooseLibraryFolder(Application& app);
// The font button: a confirmed font puts its family and size into the font fields.
void ChooseCodeFont(Application& app);
// Apply: takes the two paths, empties the views and the history, loads the database again without
// any message and fills the tree from it.
void ApplyDatabaseSettings(Application& app);
// Save: takes every setting, updates what changed, hides the dialog and writes the preferences.
void SaveSettings(Application& app);

}  // namespace quillmate
