#include "settings/IniDocument.h"

#include "base/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "base/Paths.h"
#include "base/Text.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

IniLine ParseLine(std::string_view line) {
    line = TrimLeft(line);
    if (line.front() == ';') {
        std::string_view text = line.substr(1);
        if (!text.empty() && text.front() == ' ') {
            text.remove_prefix(1);
        }
        return {IniLineKind::Comment, {}, std::string(text)};
    }
    if (line.front() == '[') {
        const std::string_view rest = line.substr(1);
        return {IniLineKind::Group, std::string(rest.substr(0, rest.find(']'))), {}};
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {IniLineKind::Key, std::string(TrimRight(line)), {}};
    }
    return {IniLineKind::Key, std::string(TrimRight(line.substr(0, equals))),
            std::string(TrimLeft(line.substr(equals + 1)))};
}

// A line break inside a written text would split the line and change the file's structure.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (IsLineBreak(c)) {
            c = ' ';
        }
    }
    return line;
}

int OpenRegular(const std::string& path, int mode) {
    // Non-blocking, so that a fifo in the file's place cannot hang the open.
    return ::open(path.c_str(), mode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

// Reads the whole file; empty when reading fails or the file is larger than the limit.
std::optional<std::string> ReadAll(int fd, std::size_t limit) {
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (count == 0) {
            return content;
        }
        if (content.size() + static_cast<std::size_t>(count) > limit) {
            return std::nullopt;
        }
        content.append(buffer, static_cast<std::size_t>(count));
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// Rewrites the file itself, for a folder that takes no file beside it. Room for the whole content
// is taken before anything is overwritten, and every step is checked: a file that a late failure
// leaves damaged is reported, never taken for a saved one.
bool WriteInPlace(const std::string& path, std::string_view bytes) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const off_t size = static_cast<off_t>(bytes.size());
    const int reserved = size > 0 ? ::posix_fallocate(fd.Get(), 0, size) : 0;
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
        return false;
    }
    const bool written =
        WriteAll(fd.Get(), bytes) && ::ftruncate(fd.Get(), size) == 0 && ::fsync(fd.Get()) == 0;
    return fd.Close() && written;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

std::optional<IniDocument> IniDocument::FromBytes(std::string_view bytes, int flags) {
    if (bytes.size() > kMaxFileBytes) {
        return std::nullopt;
    }
    IniDocument document(flags);
    document.m_text = IsTextFileContent(bytes);
    const std::string text = TextFileToUtf8(bytes);
    const std::string_view view(text);
    std::size_t position = 0;
    while (position < view.size()) {
        if (IsLineBreak(view[position])) {
            ++position;
            continue;
        }
        std::size_t end = position;
        while (end < view.size() && !IsLineBreak(view[end])) {
            ++end;
        }
        const std::string_view line = view.substr(position, end - position);
        position = end;
        // A line of blanks only is an empty line and is dropped like one.
        if (TrimLeft(line).empty()) {
            continue;
        }
        if (document.m_lines.size() == kMaxLines) {
            return std::nullopt;
        }
        document.m_lines.push_back(ParseLine(line));
    }
    return document;
}

std::optional<IniDocument> IniDocument::Open(const std::string& path, int flags) {
    if (path.empty()) {
        return std::nullopt;
    }
    bool readOnly = false;
    FileDescriptor fd(OpenRegular(path, O_RDWR));
    if (fd.Get() < 0) {
        fd.Reset(OpenRegular(path, O_RDONLY));
        readOnly = true;
    }
    if (fd.Get() < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const auto content = ReadAll(fd.Get(), kMaxFileBytes);
    if (!content) {
        return std::nullopt;
    }
    auto document = FromBytes(*content, flags);
    if (document) {
        document->m_path = path;
        document->m_readOnly = readOnly;
    }
    return document;
}

IniDocument IniDocument::Create(const std::string& path, int flags) {
    IniDocument document(flags);
    document.m_path = path;
    // A created file comes into existence on close even when nothing is written into it.
    document.m_modified = true;
    return document;
}

std::string IniDocument::ToBytes() const {
    std::size_t size = kUtf8ByteOrderMark.size() + 1;
    for (const auto& line : m_lines) {
        size += line.name.size() + line.value.size() + 5;
    }
    std::string bytes;
    bytes.reserve(size);
    bytes.append(kUtf8ByteOrderMark);
    bytes.push_back('\n');
    bool firstGroup = true;
    for (const auto& line : m_lines) {
        switch (line.kind) {
            case IniLineKind::Group:
                if ((m_flags & kFlagBlankBeforeGroup) != 0 && !firstGroup) {
                    bytes.push_back('\n');
                }
                firstGroup = false;
                bytes.push_back('[');
                bytes.append(line.name);
                bytes.push_back(']');
                break;
            case IniLineKind::Comment:
                bytes.append("; ");
                bytes.append(line.value);
                break;
            case IniLineKind::Key:
                bytes.append(line.name);
                bytes.append((m_flags & kFlagNoSpaces) != 0 ? "=" : " = ");
                bytes.append(line.value);
                break;
        }
        bytes.push_back('\n');
    }
    return bytes;
}

std::size_t IniDocument::LeadingBlockEnd() const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == IniLineKind::Group) {
            return i;
        }
    }
    return m_lines.size();
}

std::optional<std::size_t> IniDocument::FindKey(std::string_view key) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const IniLine& line = m_lines[i];
        if (line.kind == IniLineKind::Group) {
            break;
        }
        if (line.kind == IniLineKind::Key && EqualIgnoringAsciiCase(line.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

bool IniDocument::HasKey(std::string_view key) const {
    return FindKey(key).has_value();
}

std::string IniDocument::ReadString(std::string_view key, std::string_view defaultValue) const {
    const auto index = FindKey(key);
    if (!index) {
        return std::string(defaultValue);
    }
    return std::string(TrimRight(TrimLeft(m_lines[*index].value)));
}

int IniDocument::ReadInteger(std::string_view key, int defaultValue) const {
    const auto index = FindKey(key);
    if (!index) {
        return defaultValue;
    }
    return static_cast<int>(LeadingInteger(m_lines[*index].value, {" \t\v\f", true, INT_MAX}));
}

void IniDocument::InsertLine(std::size_t position, IniLine line) {
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
    m_lastWritten = position;
    m_modified = true;
}

void IniDocument::WriteString(std::string_view key, std::string_view value) {
    if (const auto index = FindKey(key)) {
        m_lines[*index].name = OneLine(key);
        m_lines[*index].value = OneLine(value);
        m_lastWritten = *index;
        m_modified = true;
        return;
    }
    InsertLine(LeadingBlockEnd(), {IniLineKind::Key, OneLine(key), OneLine(value)});
}

void IniDocument::WriteInteger(std::string_view key, int value) {
    WriteString(key, std::to_string(value));
}

void IniDocument::AddComment(std::string_view text) {
    const std::size_t position = m_lastWritten ? *m_lastWritten + 1 : LeadingBlockEnd();
    InsertLine(position, {IniLineKind::Comment, {}, OneLine(text)});
}

IniCloseResult IniDocument::CloseAs(const std::string& path) {
    m_path = path;
    m_readOnly = false;
    m_modified = true;
    return Close();
}

IniCloseResult IniDocument::Close() {
    if (!m_modified) {
        return IniCloseResult::NotModified;
    }
    if (m_readOnly) {
        return IniCloseResult::ReadOnlyUnchanged;
    }
    if (m_path.empty()) {
        return IniCloseResult::Failed;
    }
    const std::string target = WriteTarget(m_path);
    const std::string folder = FolderPart(target);
    std::string temporary = folder + "." + FilePart(target) + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        const bool folderRefuses = errno == EACCES || errno == EPERM;
        if (!folderRefuses || !WriteInPlace(target, ToBytes())) {
            return IniCloseResult::Failed;
        }
        m_modified = false;
        return IniCloseResult::Written;
    }
    struct stat old {};
    bool written = WriteAll(fd.Get(), ToBytes());
    if (written && ::stat(target.c_str(), &old) == 0) {
        // The new file takes the old one's permissions, and its owner where we may set it.
        written = ::fchmod(fd.Get(), old.st_mode & 07777) == 0;
        if (written && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
            [[maybe_unused]] const int ignored = ::fchown(fd.Get(), old.st_uid, old.st_gid);
        }
    } else if (written) {
        written = ::fchmod(fd.Get(), 0666 & ~CurrentUmask()) == 0;
    }
    written = written && ::fsync(fd.Get()) == 0;
    written = fd.Close() && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return IniCloseResult::Failed;
    }
    // The rename itself reaches the disk with the folder's entry.
    FileDescriptor folderFd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Get() >= 0) {
        ::fsync(folderFd.Get());
    }
    m_modified = false;
    return IniCloseResult::Written;
}

}  // namespace quillmate
