// A small XML document model read with expat: elements with their name, ordered attributes, own
// text and ordered children, held in flat arrays so that no operation recurses on nesting depth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace quillmate {

// One attribute of an element; the views point into the document that returned them.
struct XmlAttribute {
    std::string_view name;
    std::string_view value;
};

class XmlDocument {
  public:
    using Index = std::size_t;
    static constexpr Index kNone = std::numeric_limits<Index>::max();

    // Elements are numbered in document order of their start tags (each element before its
    // children), so the first element of the document, the head element, is element 0.
    bool HasHead() const { return !m_elements.empty(); }
    Index Head() const { return m_elements.empty() ? kNone : 0; }
    std::size_t ElementCount() const { return m_elements.size(); }

    // All element accessors expect an index below ElementCount().
    std::string_view Name(Index element) const;
    // The text directly inside the element, pieces between child elements joined in document
    // order; text of CDATA sections, comments and processing instructions is not part of it.
    std::string_view Text(Index element) const;
    std::size_t AttributeCount(Index element) const { return m_elements[element].attributeCount; }
    XmlAttribute Attribute(Index element, std::size_t position) const;
    Index Parent(Index element) const { return Widen(m_elements[element].parent); }
    Index FirstChild(Index element) const { return Widen(m_elements[element].firstChild); }
    Index NextSibling(Index element) const { return Widen(m_elements[element].nextSibling); }

  private:
    friend class XmlDocumentBuilder;

    // Offsets, lengths and indexes are held in 32 bits: a document holds far less than 4 GiB
    // (kMaxXmlHeldBytes), and a million elements cost a third of the memory they would in 64.
    using Narrow = std::uint32_t;
    static constexpr Narrow kNarrowNone = std::numeric_limits<Narrow>::max();
    static Index Widen(Narrow index) { return index == kNarrowNone ? kNone : index; }

    struct Span {
        Narrow offset = 0;
        Narrow length = 0;
    };
    struct AttributeSpans {
        Span name;
        Span value;
    };
    struct Element {
        Span name;
        Span text;
        Narrow firstAttribute = 0;
        Narrow attributeCount = 0;
        Narrow parent = kNarrowNone;
        Narrow firstChild = kNarrowNone;
        Narrow nextSibling = kNarrowNone;
    };

    std::string_view View(Span span) const {
        return std::string_view(m_characters).substr(span.offset, span.length);
    }

    // Attribute values and texts of all elements, and each name once.
    std::string m_characters;
    std::vector<AttributeSpans> m_attributes;
    std::vector<Element> m_elements;
};

// Upper bound of the bytes a document may hold (texts, names, values and per-element records).
// Entity expansion can turn a small file into far more text, so the reader stops there. A file
// read from disk may hold three times its own size, for its records; never 4 GiB or more.
inline constexpr std::size_t kMaxXmlHeldBytes = std::size_t{256} << 20;
inline constexpr std::size_t kXmlHeldPerFileByte = 3;
std::size_t XmlHeldLimit(std::size_t fileBytes);

// Most that the document read so far and the text of its entities may be together, as a multiple
// of the bytes read, once they pass expat's threshold of 8 MiB. A table of contents uses entities
// for a few repeated words, if at all; a large entity referenced many times would otherwise hold
// and show many times the file's size.
inline constexpr float kMaxXmlAmplification = 4.0f;

// Deepest nesting a document may have, in levels of elements (the head element is level 1). A
// table of contents needs four or five; the tree widget walks some of its paths once per level,
// so deeper documents are refused instead of freezing or overflowing the stack there.
inline constexpr std::size_t kMaxXmlDepth = 1000;

enum class XmlReadStatus {
    Parsed,       // the whole input was well-formed
    CannotOpen,   // missing, unreadable, or not a regular file
    EmptyInput,   // zero bytes
    SyntaxError,  // the document holds the elements read before the error
    TooDeep       // an element passed the nesting limit; the elements before it are held
};

struct XmlReadResult {
    XmlReadStatus status = XmlReadStatus::Parsed;
    XmlDocument document;
    // For a syntax error: expat's text for the error (or the size-limit text), the 1-based line
    // and the 1-based column where the parser stopped. For too deep a document: the limit's text
    // and the position of the first element past the limit.
    std::string errorMessage;
    unsigned long errorLine = 0;
    unsigned long errorColumn = 0;
};

// How many bytes the file reader asks for next, after `read` bytes of which expat has parsed up
// to byte `parsed` (negative: not known). Expat scans a token that is still open again from its
// start with every piece, so the pieces grow with the open token: 256 KiB, or twice the open
// token, at most 256 MiB. One huge name or value is then scanned a few times, not once per 256 KiB.
std::size_t XmlReadPiece(std::size_t read, long long parsed);

// Reads and parses a file in chunks. Never blocks on special files: anything that is not a
// regular file counts as CannotOpen. A `maxHeldBytes` of 0 takes the limit from the file's size
// (XmlHeldLimit).
XmlReadResult ReadXmlFile(const std::string& path, std::size_t maxHeldBytes = 0,
                          std::size_t maxDepth = kMaxXmlDepth);
XmlReadResult ParseXmlText(std::string_view text, std::size_t maxHeldBytes = kMaxXmlHeldBytes,
                           std::size_t maxDepth = kMaxXmlDepth);

}  // namespace quillmate
