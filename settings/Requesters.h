// What the program asks beyond a message box: the database file requester, and whether the
// desktop has a font family.
#pragma once

#include <optional>
#include <string>

namespace quillmate {

struct DatabaseRequest;

// True when Pango knows the font family (the generic names always resolve to some font).
bool FontFamilyExists(const std::string& family);

// The database file requester: starts in the folder of `start` (a database path, or a folder
// ending in "/") and proposes the database file there when it exists. The chosen file, or
// nothing when cancelled.
std::optional<std::string> ChooseDatabaseFile(const DatabaseRequest& request, const std::string& start);

}  // namespace quillmate
