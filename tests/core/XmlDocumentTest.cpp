#include "database/XmlDocument.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quillmate {
namespace {

using test::TempFolder;

std::vector<std::string> AttributeTexts(const XmlDocument& document, XmlDocument::Index element) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < document.AttributeCount(element); ++i) {
        const XmlAttribute attribute = document.Attribute(element, i);
        texts.push_back(std::string(attribute.name) + "=" + std::string(attribute.value));
    }
    return texts;
}

std::vector<std::string> ChildNames(const XmlDocument& document, XmlDocument::Index element) {
    std::vector<std::string> names;
    for (auto child = document.FirstChild(element); child != XmlDocument::kNone;
         child = document.NextSibling(child)) {
        names.emplace_back(document.Name(child));
    }
    return names;
}

// A readable form of the whole document, built by walking the links, for comparing documents.
std::string Describe(const XmlDocument& document) {
    std::string out;
    for (XmlDocument::Index e = 0; e < document.ElementCount(); ++e) {
        out += std::string(document.Name(e)) + "[";
        for (const auto& a : AttributeTexts(document, e)) {
            out += a + ";";
        }
        out += "](" + std::string(document.Text(e)) + ")";
        out += document.Parent(e) == XmlDocument::kNone ? "-" : std::to_string(document.Parent(e));
        out += "\n";
    }
    return out;
}

TEST(XmlDocumentTest, ElementsKeepNamesAttributeOrderAndChildOrder) {
    const XmlReadResult result = ParseXmlText(
        "<?xml version=\"1.0\"?>\n"
        "<Toc z=\"1\" a=\"2\" m=\"3\"><One/><Two k=\"v\"><Inner/></Two><Three/></Toc>");
    ASSERT_EQ(result.status, XmlReadStatus::Parsed);
    const XmlDocument& document = result.document;
    ASSERT_EQ(document.ElementCount(), 5u);
    EXPECT_EQ(document.Head(), 0u);
    EXPECT_EQ(document.Name(0), "Toc");
    EXPECT_EQ(AttributeTexts(document, 0), (std::vector<std::string>{"z=1", "a=2", "m=3"}));
    EXPECT_EQ(ChildNames(document, 0), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(ChildNames(document, 2), (std::vector<std::string>{"Inner"}));
    EXPECT_EQ(document.Parent(3), 2u);
    EXPECT_EQ(document.Parent(0), XmlDocument::kNone);
    EXPECT_EQ(document.NextSibling(0), XmlDocument::kNone);
}

TEST(XmlDocumentTest, OwnTextJoinsDirectPiecesOnly) {
    struct Case {
        std::string xml;
        std::string headText;
    };
    const std::vector<Case> cases = {
        {"<a>x<b>inner</b>y</a>", "xy"},
        {"<a>x<!-- comment -->y<?pi data?>z</a>", "xyz"},
        {"<a>x<![CDATA[hidden <b>]]>y</a>", "xy"},
        {"<a><![CDATA[only]]></a>", ""},
        {"<a>  \n Intro text\t</a>", "  \n Intro text\t"},
        {"<a>Tips &amp; Tricks &#x2730;</a>", "Tips & Tricks \xE2\x9C\xB0"},
        {"<a>line1\r\nline2</a>", "line1\nline2"},
        {"<!DOCTYPE a [<!ENTITY who \"world\">]><a>hello &who;</a>", "hello world"},
    };
    for (const auto& c : cases) {
        const XmlReadResult result = ParseXmlText(c.xml);
        ASSERT_EQ(result.status, XmlReadStatus::Parsed) << c.xml;
        EXPECT_EQ(result.document.Text(0), c.headText) << c.xml;
    }
    const XmlReadResult nested = ParseXmlText("<a>x<b>in<c>deep</c>ner</b>y</a>");
    EXPECT_EQ(nested.document.Text(1), "inner");
    EXPECT_EQ(nested.document.Text(2), "deep");
}

TEST(XmlDocumentTest, EncodingsAreDecodedToUtf8) {
    struct Case {
        std::string name;
        std::string bytes;
    };
    const std::string utf16le = std::string("\xFF\xFE", 2) + std::string("<\0a\0>\0\xE4\0<\0/\0a\0>\0", 16);
    const std::vector<Case> cases = {
        {"utf-8 without declaration", "<a>\xC3\xA4</a>"},
        {"utf-8 with byte-order mark", "\xEF\xBB\xBF<a>\xC3\xA4</a>"},
        {"latin-1 declaration", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE4</a>"},
        {"utf-16 little-endian mark", utf16le},
    };
    for (const auto& c : cases) {
        const XmlReadResult result = ParseXmlText(c.bytes);
        ASSERT_EQ(result.status, XmlReadStatus::Parsed) << c.name;
        EXPECT_EQ(result.document.Text(0), "\xC3\xA4") << c.name;
    }
}

TEST(XmlDocumentTest, SyntaxErrorsReportTextLineAndColumnAndKeepEarlierElements) {
    struct Case {
        std::string xml;
        std::string message;
        unsigned long line;
        unsigned long column;
        std::size_t elementsKept;
    };
    const std::vector<Case> cases = {
        {"<a>\n<b>\n</a>", "mismatched tag", 3, 3, 2},
        {"<a>\n  <b x=1/></a>", "not well-formed (invalid token)", 2, 8, 1},
        {"<a><b></b>", "no element found", 1, 11, 2},
        {"<a/><b/>", "junk after document element", 1, 5, 1},
        {"   ", "no element found", 1, 4, 0},
        {"<a>&undefined;</a>", "undefined entity", 1, 4, 1},
        {"<a x=\"1\" x=\"2\"/>", "duplicate attribute", 1, 10, 0},
    };
    for (const auto& c : cases) {
        const XmlReadResult result = ParseXmlText(c.xml);
        EXPECT_EQ(result.status, XmlReadStatus::SyntaxError) << c.xml;
        EXPECT_EQ(result.errorMessage, c.message) << c.xml;
        EXPECT_EQ(result.errorLine, c.line) << c.xml;
        EXPECT_EQ(result.errorColumn, c.column) << c.xml;
        EXPECT_EQ(result.document.ElementCount(), c.elementsKept) << c.xml;
    }
}

TEST(XmlDocumentTest, PartialDocumentKeepsTextOfOpenElements) {
    const XmlReadResult result = ParseXmlText("<a>head<b>theme<c/>more\n<d x='1' <");
    ASSERT_EQ(result.status, XmlReadStatus::SyntaxError);
    ASSERT_EQ(result.document.ElementCount(), 3u);
    EXPECT_EQ(result.document.Text(0), "head");
    EXPECT_EQ(result.document.Text(1), "thememore\n");
    EXPECT_EQ(ChildNames(result.document, 1), (std::vector<std::string>{"c"}));
}

TEST(XmlDocumentTest, ExternalEntitiesAreNeverRead) {
    TempFolder folder;
    const std::string secret = folder.Write("secret.txt", "SECRET");
    const std::string dtd = folder.Write("defs.dtd", "<!ENTITY leak \"SECRET\">");
    const std::vector<std::string> documents = {
        "<!DOCTYPE a [<!ENTITY e SYSTEM \"file://" + secret + "\">]><a>[&e;]</a>",
        "<!DOCTYPE a SYSTEM \"file://" + dtd + "\"><a>[]</a>",
        "<!DOCTYPE a [<!ENTITY % p SYSTEM \"file://" + dtd + "\"> %p;]><a>[]</a>",
    };
    for (const auto& xml : documents) {
        const XmlReadResult result = ParseXmlText(xml);
        ASSERT_GE(result.document.ElementCount(), 1u) << xml;
        EXPECT_EQ(result.document.Text(0), "[]") << xml;
    }
}

TEST(XmlDocumentTest, EntityExpansionIsStoppedQuickly) {
    // Nested entities (a billion laughs), and one large entity referenced many times.
    std::string laughs = "<!DOCTYPE a [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            laughs += "&l" + std::to_string(i - 1) + ";";
        }
        laughs += "\">";
    }
    laughs += "]><a>&l9;</a>";
    std::string repeated = "<!DOCTYPE a [<!ENTITY big \"" + std::string(512 * 1024, 'x') + "\">]><a>";
    for (int i = 0; i < 40; ++i) {
        repeated += "&big;";
    }
    repeated += "</a>";
    for (const std::string& xml : {laughs, repeated}) {
        const XmlReadResult result = ParseXmlText(xml);
        EXPECT_EQ(result.status, XmlReadStatus::SyntaxError);
        EXPECT_EQ(result.errorMessage,
                  "limit on input amplification factor (from DTD and entities) breached");
        EXPECT_LE(result.document.Text(0).size(), std::size_t{16} << 20);
    }
}

TEST(XmlDocumentTest, HeldBytesAreBounded) {
    const std::string text(4000, 'x');
    const std::string xml = "<a>" + text + "</a>";
    EXPECT_EQ(ParseXmlText(xml, 100000).status, XmlReadStatus::Parsed);
    const XmlReadResult limited = ParseXmlText(xml, 1000);
    EXPECT_EQ(limited.status, XmlReadStatus::SyntaxError);
    EXPECT_EQ(limited.errorMessage, "document too large (more than 1000 bytes held)");
    EXPECT_LE(limited.document.Text(0).size(), 1000u);

    std::string many = "<a>";
    for (int i = 0; i < 1000; ++i) {
        many += "<b c='d'/>";
    }
    many += "</a>";
    const XmlReadResult elements = ParseXmlText(many, 5000);
    EXPECT_EQ(elements.status, XmlReadStatus::SyntaxError);
    EXPECT_LT(elements.document.ElementCount(), 100u);

    // A file may hold three times its size, at least 256 MiB, never 4 GiB.
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    const std::pair<std::size_t, std::size_t> limits[] = {
        {0, 256 * kMiB}, {100 * kMiB, 300 * kMiB}, {std::size_t{2} << 30, std::size_t{0xFFFFFFFF}}};
    for (const auto& [fileBytes, held] : limits) {
        EXPECT_EQ(XmlHeldLimit(fileBytes), held) << fileBytes;
    }
}

TEST(XmlDocumentTest, DeepNestingNeedsNoStack) {
    constexpr int kDepth = 100000;
    std::string xml;
    xml.reserve(kDepth * 8);
    for (int i = 0; i < kDepth; ++i) {
        xml += "<e>t";
    }
    for (int i = 0; i < kDepth; ++i) {
        xml += "</e>";
    }
    XmlReadResult result = ParseXmlText(xml, kMaxXmlHeldBytes, kDepth);
    ASSERT_EQ(result.status, XmlReadStatus::Parsed);
    ASSERT_EQ(result.document.ElementCount(), static_cast<std::size_t>(kDepth));
    for (XmlDocument::Index e = 1; e < result.document.ElementCount(); ++e) {
        ASSERT_EQ(result.document.Parent(e), e - 1);
        ASSERT_EQ(result.document.Text(e), "t");
    }
    // Unclosed: the partial document keeps every open element.
    const XmlReadResult partial = ParseXmlText(xml.substr(0, xml.size() / 2), kMaxXmlHeldBytes, kDepth);
    EXPECT_EQ(partial.status, XmlReadStatus::SyntaxError);
    EXPECT_EQ(partial.document.ElementCount(), static_cast<std::size_t>(kDepth));
}

TEST(XmlDocumentTest, FileAndMemoryGiveTheSameDocument) {
    // Larger than one read chunk, so that tokens and texts cross chunk boundaries.
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Toc title=\"T\">\n";
    for (int i = 0; i < 20000; ++i) {
        xml += "  <Theme n=\"" + std::to_string(i) + "\" theme_de=\"\xE2\x86\xBA Titel " + std::to_string(i) +
               "\">Text " + std::to_string(i) + "<!-- c --><E File=\"/x/" + std::to_string(i) +
               ".kx\"/>tail</Theme>\n";
    }
    xml += "</Toc>\n";
    TempFolder folder;
    const std::string path = folder.Write("big.xml", xml);
    const XmlReadResult fromFile = ReadXmlFile(path);
    const XmlReadResult fromMemory = ParseXmlText(xml);
    ASSERT_EQ(fromFile.status, XmlReadStatus::Parsed);
    ASSERT_EQ(fromMemory.status, XmlReadStatus::Parsed);
    EXPECT_EQ(fromFile.document.ElementCount(), 40001u);
    EXPECT_EQ(Describe(fromFile.document), Describe(fromMemory.document));
}

TEST(XmlDocumentTest, FilesThatCannotBeReadAreReportedWithoutBlocking) {
    TempFolder folder;
    const std::string fifo = folder.Path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        XmlReadStatus status;
    };
    const std::vector<Case> cases = {
        {folder.Path() + "/missing.xml", XmlReadStatus::CannotOpen},
        {folder.Path(), XmlReadStatus::CannotOpen},
        {fifo, XmlReadStatus::CannotOpen},
        {"", XmlReadStatus::CannotOpen},
        {folder.Write("empty.xml", ""), XmlReadStatus::EmptyInput},
        {folder.Write("good.xml", "<a/>"), XmlReadStatus::Parsed},
        {folder.Write("bad.xml", "<a>"), XmlReadStatus::SyntaxError},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadXmlFile(c.path).status, c.status) << c.path;
    }
    EXPECT_EQ(ParseXmlText("").status, XmlReadStatus::EmptyInput);
}

}  // namespace
}  // namespace quillmate
