// Actions of the main window's own controls: the expand toggle, node toggling, the history
// list, the window title and word wrapping.
#pragma once

#include <string>

namespace Gtk {
class Menu;
}  // namespace Gtk

namespace quillmate {

class Application;

void ToggleExpandState(Application& app);
// Expands (on) or collapses (off) every node of the index tree.
void SetExpandAll(Application& app, bool on);
// Double click on the tree: opens or closes the selected node and keeps it selected.
void ToggleSelectedNode(Application& app);
void SetTitleForFile(Application& app, const std::string& storedPath);
// Moves the entry to the top of the history and refills the history combo box.
void AddToHistory(Application& app, int entryIndex);
// A history row was chosen: selects its entry and shows it (loading only when not shown).
void ShowHistoryEntry(Application& app);
// Clears the history list and its combo box.
void ClearHistory(Application& app);
// Opens a popup menu at the mouse pointer over the main window. A button's event is handled
// after GTK has finished with the click, when there is no current event to place the menu by.
void PopupMenuAtPointer(Application& app, Gtk::Menu& menu);

}  // namespace quillmate
