// The search entry's part in the program: finding the next index row that holds the term.
#pragma once

#include <string>

namespace Gtk {
class Entry;
}  // namespace Gtk

namespace quillmate {

class Application;
class IndexTree;
class MainWindow;

// Searches the index rows for `term` (ignoring case, in the fields of "SearchMode"): from row 0
// while typing, or from the row after the selected one with `searchNext`. A found row is
// selected and a change event of the tree is posted, so the loop shows it. Otherwise the
// selection is cleared, while typing the last character is taken back when the cursor stands at
// the end of the term (its change event searches the shorter term), and the not-found hint of
// "SearchHint" is shown. An empty term does nothing.
// With "SearchMode" 3 a row's code counts too: a row found through its code only opens the find
// bar at the code view on the term, without taking the focus from the search entry.
void SearchIndex(Application& app, MainWindow& window, IndexTree& tree, Gtk::Entry& searchEntry,
                 const std::string& term, bool searchNext);

// Where "SearchMode" is 3, starts reading the entries' code unless it is read (or being read)
// for the same files already.
void StartCodeTextReading(Application& app);
// Takes the batches of code read meanwhile into the index.
void TakeCodeTexts(Application& app);

}  // namespace quillmate
