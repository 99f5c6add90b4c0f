// The duplicate-entry protocol: every pair of database entries that share a code file, a file
// name, a German or English title or a German or English description, for whoever edits the
// database.
#pragma once

#include <string>

#include "base/ExportFile.h"
#include "database/Database.h"
#include "viewer/WebExport.h"

namespace quillmate {

inline constexpr const char* kProtocolFileName = "Protocoll.txt";

// The protocol's lines: the header naming `dbFileName`, then the file, German title, German
// description, English title and English description passes, separated by empty lines. Each
// pair of entries with equal (case-sensitive, non-empty) values gives one line, the earlier
// entry first; the file pass also reports equal file names in different folders.
void WriteDuplicateLines(const EntryList& entries, const std::string& dbFileName, LineWriter& out);

// Writes exportFolder + "Protocoll.txt"; the message says "Protokoll with double terms done to
// ..." or, when the file cannot be created or written completely, "Couldn't create Protokoll".
ExportResult WriteDuplicateProtocol(const EntryList& entries, const std::string& dbFileName,
                                    const std::string& exportFolder);

}  // namespace quillmate
