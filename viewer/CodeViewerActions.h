// What the code viewer shows, by every road that leads there: an entry of the library, a file
// dropped onto it, nothing.
#pragma once

#include <string>

#include "viewer/CodeViewer.h"

namespace quillmate {

class Application;

// Shows a code file in the code viewer. `path` is the entry's stored path (joined to the library
// folder), or with `external` the list of dropped file names, of which only the first counts; a
// dropped file of a type that is not shown is refused with a message. A missing file is
// reported (a box the first time, then the boxed text in the view). A load overtaken by a newer
// event has the selected entry shown again after that event, unless a choice in the tree waits.
CodeLoad LoadCodeFile(Application& app, const std::string& path, bool external);

// Every road to an entry (the tree, the history, a new code marking) shows it here: the
// description line, then, unless the code viewer holds the entry's file already (or with
// `reload`), the file loaded, the description line coloured by the result, the title, the admin
// labels and the database-info file section. An entry without a file shows no file. Returns
// false when nothing but the description was written. The caller has selected the entry's row.
bool ShowEntry(Application& app, int index, bool reload = false);

// No entry file: empties the code view, forgets the current file, gives the window the plain
// title and empties the database-info file section.
void ShowNoEntryFile(Application& app);

// Files dropped onto the code view: shows the first one as an external file.
void ShowDroppedFile(Application& app, const std::string& dropList);

// F5: long lines wrap at the view's edge, or not.
void ToggleCodeWrap(Application& app);

}  // namespace quillmate
