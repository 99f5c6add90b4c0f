// Code file loading without the view: reading, decoding and the path and message rules.
#include "viewer/CodeFile.h"

#include "base/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>

#include "base/ByteWords.h"
#include "base/Paths.h"
#include "base/ProgramNames.h"
#include "base/StopPoll.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

constexpr std::string_view kOptionsMark = "; IDE Options = ";
constexpr std::string_view kUnicodeMark = "; EnableUnicode";
constexpr std::string_view kGtk2Mark = "; SubSystem = gtk2";
constexpr std::string_view kGtk3Mark = "; SubSystem = gtk3";
constexpr std::string_view kAcceptedExtensions = "kx;kxi;kxf";

// An ASCII byte that is neither a line end nor NUL: copied to the text unchanged.
inline bool IsPlainAscii(unsigned char b) {
    return b < 0x80 && b != '\n' && b != '\r' && b != 0;
}

// The byte sources below hand out code points one at a time. The byte-oriented ones also hand
// out whole runs of plain ASCII, which is what nearly all of a code file is made of.
class ByteSource {
  public:
    explicit ByteSource(std::string_view bytes)
        : m_pos(reinterpret_cast<const unsigned char*>(bytes.data())), m_end(m_pos + bytes.size()) {}

    bool AtEnd() const { return m_pos == m_end; }
    void SkipLineFeed() {
        if (m_pos != m_end && *m_pos == '\n') {
            ++m_pos;
        }
    }
    // At most `limit` bytes, so that the reader looks up now and then.
    std::string_view AsciiRun(std::size_t limit) {
        const unsigned char* start = m_pos;
        const unsigned char* end = m_end - m_pos > static_cast<std::ptrdiff_t>(limit) ? m_pos + limit : m_end;
        while (end - m_pos >= static_cast<std::ptrdiff_t>(kWordBytes)) {
            const std::uint64_t word = LoadWord(m_pos);
            const std::uint64_t notPlain = (word & kHighBits) | MarkBytesEqual(word, '\n') |
                                           MarkBytesEqual(word, '\r') | MarkBytesEqual(word, 0);
            if (notPlain != 0) {
                m_pos += FirstMarkedByte(notPlain);
                return {reinterpret_cast<const char*>(start), static_cast<std::size_t>(m_pos - start)};
            }
            m_pos += kWordBytes;
        }
        while (m_pos != end && IsPlainAscii(*m_pos)) {
            ++m_pos;
        }
        return {reinterpret_cast<const char*>(start), static_cast<std::size_t>(m_pos - start)};
    }

  protected:
    const unsigned char* m_pos;
    const unsigned char* m_end;
};

// ISO 8859-1: every byte is the character with the same code.
class EightBitSource : public ByteSource {
  public:
    static constexpr bool kHasAsciiRuns = true;
    using ByteSource::ByteSource;
    char32_t Next() { return *m_pos++; }
};

// UTF-8 that accepts only complete shortest-form sequences of scalar values. Every other byte
// becomes "?" on its own and decoding resumes at the following byte, so a broken sequence can
// never swallow a line end.
class Utf8Source : public ByteSource {
  public:
    static constexpr bool kHasAsciiRuns = true;
    using ByteSource::ByteSource;

    char32_t Next() {
        const std::string_view rest(reinterpret_cast<const char*>(m_pos),
                                    static_cast<std::size_t>(m_end - m_pos));
        std::size_t length = 0;
        const char32_t c = DecodeNextUtf8(rest, length, U'?');
        m_pos += length;
        return c;
    }
};

// UTF-16 little-endian. A surrogate pair is one character; an unpaired surrogate or a last odd
// byte becomes U+FFFD.
class Utf16LeSource {
  public:
    static constexpr bool kHasAsciiRuns = false;

    explicit Utf16LeSource(std::string_view bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_pos == m_bytes.size(); }
    void SkipLineFeed() {
        if (m_bytes.substr(m_pos, 2) == std::string_view("\n\0", 2)) {
            m_pos += 2;
        }
    }
    char32_t Next() { return DecodeNextUtf16(m_bytes, m_pos, false); }

  private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

void ReadTrailerLine(std::string_view line, CodeFileInfo& info) {
    if (line.starts_with(kUnicodeMark)) {
        info.exeUnicode = 1;
    }
    if (line.starts_with(kGtk2Mark)) {
        info.subSystem = 1;
    }
    if (line.starts_with(kGtk3Mark)) {
        info.subSystem = 2;
    }
}

// One pass over the source, writing every shown line straight into `out`. A trailer line is
// decoded in place as well, read, and cut off again together with its separator. A stop ends it
// with the text read so far.
template <class Source>
void ReadLines(Source& source, std::string& out, CodeFileInfo& info, const std::stop_token& stop) {
    StopPoll stopped(stop);
    bool inTrailer = false;
    bool anyLineShown = false;
    while (!source.AtEnd()) {
        const std::size_t lineBegin = out.size();
        if (anyLineShown) {
            out.push_back('\n');
        }
        const std::size_t contentBegin = out.size();
        bool inLeadingMarks = true;  // still dropping the line's leading "?"
        for (;;) {
            if (stopped(out.size())) {
                return;
            }
            if constexpr (Source::kHasAsciiRuns) {
                std::string_view run = source.AsciiRun(kStopPollBytes);
                if (inLeadingMarks && !run.empty()) {
                    const std::size_t first = run.find_first_not_of('?');
                    run.remove_prefix(first == std::string_view::npos ? run.size() : first);
                    inLeadingMarks = run.empty();
                }
                out.append(run);
            }
            if (source.AtEnd()) {
                break;
            }
            const char32_t c = source.Next();
            if (c == '\n' || c == 0) {
                break;
            }
            if (c == '\r') {
                source.SkipLineFeed();
                break;
            }
            if (inLeadingMarks) {
                if (c == '?') {
                    continue;
                }
                inLeadingMarks = false;
            }
            EncodeUtf8(c, out);
        }
        const std::string_view line(out.data() + contentBegin, out.size() - contentBegin);
        if (inTrailer || line.starts_with(kOptionsMark)) {
            inTrailer = true;
            ReadTrailerLine(line, info);
            out.resize(lineBegin);
        } else {
            anyLineShown = true;
        }
    }
}

// read() that retries when a signal interrupts it.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    ssize_t count = 0;
    do {
        count = ::read(fd, buffer, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

}  // namespace

EncodingMark DetectEncoding(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const std::size_t size = bytes.size();
    if (size < 2) {
        return {TextEncoding::EightBit, 0};
    }
    if (at(0) == 0xFF && at(1) == 0xFE) {
        return {TextEncoding::Utf16Le, 2};
    }
    if (size == 2 && at(0) == 0xFE && at(1) == 0xFF) {
        return {TextEncoding::EightBit, 2};
    }
    if (size >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        return {TextEncoding::Utf8, 3};
    }
    if (at(0) == 0xFE && at(1) == 0xFF) {
        return {TextEncoding::EightBit, 2};
    }
    if (size < 4) {
        return {TextEncoding::EightBit, 0};
    }
    if (at(0) == 0x00 && at(1) == 0x00 && at(2) == 0xFE && at(3) == 0xFF) {
        return {TextEncoding::EightBit, 4};
    }
    return {TextEncoding::EightBit, 0};
}

DecodedCodeText DecodeCodeText(std::string_view bytes, const std::stop_token& stop) {
    DecodedCodeText result;
    const EncodingMark mark = DetectEncoding(bytes);
    const std::string_view body = bytes.substr(mark.markLength);
    // Reserved for the longest possible result, so the text never moves while it grows; pages
    // that are never written are not touched.
    switch (mark.encoding) {
        case TextEncoding::Utf8: {
            result.info.srcUtf8 = 1;
            result.text.reserve(body.size());
            Utf8Source source(body);
            ReadLines(source, result.text, result.info, stop);
            break;
        }
        case TextEncoding::Utf16Le: {
            result.text.reserve(body.size() / 2 * 3 + 3);
            Utf16LeSource source(body);
            ReadLines(source, result.text, result.info, stop);
            break;
        }
        case TextEncoding::EightBit: {
            result.text.reserve(body.size() * 2);
            EightBitSource source(body);
            ReadLines(source, result.text, result.info, stop);
            break;
        }
    }
    return result;
}

std::optional<std::string> ReadCodeFileBytes(const std::string& fullPath, std::size_t maxBytes,
                                             const std::stop_token& stop) {
    // Non-blocking, so that opening a FIFO or a device never waits; fstat then refuses them.
    const FileDescriptor file(::open(fullPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t used = 0;
    while (used < bytes.size()) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        const ssize_t count =
            ReadSome(file.Get(), bytes.data() + used, std::min(bytes.size() - used, kStopPollBytes));
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            bytes.resize(used);  // the file shrank while being read
            return bytes;
        }
        used += static_cast<std::size_t>(count);
    }
    // The file may have grown since fstat (or reports no size at all): read on to its end.
    char chunk[4096];
    for (;;) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        const ssize_t count = ReadSome(file.Get(), chunk, sizeof chunk);
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            return bytes;
        }
        if (static_cast<std::size_t>(count) > maxBytes - bytes.size()) {
            return std::nullopt;
        }
        bytes.append(chunk, static_cast<std::size_t>(count));
    }
}

CodeFileLoad LoadCodeFileText(const std::string& fullPath, const std::stop_token& stop, CodeDecoder decode) {
    CodeFileLoad load;
    try {
        std::optional<std::string> bytes = ReadCodeFileBytes(fullPath, kMaxCodeFileBytes, stop);
        if (!bytes) {
            return load;
        }
        DecodedCodeText decoded = decode(*bytes, stop);
        load.outcome = CodeFileOutcome::Loaded;
        load.text = std::move(decoded.text);
        load.info = decoded.info;
    } catch (const std::exception&) {
        // Out of memory for a huge file, for one: a file that cannot be loaded.
        return CodeFileLoad{};
    }
    return load;
}

std::string ExtensionOf(std::string_view path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        const char c = path[i];
        if (c == ' ' || c == '/') {
            return {};
        }
        if (c == '.') {
            if (i == 0 || path[i - 1] == '/' || path[i - 1] == '\\') {
                return {};
            }
            const std::string_view extension = path.substr(i + 1);
            return std::string(extension.substr(0, extension.find('"')));
        }
    }
    return {};
}

bool IsAcceptedExtension(std::string_view extension) {
    return !extension.empty() && kAcceptedExtensions.find(extension) != std::string_view::npos;
}

std::string CodeFileFullPath(std::string_view libPath, std::string_view entryPath) {
    std::string fullPath(libPath);
    if (!fullPath.empty() && fullPath.back() != '/') {
        fullPath.push_back('/');
    }
    fullPath += WithoutLeadingSlashes(entryPath);
    return fullPath;
}

DropChoice ChooseDroppedFile(std::string_view dropList) {
    DropChoice choice;
    choice.fullPath = std::string(dropList.substr(0, dropList.find('\n')));
    choice.extension = ExtensionOf(choice.fullPath);
    choice.accepted = IsAcceptedExtension(choice.extension);
    return choice;
}

bool HighlightsCodeFile(int codeMarks, std::string_view fullPath) {
    return codeMarks != 0 && IsAcceptedExtension(ExtensionOf(fullPath));
}

std::string MissingFileMessage(std::string_view passedPath, std::string_view libPath) {
    std::string message = "Missing file:\n";
    message += passedPath;
    message += "\n\nCheck library-path in settings:\n";
    message += libPath;
    return message;
}

std::string MissingFileBoxedText() {
    return "*************************\n***   Missing file!   ***\n*************************";
}

std::string UnsupportedFileTypeMessage(std::string_view extension) {
    std::string message = "File type '";
    message += extension;
    message += "' not supported!\nNot loaded!";
    return message;
}

std::string DroppedFileTitle(std::string_view fullPath) {
    return std::string(kProgramTitle) + " ~ " + FilePart(fullPath);
}

MissingFileReport ReportMissingFile(std::string_view passedPath, std::string_view libPath,
                                    bool& missingFileNotice) {
    MissingFileReport report;
    if (missingFileNotice) {
        report.messageBox = true;
        report.text = MissingFileMessage(passedPath, libPath);
        missingFileNotice = false;
    } else {
        report.text = MissingFileBoxedText();
    }
    return report;
}

}  // namespace quillmate
