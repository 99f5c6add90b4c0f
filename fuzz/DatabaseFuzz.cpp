// Fuzz target: any bytes as a database. The parse must end with a status and a consistent
// document, and every build of the index (three languages, dyeing on and off) must give one row
// and one entry per element of the head's subtree, in document order, with well-formed texts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/IndexRows.h"
#include "database/XmlDocument.h"
#include "fuzz/FuzzCheck.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

using fuzz::IsValidUtf8;
using fuzz::Require;

void CheckDocument(const XmlReadResult& result, std::size_t inputSize) {
    Require((result.status == XmlReadStatus::EmptyInput) == (inputSize == 0), "empty status iff no bytes");
    if (result.status == XmlReadStatus::SyntaxError || result.status == XmlReadStatus::TooDeep) {
        Require(!result.errorMessage.empty(), "a syntax error has a message");
        Require(result.errorColumn >= 1, "columns count from 1");
    }
    const XmlDocument& document = result.document;
    for (XmlDocument::Index e = 0; e < document.ElementCount(); ++e) {
        const XmlDocument::Index parent = document.Parent(e);
        Require(parent == XmlDocument::kNone || parent < e, "a parent comes before its children");
        Require(!document.Name(e).empty() && IsValidUtf8(document.Name(e)), "element names are UTF-8");
        Require(IsValidUtf8(document.Text(e)), "element texts are UTF-8");
        for (std::size_t a = 0; a < document.AttributeCount(e); ++a) {
            const XmlAttribute attribute = document.Attribute(e, a);
            Require(IsValidUtf8(attribute.name) && IsValidUtf8(attribute.value), "attributes are UTF-8");
        }
    }
}

// Depth of each element below the head; -1 for elements outside the head's subtree.
std::vector<int> HeadDepths(const XmlDocument& document) {
    std::vector<int> depths(document.ElementCount(), -1);
    for (XmlDocument::Index e = 0; e < document.ElementCount(); ++e) {
        const XmlDocument::Index parent = document.Parent(e);
        if (e == 0) {
            depths[e] = 0;
        } else if (parent != XmlDocument::kNone && depths[parent] >= 0) {
            depths[e] = depths[parent] + 1;
        }
    }
    return depths;
}

void CheckIndexBuilds(const XmlDocument& document) {
    if (!document.HasHead()) {
        return;
    }
    const std::vector<int> depths = HeadDepths(document);
    std::size_t subtree = 0;
    for (const int depth : depths) {
        subtree += depth >= 0 ? 1 : 0;
    }
    Palette palette;
    ApplyPalette(palette, false);
    std::string lastGroupTitle;
    for (int language = 0; language < 3; ++language) {
        for (const bool dyeingNews : {true, false}) {
            EntryList entries;
            int helpEntryIndex = 0;
            std::string dbVersion;
            IndexRows rows;
            IndexTreeState state{entries, lastGroupTitle, helpEntryIndex, dbVersion};
            const IndexTreeSettings settings{language, dyeingNews, palette};
            FillIndexTree(document, document.Head(), 0, settings, state, rows);
            Require(rows.Rows().size() == subtree && entries.size() == subtree,
                    "one row and one entry per element of the head's subtree");
            for (std::size_t row = 0; row < rows.Rows().size(); ++row) {
                // Elements are numbered in document order, which is the order of the rows.
                Require(rows.Rows()[row].depth == depths[row], "rows follow the document order and depth");
                Require(IsValidUtf8(rows.Rows()[row].text), "row texts are UTF-8");
                const DbEntry& entry = entries[row];
                for (const std::string_view text :
                     {entry.nodeText, entry.groupTitle, entry.themeDe, entry.descriptDe, entry.themeEn,
                      entry.descriptEn, entry.themeFr, entry.descriptFr, entry.file}) {
                    Require(IsValidUtf8(text), "entry texts are UTF-8");
                }
            }
            Require(helpEntryIndex >= 0 && static_cast<std::size_t>(helpEntryIndex) < subtree,
                    "the help entry index names a row");
            Require(dbVersion.find(' ') == std::string::npos, "the version is one field");
        }
    }
}

}  // namespace
}  // namespace quillmate

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillmate;
    const std::string_view input = fuzz::AsText(data, size);
    const XmlReadResult result = ParseXmlText(input);
    CheckDocument(result, size);
    CheckIndexBuilds(result.document);

    // A small limit reaches the size checks of the reader with small inputs.
    constexpr std::size_t kSmallLimit = 2048;
    const XmlReadResult limited = ParseXmlText(input, kSmallLimit);
    CheckDocument(limited, size);
    std::size_t held = 0;
    for (XmlDocument::Index e = 0; e < limited.document.ElementCount(); ++e) {
        held += limited.document.Text(e).size();
    }
    fuzz::Require(held <= kSmallLimit, "the held text stays within the limit");
    return 0;
}
