// Putting code files into the code view: entries of the library and files dropped onto it.
#pragma once

#include <string>

namespace quillmate {

class Application;

enum class CodeLoad {
    Shown,
    NotShown,   // missing, unreadable, or (dropped) of a type that is not shown
    Overtaken,  // another load started while this one read or highlighted the file; it decides
};

// Shows a code file in the code view. `path` is the entry's stored path (joined to the library
// folder), or with `external` the list of dropped file names, of which only the first counts.
// The file is read and highlighted while the window answers. What the view then holds is
// recorded in the shown code file, a missing file included.
CodeLoad LoadCodeFile(Application& app, const std::string& path, bool external);

// Empties the code view; it then holds no file.
void ClearCodeView(Application& app);

// Files dropped onto the code view: shows the first one as an external file.
void ShowDroppedFile(Application& app, const std::string& dropList);

}  // namespace quillmate
