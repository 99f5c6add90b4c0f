// The database: the table of contents of the library, its loader, and the walk that turns the
// parsed document into index rows and the EntryList.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "database/XmlDocument.h"
#include "viewer/Palette.h"

namespace quillmate {

// Leading title characters that mark new and changed entries (U+2730 and U+21BA in UTF-8).
inline constexpr std::string_view NewMark = "\xE2\x9C\xB0";
inline constexpr std::string_view ChangedMark = "\xE2\x86\xBA";

// One record per database element; entry i belongs to index row i. The texts are views (see
// EntryList): a million entries hold their texts once, in the parsed document.
struct DbEntry {
    std::string_view nodeText = {};
    std::string_view groupTitle = {};
    std::string_view themeDe = {};
    std::string_view descriptDe = {};
    std::string_view themeEn = {};
    std::string_view descriptEn = {};
    std::string_view themeFr = {};
    std::string_view descriptFr = {};
    std::string_view file = {};
};

// The entries in row order. An entry added by AddViews keeps its views, which point into the
// parsed document it was read from (or texts the list keeps): the list is filled again whenever
// that document is replaced. An entry added by push_back has its texts copied into the list.
class EntryList {
  public:
    EntryList() = default;
    EntryList(std::initializer_list<DbEntry> entries);
    // `count` empty entries.
    explicit EntryList(std::size_t count) : m_entries(count) {}
    EntryList(const EntryList& other);
    EntryList& operator=(const EntryList& other);
    EntryList(EntryList&&) noexcept = default;
    EntryList& operator=(EntryList&&) noexcept = default;

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const DbEntry& operator[](std::size_t index) const { return m_entries[index]; }
    const DbEntry& front() const { return m_entries.front(); }
    const DbEntry& back() const { return m_entries.back(); }
    std::vector<DbEntry>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<DbEntry>::const_iterator end() const { return m_entries.end(); }
    void clear();

    void push_back(const DbEntry& entry);
    // Replaces entry `index`, its texts copied into the list.
    void Set(std::size_t index, const DbEntry& entry);
    void AddViews(const DbEntry& entry) { m_entries.push_back(entry); }
    // A text the list keeps for views of its own; the view stays valid until clear.
    std::string_view Keep(std::string_view text);

  private:
    std::vector<DbEntry> m_entries;
    std::deque<std::string> m_texts;  // a deque, so that keeping a text moves none of the others
};

// The row of the entry shown or found missing (the one copying and opening name): the selected
// row when it is that entry (two entries may name one file), else the first; -1 when the view
// shows no entry. Rows keep their places in every language.
int ShownEntryRow(const EntryList& entries, const std::string& entryFile, int selected);

// The entry's description in a language: 1 English, 2 French, anything else German.
std::string_view DescriptionIn(const DbEntry& entry, int language);

enum class DatabaseReadStatus { Loaded, NoPath, CannotOpen, SyntaxError, TooDeep };

struct DatabaseLoadResult {
    DatabaseReadStatus status = DatabaseReadStatus::Loaded;
    // The message box to show before the program ends; both empty when loaded.
    std::string messageTitle;
    std::string messageText;
    // The parsed document when loaded (the elements before the error after a syntax error).
    XmlDocument document;
};

// The checks of the start-up load: an empty path, a file that cannot be opened or has no bytes,
// a syntax error and nesting past the limit each give their message.
DatabaseLoadResult LoadDatabaseFile(const std::string& dbFullPath);

// The silent reload. A file that cannot be opened, is empty or is nested too deeply leaves
// `document` as it is; a syntax error replaces it with the elements read before the error. Returns the read
// status (NoPath for an empty path, which also keeps the document).
DatabaseReadStatus ReloadDatabaseFile(const std::string& dbFullPath, XmlDocument& document);

enum class RowIcon : std::uint8_t { None, New, Changed };

// Receives the index rows as FillIndexTree produces them. A row appended with depth d belongs
// under the latest row of depth d - 1; rows are numbered from 0 in the order they arrive,
// across all calls since the tree was last emptied.
class IndexRowSink {
  public:
    virtual ~IndexRowSink() = default;
    virtual void AppendRow(std::string_view text, int depth) = 0;
    virtual void SetRowBackground(int row, const std::string& colour) = 0;
    virtual void SetRowForeground(int row, const std::string& colour) = 0;
    virtual void SetRowIcon(int row, RowIcon icon) = 0;
};

struct IndexTreeSettings {
    int language = 0;  // index language: 0 German, 1 English, 2 French (other values: German)
    bool dyeingNews = true;
    const Palette& palette;
};

// The process-wide records a build writes to, owned by the application.
struct IndexTreeState {
    EntryList& entries;
    std::string& lastGroupTitle;  // survives from build to build
    int& helpEntryIndex;          // row of the last "ViewerHelp.txt" entry; left alone when none
    std::string& dbVersion;       // set from the head element (depth 0)
};

// Appends one row and one DbEntry for `element` and each of its descendants, each element before
// its children. Callers empty the rows and `state.entries` first and pass the head element with
// depth 0. Nothing happens for an index that is not an element of `document`. Works without
// recursion, so any nesting depth is fine.
void FillIndexTree(const XmlDocument& document, XmlDocument::Index element, int depth,
                   const IndexTreeSettings& settings, IndexTreeState& state, IndexRowSink& rows);

// The fourth field of `description` split at single spaces; empty when there are fewer fields.
std::string DatabaseVersionWord(std::string_view description);

}  // namespace quillmate
