#include "app/StartUp.h"

#include <unistd.h>

#include <clocale>
#include <vector>

#include "app/Paths.h"

namespace quillmate {

std::string FindProgramFolder(const char* argv0) {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length > 0) {
        return FolderPart(std::string(buffer.data(), static_cast<size_t>(length)));
    }
    return FolderPart(argv0 != nullptr ? argv0 : "");
}

int RunProgram(int /*argc*/, char** argv) {
    std::setlocale(LC_ALL, "");
    const std::string folder = FindProgramFolder(argv[0]);
    return folder.empty() ? 1 : 0;
}

}  // namespace quillmate
