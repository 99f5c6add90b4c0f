// Fuzz target: any bytes as a preferences file. Properties checked for every input that is not
// refused for its size:
//  1. Round trip: the lines read from ToBytes() of a document are the lines of the document, kind,
//     name and value alike, and writing them again gives the same bytes.
//  2. Writing: after WriteString of a value under each of five keys (each followed by AddComment
//     of the same text), the written-and-read-again document reads, under each key, the value
//     with its CR and LF turned into spaces and its leading and trailing spaces and tabs removed;
//     every other key of the leading block reads as before, and property 1 holds again.
// Both properties are checked with each write flag. The whole input is the file; the part after
// its first NUL, split at the bytes 0x01, gives the values, so they hold whatever the input holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "settings/IniDocument.h"

namespace quillmate {
namespace {

using fuzz::Require;

bool SameLines(const std::vector<IniLine>& a, const std::vector<IniLine>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].value != b[i].value) {
            return false;
        }
    }
    return true;
}

// What reading a written value gives back: line breaks as spaces, blanks trimmed at both ends.
std::string ExpectedReadBack(std::string_view value) {
    std::string text(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

IniDocument ReadBack(const IniDocument& document, int flags) {
    auto again = IniDocument::FromBytes(document.ToBytes(), flags);
    Require(again.has_value(), "a written document can be read");
    return std::move(*again);
}

void CheckRoundTrip(const IniDocument& document, int flags) {
    const IniDocument again = ReadBack(document, flags);
    Require(SameLines(document.Lines(), again.Lines()), "written lines read back the same");
    Require(again.ToBytes() == document.ToBytes(), "writing is a fixed point");
}

// Keys the program writes, in varied letter case, so existing lines are found and replaced.
constexpr std::string_view kKeys[] = {"db-path", "FontName", "fontsize", "CodeEditorPath", "x"};

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool IsWrittenKey(std::string_view name) {
    for (const std::string_view key : kKeys) {
        if (AsciiLower(name) == AsciiLower(key)) {
            return true;
        }
    }
    return false;
}

void CheckWrites(const IniDocument& original, std::string_view values, int flags) {
    IniDocument document = original;
    std::vector<std::pair<std::string_view, std::string>> written;
    for (const std::string_view key : kKeys) {
        const std::size_t cut = values.find('\x01');
        const std::string_view value = values.substr(0, cut);
        values.remove_prefix(cut == std::string_view::npos ? values.size() : cut + 1);
        document.WriteString(key, value);
        document.AddComment(value);
        written.emplace_back(key, ExpectedReadBack(value));
    }
    const IniDocument again = ReadBack(document, flags);
    for (const auto& [key, expected] : written) {
        Require(again.ReadString(key, "\x02missing") == expected, "a written value reads back");
    }
    for (const IniLine& line : original.Lines()) {
        if (line.kind == IniLineKind::Group) {
            break;
        }
        if (line.kind == IniLineKind::Key && !IsWrittenKey(line.name)) {
            Require(
                again.ReadString(line.name, "\x02missing") == original.ReadString(line.name, "\x03missing"),
                "keys that were not written keep their values");
        }
    }
    CheckRoundTrip(again, flags);
}

}  // namespace
}  // namespace quillmate

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmate;
    const std::string_view input = fuzz::AsText(data, size);
    // The part after the first NUL, if any, supplies the values written; the file is all of it.
    const std::size_t nul = input.find('\0');
    const std::string_view values =
        nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    for (const int flags : {IniDocument::kFlagNoSpaces, 0, IniDocument::kFlagBlankBeforeGroup}) {
        auto document = IniDocument::FromBytes(input, flags);
        if (!document) {
            fuzz::Require(size > IniDocument::kMaxFileBytes || size >= IniDocument::kMaxLines,
                          "only oversized content is refused");
            continue;
        }
        CheckRoundTrip(*document, flags);
        CheckWrites(*document, values, flags);
    }
    return 0;
}
