// The forum-posting export (one line per entry, grouped by theme, in the forum's bracket
// markup) and the file-list export, which has no output yet.
#pragma once

#include <string>
#include <vector>

#include "base/ExportFile.h"
#include "database/Database.h"
#include "viewer/WebExport.h"

namespace quillmate {

inline constexpr const char* kPostingFileName = "ForumPosting.txt";

// The posting's lines: an empty line before the first entry of each theme, then "[b]theme[/b]:
// \t" and the German title for every included entry (all of them, or with `newsOnly` only the
// ones whose German title begins with the new mark).
void WritePosting(const std::vector<ExportItem>& items, const EntryList& entries, bool newsOnly,
                  LineWriter& out);

// Writes exportFolder + "ForumPosting.txt"; the message says "text-Export done to ..." or, when
// the file cannot be created or written completely, "Couldn't create".
ExportResult ExportPosting(const std::vector<ExportItem>& items, const EntryList& entries, bool newsOnly,
                           const std::string& exportFolder);

// Steps through the items and their entry records without writing anything: what a file list
// should hold is not settled. Returns the number of entry items visited.
int ExportFileList(const std::vector<ExportItem>& items, const EntryList& entries);

}  // namespace quillmate
