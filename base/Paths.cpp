#include "base/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <memory>

namespace quillmate {

std::string FolderPart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FilePart(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string WithoutLeadingSlashes(std::string_view path) {
    const auto first = path.find_first_not_of('/');
    return first == std::string_view::npos ? std::string() : std::string(path.substr(first));
}

std::string WithoutTrailingSlashes(std::string_view path) {
    const auto last = path.find_last_not_of('/');
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string WithTrailingSlash(std::string_view folder) {
    std::string result(folder);
    if (result.empty() || result.back() != '/') {
        result.push_back('/');
    }
    return result;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool CanWriteFile(const std::string& path) {
    if (PathExists(path)) {
        return ::access(path.c_str(), W_OK) == 0;
    }
    const std::string folder = FolderPart(path);
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
    for (std::size_t end = folder.find('/', 1); !IsDirectory(folder); end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (!IsDirectory(part) && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (end == std::string::npos) {
            break;
        }
    }
    return IsDirectory(folder);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HasOwnerExecuteBit(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0 && (info.st_mode & S_IXUSR) != 0;
}

std::string WriteTarget(const std::string& path) {
    struct FreeDeleter {
        void operator()(char* p) const { std::free(p); }
    };
    const std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : path;
}

}  // namespace quillmate
