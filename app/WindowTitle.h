// Composition of the main window's title for a shown code file.
#pragma once

#include <string>
#include <string_view>

namespace quillmate {

// "Quillmate ~ " and, by the "SourceInTitle" setting: 0 the file-name part of the stored path,
// 1 the path as stored, anything else the database folder joined to the path without its
// leading "/" characters.
std::string TitleForFile(int sourceInTitle, std::string_view storedPath, std::string_view dbFolder);

}  // namespace quillmate
