// The index tree's part in the program: building its rows from the database, counting themes
// and entries, showing the selected entry, and the tree's own keyboard navigation.
#pragma once

#include <gdk/gdk.h>

#include <string>

#include "base/EventQueue.h"

namespace quillmate {

class Application;

// Empties the tree and the EntryList and fills both again from the database in memory.
void RebuildIndexTree(Application& app);
// Recounts themes (depth 1, without the program's own theme) and entries (depth 2 with a file,
// outside the program's own theme); expands every node on the way.
void CountThemesAndEntries(Application& app);
// Shows the selected row's entry (ShowEntry); a left click on the entry whose file is already
// shown adds it to the history.
void ShowSelectedEntry(Application& app, WidgetEventType type);
// Space, Left and Right on the tree open and close nodes; never consumes the key.
bool TreeKeyNavigate(Application& app, const GdkEventKey* event);
// Absolute path of the code file of row `row` for dragging it out; empty when there is no such
// row, the row has no file or the file does not exist.
std::string DraggedEntryPath(const Application& app, int row);
// The help button: selects and shows the help entry, or says that there is none.
void ShowHelpEntry(Application& app);

}  // namespace quillmate
