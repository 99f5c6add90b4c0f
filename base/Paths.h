// Small path rules shared by every part of the program: folder and file parts of a path and
// the joining of database-relative paths to a folder.
#pragma once

#include <string>
#include <string_view>

namespace quillmate {

// Text up to and including the last "/" ("" when there is none).
std::string FolderPart(std::string_view path);
// Text after the last "/" (the whole path when there is none).
std::string FilePart(std::string_view path);
// The path without all of its leading "/" characters.
std::string WithoutLeadingSlashes(std::string_view path);
// The folder ending in one "/" at least (a folder written without it would run into a file name).
std::string WithTrailingSlash(std::string_view folder);
// The path with all trailing "/" characters removed.
std::string WithoutTrailingSlashes(std::string_view path);

// The file a write of `path` must replace: the final target of a symbolic link, so that the link
// survives; `path` itself when it does not resolve.
std::string WriteTarget(const std::string& path);

// True when `path` names anything that exists (a link is followed).
bool PathExists(const std::string& path);
bool IsRegularFile(const std::string& path);
// True when this user may write the file at `path`, or create it when it does not exist.
bool CanWriteFile(const std::string& path);
// Creates the folder and any missing folders above it, readable by this user only; true when
// it exists afterwards.
bool MakeFolders(const std::string& folder);
bool IsDirectory(const std::string& path);
// True when the file exists and its owner-execute bit is set; a symbolic link is judged by its
// own permission bits, not by its target's.
bool HasOwnerExecuteBit(const std::string& path);

}  // namespace quillmate
