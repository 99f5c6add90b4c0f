// Code file loading without the view: the extension rule, the full path of a code file, the
// decoding of a file's bytes into the shown text (with the IDE's option trailer read out and
// hidden), and the texts the viewer shows when a file cannot be loaded.
#pragma once

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace quillmate {

// Facts about the most recently loaded code file; all zero after a missing or refused file.
struct CodeFileInfo {
    int srcUtf8 = 0;     // 1: the file began with the UTF-8 byte-order mark
    int exeUnicode = 0;  // 1: a trailer line begins with "; EnableUnicode"
    int subSystem = 0;   // 0 none, 1 "gtk2", 2 "gtk3"; the later trailer line wins

    bool operator==(const CodeFileInfo&) const = default;
};

// The three decodings a code file can get.
enum class TextEncoding { EightBit, Utf8, Utf16Le };

struct EncodingMark {
    TextEncoding encoding = TextEncoding::EightBit;
    std::size_t markLength = 0;  // leading bytes that belong to the byte-order mark

    bool operator==(const EncodingMark&) const = default;
};

// Reads the byte-order mark. FF FE is tested first, so a UTF-32 little-endian mark reads as
// UTF-16 little-endian; the UTF-16 and UTF-32 big-endian marks are skipped and the rest of the
// file is 8-bit text.
EncodingMark DetectEncoding(std::string_view bytes);

struct DecodedCodeText {
    std::string text;  // valid UTF-8; lines joined by "\n", no "\n" after the last line
    CodeFileInfo info;
};

// Turns the bytes of a code file into the text shown in the code view. Line ends are LF, CR and
// CR LF; a NUL also ends a line. Leading "?" of every line are removed; from the first line
// beginning "; IDE Options = " on, every line is option trailer: read into `info`, not shown.
// Undecodable UTF-8 bytes become "?" one by one; broken UTF-16 becomes U+FFFD. A stop requested
// through `stop` ends it early with part of the text.
DecodedCodeText DecodeCodeText(std::string_view bytes, const std::stop_token& stop = {});

// Files above this size are not loaded: the library holds small examples, and the code view
// could not show much more anyway.
inline constexpr std::size_t kMaxCodeFileBytes = std::size_t{256} << 20;

// The whole content of a regular file of at most `maxBytes` bytes; std::nullopt when the path
// cannot be opened, is not a regular file (folder, FIFO, socket, device), cannot be read or is
// too large, and when a stop was requested. Never blocks on special files.
std::optional<std::string> ReadCodeFileBytes(const std::string& fullPath,
                                             std::size_t maxBytes = kMaxCodeFileBytes,
                                             const std::stop_token& stop = {});

enum class CodeFileOutcome { Loaded, Missing };

struct CodeFileLoad {
    CodeFileOutcome outcome = CodeFileOutcome::Missing;
    std::string text;   // empty when missing
    CodeFileInfo info;  // all zero when missing
};

using CodeDecoder = DecodedCodeText (*)(std::string_view bytes, const std::stop_token& stop);

// Reads and decodes one code file through `decode`; anything ReadCodeFileBytes refuses counts as
// missing, and so does a file whose reading or decoding throws (a failed allocation). After a
// stop the result is incomplete.
CodeFileLoad LoadCodeFileText(const std::string& fullPath, const std::stop_token& stop = {},
                              CodeDecoder decode = DecodeCodeText);

// Text after the last "." of the last path component, cut at a double quote. Scanning back
// from the end, a space or "/" met first means none; so does a "." right after "/" or "\\" or
// at the very start of the path.
std::string ExtensionOf(std::string_view path);

// True when `extension` is not empty and occurs anywhere in "kx;kxi;kxf" (case-sensitive).
bool IsAcceptedExtension(std::string_view extension);

// `libPath` followed by the database path without its leading "/". A library folder that does
// not end in "/" gets one, so that the folder name and the path are never glued together. The
// one join of a folder and an entry path: loading, dragging and copying all name the same file.
std::string CodeFileFullPath(std::string_view libPath, std::string_view entryPath);

// What to do with files dropped onto the view: only the first line of the drop list counts.
struct DropChoice {
    std::string fullPath;   // first line of the drop list
    std::string extension;  // ExtensionOf(fullPath)
    bool accepted = false;  // IsAcceptedExtension(extension)
};
DropChoice ChooseDroppedFile(std::string_view dropList);

// True when the loaded file gets syntax highlighting: a marking scheme is chosen and the file
// has an accepted extension.
bool HighlightsCodeFile(int codeMarks, std::string_view fullPath);

// Message box text for a missing file, with the path as it was passed in and the library folder.
std::string MissingFileMessage(std::string_view passedPath, std::string_view libPath);
// The three lines shown in the code view instead of the message box.
std::string MissingFileBoxedText();
// Message box text for a dropped file of a type that is not loaded.
std::string UnsupportedFileTypeMessage(std::string_view extension);
// Window title while a dropped file is shown: "Quillmate ~ " and the file-name part.
std::string DroppedFileTitle(std::string_view fullPath);

// How a missing file is reported: the first one after the notice was armed in a message box,
// later ones as the boxed text in the code view.
struct MissingFileReport {
    bool messageBox = false;  // true: show `text` in a box and leave the view empty
    std::string text;         // message box text, or the text to put into the code view
};
// Decides the report and disarms `missingFileNotice` when it uses the message box.
MissingFileReport ReportMissingFile(std::string_view passedPath, std::string_view libPath,
                                    bool& missingFileNotice);

// The short low tone that accompanies a missing file; a missing "beep" program goes unnoticed.
inline constexpr const char* kMissingFileBeepProgram = "beep";
inline constexpr const char* kMissingFileBeepParameters = "-f 130.8 -l 100";

}  // namespace quillmate
