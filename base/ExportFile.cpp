#include "base/ExportFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "base/Paths.h"
#include "base/Utf8.h"

namespace quillmate {

ExportFile::~ExportFile() {
    GiveUp();
}

void ExportFile::GiveUp() {
    m_file.reset();
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool ExportFile::Create(const std::string& path) {
    GiveUp();
    m_failed = false;
    m_path = WriteTarget(path);
    std::string temporary = FolderPart(m_path) + "." + FilePart(m_path) + ".XXXXXX";
    // Not inherited by the external programs the viewer starts.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    m_temporary = temporary;
    // The file gets the permissions a newly created one would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    m_file.reset(::fchmod(fd, 0666 & ~mask) == 0 ? ::fdopen(fd, "wb") : nullptr);
    if (!m_file) {
        ::close(fd);
        GiveUp();
        return false;
    }
    return true;
}

void ExportFile::WriteLine(std::string_view text) {
    if (!m_file) {
        m_failed = true;
        return;
    }
    if (std::fwrite(text.data(), 1, text.size(), m_file.get()) != text.size() ||
        std::fputc('\n', m_file.get()) == EOF) {
        m_failed = true;
    }
}

bool ExportFile::Close() {
    if (!m_file) {
        return false;
    }
    bool written = !m_failed && std::fflush(m_file.get()) == 0 && std::ferror(m_file.get()) == 0 &&
                   ::fsync(::fileno(m_file.get())) == 0;
    written = std::fclose(m_file.release()) == 0 && written;
    if (!written || ::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        GiveUp();
        return false;
    }
    m_temporary.clear();
    return true;
}

bool ForEachTextLine(const std::string& path, const std::function<void(const std::string&)>& line) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string text;
    bool first = true;
    while (std::getline(in, text)) {
        if (first && text.starts_with(kUtf8ByteOrderMark)) {
            text.erase(0, kUtf8ByteOrderMark.size());
        }
        first = false;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        line(text);
    }
    return true;
}

}  // namespace quillmate
