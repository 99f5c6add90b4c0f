// Synthetic libraries for the benchmarks: a database with many themes and entries and, if wanted,
// a plausible Korvex code file for every entry. The same options always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillmate {

struct LibraryOptions {
    int entryCount = 20000;  // elements below the themes (the help entry included)
    int themeCount = 200;    // the first theme is the program's own ("Quillmate")
    std::uint64_t seed = 1;
    bool writeCodeFiles = false;
    int minCodeLines = 30;
    int maxCodeLines = 400;
};

struct GeneratedLibrary {
    std::string folder;                  // the library folder, ending with "/"
    std::string dbFullPath;              // folder + "Quillmate-Toc.xml"
    std::vector<std::string> codeFiles;  // "File" values of the entries, in document order
};

// The database text: UTF-8 XML with titles and descriptions in three languages, new and changed
// marks, version hints such as "[>=gtk3.10]", comments, some nested entries and one entry for
// "ViewerHelp.txt". `codeFiles` receives the entries' "File" values when not null.
std::string GenerateDatabaseText(const LibraryOptions& options,
                                 std::vector<std::string>* codeFiles = nullptr);

// One Korvex code file of about `lines` lines: procedures, an ImportC block, constants, strings
// with semicolons, comments, a "; Link to topic:   " line and the IDE option trailer. Some files
// start with the UTF-8 byte-order mark.
std::string GenerateCodeFileText(std::uint64_t seed, int lines);

// The bundled library's code files below `libraryFolder` as the code view shows them (option
// trailers cut), in path order, joined by line feeds and repeated up to exactly `lines` lines; ""
// when the folder holds no code file.
std::string RepeatedLibraryText(const std::string& libraryFolder, int lines);

// Writes the database (and the code files when asked) into `folder`, which must exist. Returns
// false when a file cannot be written.
bool WriteLibrary(const std::string& folder, const LibraryOptions& options, GeneratedLibrary& library);

// A fresh folder below the system's temporary folder ("" on failure), and its removal.
std::string MakeTemporaryFolder(const std::string& prefix);
void RemoveFolder(const std::string& folder);

}  // namespace quillmate
