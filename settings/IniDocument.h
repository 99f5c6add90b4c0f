// Reader and writer of ini-style text files: an ordered list of group, comment and key lines
// that is read whole, edited in memory and written back whole (and atomically) on close.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmate {

enum class IniLineKind { Group, Comment, Key };

// name: the group name or the key; value: the key's value or the comment's text.
struct IniLine {
    IniLineKind kind = IniLineKind::Key;
    std::string name;
    std::string value;
};

enum class IniCloseResult {
    Written,            // the document was modified and the file now holds it
    NotModified,        // nothing to write; the file was not touched
    ReadOnlyUnchanged,  // modified, but the file could only be opened for reading; it is unchanged
    Failed,             // the new content could not be written; the old file is unchanged
};

class IniDocument {
  public:
    // Key lines are written "key=value" instead of "key = value".
    static constexpr int kFlagNoSpaces = 1;
    // An empty line is written before each group line except the first.
    static constexpr int kFlagBlankBeforeGroup = 2;

    // Larger files and files of more lines are refused: no preferences file comes near them.
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
    static constexpr std::size_t kMaxLines = 1'000'000;

    // Reads an existing regular file, for writing if the file allows it, else read-only.
    // Empty when the file cannot be opened or read, is not a regular file, or is too large.
    static std::optional<IniDocument> Open(const std::string& path, int flags);
    // A new, empty document that becomes the file at `path` on Close.
    static IniDocument Create(const std::string& path, int flags);
    // Parses file content without any file: UTF-8 after its byte-order mark, UTF-16 after one of
    // its marks, ISO 8859-1 otherwise. Empty when the content exceeds the limits above.
    static std::optional<IniDocument> FromBytes(std::string_view bytes, int flags);

    // The file content Close writes: byte-order mark, an empty first line, then every line.
    std::string ToBytes() const;

    // Keys are looked up without regard to ASCII letter case among the key lines before the first
    // group line; the first match wins.
    bool HasKey(std::string_view key) const;
    // The value without leading and trailing spaces and tabs, or `defaultValue` when missing.
    std::string ReadString(std::string_view key, std::string_view defaultValue) const;
    // The leading decimal number of the value (0 when it does not start with one, limited to the
    // int range), or `defaultValue` when the key is missing.
    int ReadInteger(std::string_view key, int defaultValue) const;

    // Replaces the value of an existing key in place (the key takes this letter case) or inserts a
    // new key line at the end of the leading, group-less block.
    void WriteString(std::string_view key, std::string_view value);
    void WriteInteger(std::string_view key, int value);
    // Inserts a comment line directly after the line written last (at the end of the leading block
    // when nothing has been written yet).
    void AddComment(std::string_view text);

    // Writes the document back when it has been modified: into a temporary file beside the target,
    // which then replaces the target; into the target itself when its folder takes no new file. A
    // symbolic link is written through to its target.
    [[nodiscard]] IniCloseResult Close();
    // Writes the whole document to the file at `path` instead, as Close does; the file it was
    // read from stays as it is.
    [[nodiscard]] IniCloseResult CloseAs(const std::string& path);

    const std::vector<IniLine>& Lines() const { return m_lines; }
    bool IsReadOnly() const { return m_readOnly; }
    // False for binary content (NUL bytes outside UTF-16), which is read but never written back
    // line by line.
    bool IsText() const { return m_text; }
    bool IsModified() const { return m_modified; }

  private:
    explicit IniDocument(int flags) : m_flags(flags) {}

    std::optional<std::size_t> FindKey(std::string_view key) const;
    std::size_t LeadingBlockEnd() const;
    void InsertLine(std::size_t position, IniLine line);

    std::vector<IniLine> m_lines;
    std::string m_path;
    int m_flags = 0;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_text = true;
    std::optional<std::size_t> m_lastWritten;
};

}  // namespace quillmate
