// Putting code files into the code view: entries of the library and files dropped onto it.
#pragma once

#include <string>

namespace quillmate {

class Application;

// Shows a code file in the code view. `path` is the entry's stored path (joined to the library
// folder), or with `external` the list of dropped file names, of which only the first counts.
// Returns false when the file is missing or (dropped) of a type that is not shown. What the view
// then holds is recorded in the shown code file, a missing file included.
bool LoadCodeFile(Application& app, const std::string& path, bool external);

// Empties the code view; it then holds no file.
void ClearCodeView(Application& app);

// Files dropped onto the code view: shows the first one as an external file.
void ShowDroppedFile(Application& app, const std::string& dropList);

}  // namespace quillmate
