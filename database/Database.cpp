// Loading the database file and walking its document into index rows and entries.
#include "database/Database.h"

#include <utility>

#include "base/Paths.h"
#include "base/ProgramNames.h"
#include "base/Text.h"

namespace quillmate {

namespace {

// Byte length of a leading NewMark or ChangedMark, 0 when the title starts with neither.
std::size_t MarkLength(std::string_view title) {
    if (title.starts_with(NewMark)) {
        return NewMark.size();
    }
    if (title.starts_with(ChangedMark)) {
        return ChangedMark.size();
    }
    return 0;
}

// Turns one element into its row and entry. Holds the per-build counters and reusable buffers.
class IndexTreeBuilder {
  public:
    // The entries view the document's texts; the group title carried over from the previous
    // build is kept by the list.
    IndexTreeBuilder(const XmlDocument& document, const IndexTreeSettings& settings, IndexTreeState& state,
                     IndexRowSink& rows)
        : m_document(document),
          m_settings(settings),
          m_state(state),
          m_rows(rows),
          m_groupTitle(state.entries.Keep(state.lastGroupTitle)) {}

    void Add(XmlDocument::Index element, int depth) {
        DbEntry entry;
        m_title.clear();
        std::string_view onlyTitle;  // the title when one attribute gives it, in the document
        int titleParts = 0;
        const std::size_t count = m_document.AttributeCount(element);
        for (std::size_t i = 0; i < count; ++i) {
            const XmlAttribute attribute = m_document.Attribute(element, i);
            if (attribute.name == "File") {
                entry.file = attribute.value;
            } else if (attribute.name == "theme_de") {
                entry.themeDe = attribute.value;
            } else if (attribute.name == "theme_en") {
                entry.themeEn = attribute.value;
            } else if (attribute.name == "theme_fr") {
                entry.themeFr = attribute.value;
            } else if (attribute.name == "descript_de") {
                entry.descriptDe = attribute.value;
            } else if (attribute.name == "descript_en") {
                entry.descriptEn = attribute.value;
            } else if (attribute.name == "descript_fr") {
                entry.descriptFr = attribute.value;
            } else {
                m_title.append(attribute.value);
                onlyTitle = attribute.value;
                ++titleParts;
            }
        }

        const int row = static_cast<int>(m_state.entries.size());
        AddRow(entry, row, depth);
        entry.nodeText = Trim(m_document.Text(element), " \n\r\t");
        if (FilePart(entry.file) == kHelpFileName) {
            m_state.helpEntryIndex = row;
        }
        if (!m_title.empty()) {
            m_state.lastGroupTitle = m_title;
            m_groupTitle = titleParts == 1 ? onlyTitle : m_state.entries.Keep(m_title);
        }
        entry.groupTitle = m_groupTitle;
        if (m_settings.dyeingNews) {
            RowIcon icon = RowIcon::None;
            if (entry.themeDe.starts_with(NewMark)) {
                icon = RowIcon::New;
            } else if (entry.themeDe.starts_with(ChangedMark)) {
                icon = RowIcon::Changed;
            }
            m_rows.SetRowIcon(row, icon);
        }
        if (depth == 0) {
            m_state.dbVersion = DatabaseVersionWord(entry.descriptDe);
        }
        m_state.entries.AddViews(entry);
    }

  private:
    std::string_view& ChosenTitle(DbEntry& entry) const {
        switch (m_settings.language) {
            case 1:
                return entry.themeEn;
            case 2:
                return entry.themeFr;
            default:
                return entry.themeDe;
        }
    }

    // Heads and themes show their title text; entries the title in the index language, with
    // marks shown as icons or (with dyeing off) dropped from the stored title as well.
    void AddRow(DbEntry& entry, int row, int depth) {
        if (depth <= 1) {
            if (depth == 1) {
                ++m_themeCounter;
            }
            m_rows.AppendRow(m_title, depth);
            if (m_title == kOwnThemeName) {
                m_rows.SetRowBackground(row, m_settings.palette.ownTheme);
                m_rows.SetRowForeground(row, m_settings.palette.themeText);
            } else if (depth == 1) {
                m_rows.SetRowBackground(row, m_themeCounter % 2 != 0 ? m_settings.palette.oddTheme
                                                                     : m_settings.palette.evenTheme);
                m_rows.SetRowForeground(row, m_settings.palette.themeText);
            }
            return;
        }
        std::string_view& chosen = ChosenTitle(entry);
        if (m_settings.dyeingNews) {
            // The German title decides whether the entry is marked, but only a mark is ever cut
            // off: an unmarked title in another language is shown whole.
            if (MarkLength(entry.themeDe) > 0 && MarkLength(chosen) > 0) {
                m_rows.AppendRow(chosen.substr(MarkLength(chosen)), depth);
                return;
            }
        } else {
            chosen.remove_prefix(MarkLength(chosen));
        }
        m_rows.AppendRow(chosen, depth);
    }

    const XmlDocument& m_document;
    const IndexTreeSettings& m_settings;
    IndexTreeState& m_state;
    IndexRowSink& m_rows;
    int m_themeCounter = 0;
    std::string m_title;
    std::string_view m_groupTitle;
};

}  // namespace

DatabaseLoadResult LoadDatabaseFile(const std::string& dbFullPath) {
    DatabaseLoadResult result;
    if (dbFullPath.empty()) {
        result.status = DatabaseReadStatus::NoPath;
        result.messageTitle = "Quillmate-Error";
        result.messageText = "No database selected. Programm canceled!";
        return result;
    }
    XmlReadResult read = ReadXmlFile(dbFullPath);
    switch (read.status) {
        case XmlReadStatus::Parsed:
            result.status = DatabaseReadStatus::Loaded;
            break;
        case XmlReadStatus::CannotOpen:
        case XmlReadStatus::EmptyInput:
            result.status = DatabaseReadStatus::CannotOpen;
            result.messageTitle = "Quillmate-Error";
            result.messageText = "The database '" + dbFullPath + "' cannot be opened.";
            break;
        case XmlReadStatus::SyntaxError:
        case XmlReadStatus::TooDeep:
            result.status = read.status == XmlReadStatus::TooDeep ? DatabaseReadStatus::TooDeep
                                                                  : DatabaseReadStatus::SyntaxError;
            result.messageTitle = "QuillmateError";
            result.messageText = "Error in the XML file:\rMessage: " + read.errorMessage +
                                 "\rLine: " + std::to_string(read.errorLine) +
                                 "   Character: " + std::to_string(read.errorColumn);
            break;
    }
    result.document = std::move(read.document);
    return result;
}

DatabaseReadStatus ReloadDatabaseFile(const std::string& dbFullPath, XmlDocument& document) {
    if (dbFullPath.empty()) {
        return DatabaseReadStatus::NoPath;
    }
    XmlReadResult read = ReadXmlFile(dbFullPath);
    switch (read.status) {
        case XmlReadStatus::CannotOpen:
        case XmlReadStatus::EmptyInput:
            return DatabaseReadStatus::CannotOpen;
        case XmlReadStatus::TooDeep:
            // Refused at start-up as well, so the tree keeps the document it shows.
            return DatabaseReadStatus::TooDeep;
        case XmlReadStatus::SyntaxError:
            document = std::move(read.document);
            return DatabaseReadStatus::SyntaxError;
        case XmlReadStatus::Parsed:
            break;
    }
    document = std::move(read.document);
    return DatabaseReadStatus::Loaded;
}

void FillIndexTree(const XmlDocument& document, XmlDocument::Index element, int depth,
                   const IndexTreeSettings& settings, IndexTreeState& state, IndexRowSink& rows) {
    if (element >= document.ElementCount()) {
        return;
    }
    IndexTreeBuilder builder(document, settings, state, rows);
    // Pre-order walk along the child, sibling and parent links: each element before its
    // children, siblings in document order, never leaving the subtree of `element`.
    XmlDocument::Index current = element;
    int currentDepth = depth;
    for (;;) {
        builder.Add(current, currentDepth);
        if (const XmlDocument::Index child = document.FirstChild(current); child != XmlDocument::kNone) {
            current = child;
            ++currentDepth;
            continue;
        }
        while (current != element && document.NextSibling(current) == XmlDocument::kNone) {
            current = document.Parent(current);
            --currentDepth;
        }
        if (current == element) {
            break;
        }
        current = document.NextSibling(current);
    }
    // Row 0 is the head's row and always ends grey with white text.
    if (!state.entries.empty()) {
        rows.SetRowBackground(0, settings.palette.topRowBack);
        rows.SetRowForeground(0, settings.palette.topRowText);
    }
}

std::string DatabaseVersionWord(std::string_view description) {
    for (int field = 1; field < 4; ++field) {
        const std::size_t space = description.find(' ');
        if (space == std::string_view::npos) {
            return {};
        }
        description.remove_prefix(space + 1);
    }
    return std::string(description.substr(0, description.find(' ')));
}

EntryList::EntryList(std::initializer_list<DbEntry> entries) {
    for (const DbEntry& entry : entries) {
        push_back(entry);
    }
}

EntryList::EntryList(const EntryList& other) {
    for (const DbEntry& entry : other) {
        push_back(entry);
    }
}

EntryList& EntryList::operator=(const EntryList& other) {
    if (this != &other) {
        EntryList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void EntryList::clear() {
    m_entries.clear();
    m_texts.clear();
}

std::string_view EntryList::Keep(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    return m_texts.emplace_back(text);
}

void EntryList::push_back(const DbEntry& entry) {
    m_entries.emplace_back();
    Set(m_entries.size() - 1, entry);
}

void EntryList::Set(std::size_t index, const DbEntry& entry) {
    DbEntry kept;
    for (auto field :
         {&DbEntry::nodeText, &DbEntry::groupTitle, &DbEntry::themeDe, &DbEntry::descriptDe,
          &DbEntry::themeEn, &DbEntry::descriptEn, &DbEntry::themeFr, &DbEntry::descriptFr, &DbEntry::file}) {
        kept.*field = Keep(entry.*field);
    }
    m_entries[index] = kept;
}

int ShownEntryRow(const EntryList& entries, const std::string& entryFile, int selected) {
    const auto isShown = [&](int row) {
        return !entryFile.empty() && row >= 0 && static_cast<std::size_t>(row) < entries.size() &&
               entries[static_cast<std::size_t>(row)].file == entryFile;
    };
    if (isShown(selected)) {
        return selected;
    }
    for (std::size_t row = 0; row < entries.size(); ++row) {
        if (isShown(static_cast<int>(row))) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

std::string_view DescriptionIn(const DbEntry& entry, int language) {
    switch (language) {
        case 1:
            return entry.descriptEn;
        case 2:
            return entry.descriptFr;
        default:
            return entry.descriptDe;
    }
}

}  // namespace quillmate
