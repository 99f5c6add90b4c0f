#include "base/ExportFile.h"

#include <fstream>

namespace quillmate {

bool ExportFile::Create(const std::string& path) {
    // Not inherited by the external programs the viewer starts.
    m_file.reset(std::fopen(path.c_str(), "wbe"));
    m_failed = false;
    return m_file != nullptr;
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
    const bool streamFailed = std::ferror(m_file.get()) != 0;
    const bool closeFailed = std::fclose(m_file.release()) != 0;
    return !(m_failed || streamFailed || closeFailed);
}

bool ForEachTextLine(const std::string& path, const std::function<void(const std::string&)>& line) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string text;
    bool first = true;
    while (std::getline(in, text)) {
        if (first && text.starts_with(kByteOrderMark)) {
            text.erase(0, kByteOrderMark.size());
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
