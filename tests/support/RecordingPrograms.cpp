#include "RecordingPrograms.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace quillmate::test {

RecordingPrograms::RecordingPrograms() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmate-programs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_folder = pattern + "/bin/";
    m_logFolder = pattern + "/calls/";
    std::filesystem::create_directories(m_folder);
    std::filesystem::create_directories(m_logFolder);
}

RecordingPrograms::~RecordingPrograms() {
    if (m_pathReplaced) {
        ::setenv("PATH", m_savedPath.c_str(), 1);
    }
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(m_folder).parent_path().parent_path(), error);
}

std::string RecordingPrograms::Add(const std::string& name, const std::string& folder) {
    const std::string directory = m_folder + folder;
    std::filesystem::create_directories(directory);
    const std::string path = directory + (directory.back() == '/' ? "" : "/") + name;
    // Each call lands in a file of its own, moved into place when complete. Names and arguments
    // are NUL-separated, so that no argument character is ambiguous.
    std::ofstream(path) << "#!/bin/sh\n"
                        << "PATH=/usr/bin:/bin\n"
                        << "record=$(mktemp '" << m_logFolder << ".part.XXXXXX')\n"
                        << "printf '%s\\0' '" << name << "' \"$@\" > \"$record\"\n"
                        << "mv \"$record\" '" << m_logFolder << "call.'\"${record##*.}\"\n";
    ::chmod(path.c_str(), 0755);
    return path;
}

void RecordingPrograms::UseAsSearchPath() {
    if (!m_pathReplaced) {
        const char* path = std::getenv("PATH");
        m_savedPath = path != nullptr ? path : "";
        m_pathReplaced = true;
    }
    ::setenv("PATH", m_folder.c_str(), 1);
}

std::vector<RecordedCall> RecordingPrograms::ReadCalls() const {
    std::vector<RecordedCall> calls;
    for (const auto& file : std::filesystem::directory_iterator(m_logFolder)) {
        if (file.path().filename().string().rfind("call.", 0) != 0) {
            continue;
        }
        std::ifstream in(file.path(), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        const std::string text = content.str();
        RecordedCall call;
        size_t start = 0;
        bool first = true;
        for (size_t end = text.find('\0'); end != std::string::npos; end = text.find('\0', start)) {
            std::string field = text.substr(start, end - start);
            if (first) {
                call.program = std::move(field);
                first = false;
            } else {
                call.arguments.push_back(std::move(field));
            }
            start = end + 1;
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

std::vector<RecordedCall> RecordingPrograms::WaitForCalls(size_t count,
                                                          std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    auto calls = ReadCalls();
    while (calls.size() < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        calls = ReadCalls();
    }
    return calls;
}

std::vector<RecordedCall> RecordingPrograms::CallsAfterSettling() const {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ReadCalls();
}

}  // namespace quillmate::test
