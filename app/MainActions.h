// Actions of the main window's own controls: the expand toggle, node toggling, the history
// list, the window title and word wrapping.
#pragma once

#include <string>

namespace Gtk {
class Menu;
class Widget;
}  // namespace Gtk

namespace quillmate {

class Application;

void ToggleExpandState(Application& app);
// Expands (on) or collapses (off) every node of the index tree.
void SetExpandAll(Application& app, bool on);
// Double click on the tree: opens or closes the selected node and keeps it selected.
void ToggleSelectedNode(Application& app);
void SetTitleForFile(Application& app, const std::string& storedPath);
// Moves the entry to the top of the history, refills the history combo box and keeps the lists.
void AddToHistory(Application& app, int entryIndex);
// A history or favourite row was chosen: selects its entry and shows it (loading only when not
// shown).
void ShowHistoryEntry(Application& app);
// Makes the entry the view shows a favourite, or no longer one (Ctrl+D, the star button).
void ToggleFavourite(Application& app);
// Fills the history box from the lists and shows on the star whether the shown entry is a
// favourite.
void ShowPlaces(Application& app);
// Shows on the star whether the entry the view shows is a favourite.
void ShowFavouriteStar(Application& app);
// The lists from the state file, by file, for the entries of the database as it now stands.
void LoadPlaces(Application& app);
// The lists as they stand, kept by file across a reload of the database.
void ReloadPlaces(Application& app, const std::string& keptState);
// Opens a popup menu at the mouse pointer over the main window. A button's event is handled
// after GTK has finished with the click, when there is no current event to place the menu by.
void PopupMenuAtPointer(Application& app, Gtk::Menu& menu);
// Opens a button's popup menu: under the button when it was pressed from the keyboard, which has
// no pointer to go by, else at the pointer.
void PopupButtonMenu(Application& app, Gtk::Menu& menu, Gtk::Widget* button, bool fromKeyboard);

}  // namespace quillmate
