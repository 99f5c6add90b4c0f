// Reading XML into XmlDocument: expat's callbacks append to flat arrays, the open elements live on
// an explicit stack, and everything held is counted against a byte limit.
#include "database/XmlDocument.h"

#include "base/FileDescriptor.h"

// The library is built with DTD support; its header declares the entity amplification limit
// only when told so.
#ifndef XML_DTD
#define XML_DTD
#endif
#include <expat.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <unordered_map>

namespace quillmate {

std::string_view XmlDocument::Name(Index element) const {
    return View(m_elements[element].name);
}

std::string_view XmlDocument::Text(Index element) const {
    return View(m_elements[element].text);
}

XmlAttribute XmlDocument::Attribute(Index element, std::size_t position) const {
    const AttributeSpans& spans = m_attributes[m_elements[element].firstAttribute + position];
    return {View(spans.name), View(spans.value)};
}

namespace {

// Offsets are held in 32 bits.
constexpr std::size_t kMostHeldBytes = std::numeric_limits<std::uint32_t>::max();

struct XmlParserFree {
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};
using XmlParserPtr = std::unique_ptr<XML_ParserStruct, XmlParserFree>;

}  // namespace

// Receives expat's callbacks and builds the document. Texts of open elements collect in one
// buffer used as a stack: an element's text is the tail of the buffer from its mark, because the
// text of a child is moved out when the child closes.
class XmlDocumentBuilder {
  public:
    XmlDocumentBuilder(std::size_t maxHeldBytes, std::size_t maxDepth)
        : m_maxHeldBytes(std::min(maxHeldBytes, kMostHeldBytes)), m_maxDepth(maxDepth) {}

    void Attach(XML_Parser parser) {
        m_parser = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &XmlDocumentBuilder::OnStart, &XmlDocumentBuilder::OnEnd);
        XML_SetCharacterDataHandler(parser, &XmlDocumentBuilder::OnCharacters);
        XML_SetCdataSectionHandler(parser, &XmlDocumentBuilder::OnCdataStart,
                                   &XmlDocumentBuilder::OnCdataEnd);
    }

    void Reserve(std::size_t inputBytes) {
        const std::size_t bytes = std::min(inputBytes, m_maxHeldBytes);
        m_document.m_characters.reserve(bytes);
        m_document.m_elements.reserve(bytes / 256);
        m_document.m_attributes.reserve(bytes / 128);
    }

    bool LimitExceeded() const { return m_limitExceeded; }
    bool TooDeep() const { return m_tooDeep; }
    unsigned long TooDeepLine() const { return m_tooDeepLine; }
    unsigned long TooDeepColumn() const { return m_tooDeepColumn; }

    // Gives the texts of elements still open (after a syntax error) to them and hands the
    // document over.
    XmlDocument Finish() {
        while (!m_open.empty()) {
            CloseTop();
        }
        return std::move(m_document);
    }

  private:
    using Index = XmlDocument::Index;
    struct OpenElement {
        Index element;
        std::size_t textMark;
        Index lastChild;
    };

    std::size_t HeldBytes() const {
        return m_document.m_characters.size() + m_pendingText.size() +
               m_document.m_elements.size() * sizeof(XmlDocument::Element) +
               m_document.m_attributes.size() * sizeof(XmlDocument::AttributeSpans) +
               m_open.size() * sizeof(OpenElement);
    }

    // False (and the parser stopped) when `extra` more bytes would pass the limit.
    bool Admit(std::size_t extra) {
        if (m_limitExceeded) {
            return false;
        }
        if (extra > m_maxHeldBytes || HeldBytes() > m_maxHeldBytes - extra) {
            m_limitExceeded = true;
            XML_StopParser(m_parser, XML_FALSE);
            return false;
        }
        return true;
    }

    // The limits keep every offset below 4 GiB.
    XmlDocument::Span Store(const char* text, std::size_t length) {
        XmlDocument::Span span{static_cast<XmlDocument::Narrow>(m_document.m_characters.size()),
                               static_cast<XmlDocument::Narrow>(length)};
        m_document.m_characters.append(text, length);
        return span;
    }

    // Element and attribute names repeat on every element: each short one is stored once.
    XmlDocument::Span StoreName(const char* name, std::size_t length) {
        constexpr std::size_t kLongestShared = 64;
        constexpr std::size_t kMostShared = 1024;
        if (length > kLongestShared) {
            return Store(name, length);
        }
        const std::string_view key(name, length);
        if (const auto found = m_names.find(std::string(key)); found != m_names.end()) {
            return found->second;
        }
        const XmlDocument::Span span = Store(name, length);
        if (m_names.size() < kMostShared) {
            m_names.emplace(std::string(key), span);
        }
        return span;
    }

    void Start(const XML_Char* name, const XML_Char** attributes) {
        if (m_open.size() >= m_maxDepth) {
            m_tooDeep = true;
            m_tooDeepLine = XML_GetCurrentLineNumber(m_parser);
            m_tooDeepColumn = XML_GetCurrentColumnNumber(m_parser) + 1;
            m_limitExceeded = true;  // stores nothing more
            XML_StopParser(m_parser, XML_FALSE);
            return;
        }
        const std::size_t nameLength = std::strlen(name);
        std::size_t extra = nameLength + sizeof(XmlDocument::Element) + sizeof(OpenElement);
        std::size_t count = 0;
        for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
            extra += std::strlen(a[0]) + std::strlen(a[1]) + sizeof(XmlDocument::AttributeSpans);
            ++count;
        }
        if (!Admit(extra)) {
            return;
        }
        const Index index = m_document.m_elements.size();
        const auto narrow = static_cast<XmlDocument::Narrow>(index);
        XmlDocument::Element element;
        element.name = StoreName(name, nameLength);
        element.firstAttribute = static_cast<XmlDocument::Narrow>(m_document.m_attributes.size());
        element.attributeCount = static_cast<XmlDocument::Narrow>(count);
        for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
            XmlDocument::AttributeSpans spans;
            spans.name = StoreName(a[0], std::strlen(a[0]));
            spans.value = Store(a[1], std::strlen(a[1]));
            m_document.m_attributes.push_back(spans);
        }
        if (m_open.empty()) {
            if (m_lastTopLevel != XmlDocument::kNone) {
                m_document.m_elements[m_lastTopLevel].nextSibling = narrow;
            }
            m_lastTopLevel = index;
        } else {
            OpenElement& parent = m_open.back();
            element.parent = static_cast<XmlDocument::Narrow>(parent.element);
            if (parent.lastChild == XmlDocument::kNone) {
                m_document.m_elements[parent.element].firstChild = narrow;
            } else {
                m_document.m_elements[parent.lastChild].nextSibling = narrow;
            }
            parent.lastChild = index;
        }
        m_document.m_elements.push_back(element);
        m_open.push_back({index, m_pendingText.size(), XmlDocument::kNone});
    }

    void CloseTop() {
        const OpenElement top = m_open.back();
        m_open.pop_back();
        const std::size_t length = m_pendingText.size() - top.textMark;
        if (length > 0) {
            m_document.m_elements[top.element].text = Store(m_pendingText.data() + top.textMark, length);
            m_pendingText.resize(top.textMark);
        }
    }

    void Characters(const XML_Char* text, int length) {
        if (m_inCdata || m_open.empty() || length <= 0) {
            return;
        }
        // Moving the text out later needs the same room again.
        if (!Admit(2 * static_cast<std::size_t>(length))) {
            return;
        }
        m_pendingText.append(text, static_cast<std::size_t>(length));
    }

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        static_cast<XmlDocumentBuilder*>(data)->Start(name, attributes);
    }
    static void XMLCALL OnEnd(void* data, const XML_Char*) {
        auto* self = static_cast<XmlDocumentBuilder*>(data);
        // After the limit stopped the parser an end tag may belong to an element never stored.
        if (!self->m_limitExceeded && !self->m_open.empty()) {
            self->CloseTop();
        }
    }
    static void XMLCALL OnCharacters(void* data, const XML_Char* text, int length) {
        static_cast<XmlDocumentBuilder*>(data)->Characters(text, length);
    }
    static void XMLCALL OnCdataStart(void* data) { static_cast<XmlDocumentBuilder*>(data)->m_inCdata = true; }
    static void XMLCALL OnCdataEnd(void* data) { static_cast<XmlDocumentBuilder*>(data)->m_inCdata = false; }

    std::size_t m_maxHeldBytes;
    std::size_t m_maxDepth;
    std::unordered_map<std::string, XmlDocument::Span> m_names;
    XML_Parser m_parser = nullptr;
    XmlDocument m_document;
    std::vector<OpenElement> m_open;
    std::string m_pendingText;
    Index m_lastTopLevel = XmlDocument::kNone;
    bool m_inCdata = false;
    bool m_limitExceeded = false;
    bool m_tooDeep = false;
    unsigned long m_tooDeepLine = 0;
    unsigned long m_tooDeepColumn = 0;
};

namespace {

XmlParserPtr CreateParser() {
    XmlParserPtr parser(XML_ParserCreate(nullptr));
    if (parser) {
        // Parameter entities would pull in external DTD parts; external general entities are
        // never fetched because no external entity handler is installed.
        XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser.get(), kMaxXmlAmplification);
    }
    return parser;
}

void SetSyntaxError(XmlReadResult& result, XML_Parser parser, const XmlDocumentBuilder& builder,
                    std::size_t maxHeldBytes, std::size_t maxDepth) {
    result.status = XmlReadStatus::SyntaxError;
    if (builder.TooDeep()) {
        result.status = XmlReadStatus::TooDeep;
        result.errorMessage = "elements nested deeper than " + std::to_string(maxDepth) + " levels";
        result.errorLine = builder.TooDeepLine();
        result.errorColumn = builder.TooDeepColumn();
        return;
    }
    if (builder.LimitExceeded()) {
        result.errorMessage =
            "document too large (more than " + std::to_string(maxHeldBytes) + " bytes held)";
    } else {
        const XML_LChar* text = XML_ErrorString(XML_GetErrorCode(parser));
        result.errorMessage = text != nullptr ? text : "unknown error";
    }
    result.errorLine = XML_GetCurrentLineNumber(parser);
    result.errorColumn = XML_GetCurrentColumnNumber(parser) + 1;
}

XmlReadResult OutOfMemory() {
    XmlReadResult result;
    result.status = XmlReadStatus::SyntaxError;
    result.errorMessage = XML_ErrorString(XML_ERROR_NO_MEMORY);
    return result;
}

}  // namespace

std::size_t XmlHeldLimit(std::size_t fileBytes) {
    const std::size_t scaled =
        fileBytes > kMostHeldBytes / kXmlHeldPerFileByte ? kMostHeldBytes : kXmlHeldPerFileByte * fileBytes;
    return std::clamp(scaled, kMaxXmlHeldBytes, kMostHeldBytes);
}

std::size_t XmlReadPiece(std::size_t read, long long parsed) {
    const std::size_t open =
        parsed >= 0 && static_cast<std::size_t>(parsed) <= read ? read - static_cast<std::size_t>(parsed) : 0;
    return std::clamp(2 * open, std::size_t{256} << 10, std::size_t{256} << 20);
}

XmlReadResult ReadXmlFile(const std::string& path, std::size_t maxHeldBytes, std::size_t maxDepth) {
    XmlReadResult result;
    // Non-blocking, so that opening a FIFO or a device cannot hang; fstat then rejects them.
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.Get() < 0 || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        result.status = XmlReadStatus::CannotOpen;
        return result;
    }
    XmlParserPtr parser = CreateParser();
    if (!parser) {
        return OutOfMemory();
    }
    if (maxHeldBytes == 0) {
        maxHeldBytes = XmlHeldLimit(static_cast<std::size_t>(info.st_size));
    }
    XmlDocumentBuilder builder(maxHeldBytes, maxDepth);
    builder.Attach(parser.get());
    builder.Reserve(static_cast<std::size_t>(info.st_size));
    std::size_t total = 0;
    for (;;) {
        const std::size_t chunk = XmlReadPiece(total, XML_GetCurrentByteIndex(parser.get()));
        void* buffer = XML_GetBuffer(parser.get(), static_cast<int>(chunk));
        if (buffer == nullptr) {
            SetSyntaxError(result, parser.get(), builder, maxHeldBytes, maxDepth);
            break;
        }
        ssize_t count = 0;
        do {
            count = read(file.Get(), buffer, chunk);
        } while (count < 0 && errno == EINTR);
        if (count < 0) {
            result.status = XmlReadStatus::CannotOpen;
            return result;
        }
        total += static_cast<std::size_t>(count);
        if (total == 0) {
            result.status = XmlReadStatus::EmptyInput;
            return result;
        }
        if (XML_ParseBuffer(parser.get(), static_cast<int>(count), count == 0) != XML_STATUS_OK) {
            SetSyntaxError(result, parser.get(), builder, maxHeldBytes, maxDepth);
            break;
        }
        if (count == 0) {
            break;
        }
    }
    result.document = builder.Finish();
    return result;
}

XmlReadResult ParseXmlText(std::string_view text, std::size_t maxHeldBytes, std::size_t maxDepth) {
    XmlReadResult result;
    if (text.empty()) {
        result.status = XmlReadStatus::EmptyInput;
        return result;
    }
    XmlParserPtr parser = CreateParser();
    if (!parser) {
        return OutOfMemory();
    }
    XmlDocumentBuilder builder(maxHeldBytes, maxDepth);
    builder.Attach(parser.get());
    builder.Reserve(text.size());
    constexpr std::size_t kPiece = std::size_t{1} << 30;  // expat takes int lengths
    do {
        const std::size_t length = std::min(text.size(), kPiece);
        const bool last = length == text.size();
        if (XML_Parse(parser.get(), text.data(), static_cast<int>(length), last) != XML_STATUS_OK) {
            SetSyntaxError(result, parser.get(), builder, maxHeldBytes, maxDepth);
            break;
        }
        text.remove_prefix(length);
    } while (!text.empty());
    result.document = builder.Finish();
    return result;
}

}  // namespace quillmate
