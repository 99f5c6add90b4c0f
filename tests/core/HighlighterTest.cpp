#include "viewer/Highlighter.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "resources/KeywordList.h"
#include "tests/core/HighlighterReference.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

// The texts of the spans of one tag, in text order.
std::vector<std::string> Tagged(const std::string& text, HighlightTag tag, int codeMarks = 1) {
    const std::u32string characters = reference::DecodeUtf8(text).value();
    std::vector<std::string> texts;
    for (const TagSpan& span : ComputeHighlight(text, codeMarks).spans) {
        if (span.tag == tag) {
            texts.push_back(reference::EncodeUtf8(characters.substr(span.start, span.end - span.start)));
        }
    }
    return texts;
}

using Texts = std::vector<std::string>;

struct TagCase {
    std::string text;
    Texts expected;
};

void ExpectTagged(HighlightTag tag, const std::vector<TagCase>& cases, int codeMarks = 1) {
    for (const TagCase& c : cases) {
        EXPECT_EQ(Tagged(c.text, tag, codeMarks), c.expected) << "text: " << c.text;
    }
}

TEST(HighlighterTest, CommentRunsFromSemicolonToLineEndUnlessInsideString) {
    ExpectTagged(HighlightTag::Disable,
                 {
                     {"x = 1 ; comment", {"; comment"}},
                     {";first\nx = 1", {";first"}},
                     {"Debug \"a;b\"", {}},
                     {"Debug \"a;b\" ; note", {"; note"}},
                     {"a ; one ; two\nb", {"; one ; two"}},
                     // The quotes are counted on the comment's own line only.
                     {"; a \" quote\n; next", {"; a \" quote", "; next"}},
                     {"x = \"open\n; still a comment", {"; still a comment"}},
                     {"a ; c\r\nb ; d\rc ; e", {"; c", "; d", "; e"}},
                     {"a ; c\u2029b ; d", {"; c", "; d"}},
                     {"; Link to topic:   http://x y", {"; Link to topic:   http://x y"}},
                 });
}

TEST(HighlighterTest, StringInsideQuotesAcrossLinesExceptFromComments) {
    ExpectTagged(HighlightTag::Literal, {
                                            {"Debug \"a;b\"", {"a;b"}},
                                            {"a = \"one\" + \"two\"", {"one", "two"}},
                                            {"a = \"\" + b", {}},
                                            {"a = \"open\nline 2\" + b", {"open\nline 2"}},
                                            {"; it's \"quoted\"\nx = \"s\"", {"s"}},
                                            {"; lone \"\nx = \"s\"", {"s"}},
                                            // The closing quote may stand in a comment.
                                            {"a = \"x\n; b\" c", {"x\n; b"}},
                                            {"Debug \"open\ny = 1", {}},
                                        });
}

TEST(HighlighterTest, ConstantIsHashWithWordRunNotAfterWordCharacter) {
    ExpectTagged(HighlightTag::Constant, {
                                             {"#Window_Main = 1", {"#Window_Main"}},
                                             {"Color#2", {}},
                                             {"x = \"#FF0000\"", {"#FF0000"}},
                                             {"; #Comment", {}},
                                             {"x = # + 1", {"#"}},
                                             {"\u00e4#A + $#B", {"#A"}},
                                             {"#A.b", {"#A"}},
                                             {"##A", {"##A"}},
                                         });
    // Inside a string the constant also carries the higher-priority string tag.
    EXPECT_EQ(Tagged("x = \"#FF0000\"", HighlightTag::Literal), Texts{"#FF0000"});
}

TEST(HighlighterTest, KeywordIsWholeCaseSensitiveWordOutsideCommentsAndStrings) {
    ExpectTagged(HighlightTag::FBold, {
                                          {"If x\nEndIf", {"If", "EndIf"}},
                                          {"EndIfX", {}},
                                          {"endif", {}},
                                          {"MyIf = If_1 + $If + If$", {}},
                                          {"\u00e4If", {"If"}},
                                          {"Debug \"If\" ; If", {"Debug"}},
                                          {"If#A", {"If"}},
                                          {"x.If(1)", {"If"}},
                                      });
}

TEST(HighlighterTest, KeywordTagFollowsCodeMarks) {
    struct Case {
        int codeMarks;
        Texts fbold;
        Texts blueBold;
    };
    const std::vector<Case> cases = {
        {1, {"If", "EndIf"}, {}},
        {2, {}, {"If", "EndIf"}},
        {0, {}, {}},
        {3, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tagged("If x : EndIf", HighlightTag::FBold, c.codeMarks), c.fbold) << c.codeMarks;
        EXPECT_EQ(Tagged("If x : EndIf", HighlightTag::BlueBold, c.codeMarks), c.blueBold) << c.codeMarks;
    }
    // Declarations are found whatever the keyword tag.
    EXPECT_EQ(ComputeHighlight("Procedure Add()", 0).procedureNames, Texts{"Add"});
}

TEST(HighlighterTest, ProcedureDeclarationNamesFollowingWord) {
    struct Case {
        std::string text;
        Texts keywords;
        Texts functions;
        Texts names;
    };
    const std::vector<Case> cases = {
        {"Procedure.i Add(a, b)\nEndProcedure", {"Procedure", "EndProcedure"}, {"Add"}, {"Add"}},
        {"Procedure   Add()", {"Procedure"}, {"Add"}, {"Add"}},
        // Only spaces are skipped: the name is taken after the next space, lines away.
        {"Procedure\tAdd()\nDebug Sub(1)", {"Procedure", "Debug"}, {"Sub"}, {"Sub"}},
        {"Procedure\t; x", {"Procedure"}, {"x"}, {"x"}},
        {"Procedure \tAdd()", {"Procedure"}, {}, {}},
        // No name: nothing is listed.
        {"Procedure (x)", {"Procedure"}, {}, {}},
        // The search resumes behind the name and so passes over the second keyword.
        {"Procedure\nProcedure Add()", {"Procedure"}, {"Add"}, {"Add"}},
        // Without a space behind it the keyword's search ends.
        {"Procedure\nProcedure", {"Procedure"}, {}, {}},
        {"; Procedure X()\nDebug \"Procedure Y()\"", {"Debug"}, {}, {}},
        {"Procedure A()\nProcedure A()", {"Procedure", "Procedure"}, {"A", "A"}, {"A", "A"}},
        {"ProcedureC Cb()\nProcedure Main()\nProcedureDLL Lib()\nProcedure Two()",
         {"ProcedureC", "Procedure", "ProcedureDLL", "Procedure"},
         {"Cb", "Main", "Lib", "Two"},
         {"Main", "Two", "Cb", "Lib"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Tagged(c.text, HighlightTag::FBold), c.keywords) << c.text;
        EXPECT_EQ(Tagged(c.text, HighlightTag::Function), c.functions) << c.text;
        EXPECT_EQ(ComputeHighlight(c.text, 1).procedureNames, c.names) << c.text;
    }
}

TEST(HighlighterTest, ProcedureUseIsWholeWordOutsideCommentsStringsAndDeclaration) {
    ExpectTagged(HighlightTag::FuncCall,
                 {
                     {"x = Add(1, 2)\nProcedure.i Add(a, b)\nDeclare Add(a, b)\nDebug Add\n; Add\n"
                      "y = \"Add\"\nMyAdd(1) + Add2(1) + Add_(1) + add(1)",
                      {"Add", "Add", "Add"}},
                     {"Procedure A()\nProcedure A()\nA()", {"A"}},
                     {"Debug Add()", {}},
                 });
}

TEST(HighlighterTest, LinkAddressRunsToSpaceOrLineEnd) {
    struct Case {
        std::string text;
        std::vector<LinkReplacement> links;
    };
    const std::vector<Case> cases = {
        {"; Link to topic:   https://example.org/a more text", {{19, 21, "https://example.org/a"}}},
        {"; Link to topic:   ", {{19, 0, ""}}},
        {"; Link to topic:  x", {}},
        {"\u00e4\n; Link to topic:   http://x.de/\u00e9\nz", {{21, 13, "http://x.de/\u00e9"}}},
        {"; Link to topic:   a\tb c", {{19, 3, "a\tb"}}},
        // The search goes on behind the address, so a prefix that starts inside it is missed.
        {"; Link to topic:   a; Link to topic:   b", {{19, 2, "a;"}}},
        {"x\r\n; Link to topic:   u\r\nv", {{22, 1, "u"}}},
        {"; Link to topic:   u\n; Link to topic:   v", {{19, 1, "u"}, {40, 1, "v"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeHighlight(c.text, 1).links, c.links) << c.text;
    }
}

TEST(HighlighterTest, OnlyWebAndMailAddressesOpen) {
    const std::pair<const char*, bool> cases[] = {
        {"https://docs.gtk.org/gtk3/", true},
        {"http://example.org", true},
        {"HTTPS://example.org", true},
        {"mailto:someone@example.org", true},
        {"https:", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"data:text/html,<b>x</b>", false},
        {"ftp://example.org", false},
        {"/usr/bin/xterm", false},
        {"docs.gtk.org/gtk3/", false},
        {"", false},
        {"xhttps://example.org", false},
        {"ht\xC3\xA4tp://example.org", false},
    };
    for (const auto& [address, opens] : cases) {
        EXPECT_EQ(IsOpenableLinkAddress(address), opens) << address;
    }
}

TEST(HighlighterTest, ViewBreaksLinesOfManyCharactersOrTabs) {
    const std::string x1024(1024, 'x');
    const std::string tabs128(128, '\t');
    std::string umlauts;
    for (int i = 0; i < 1025; ++i) {
        umlauts += "\xC3\xA4";
    }
    struct Case {
        std::string text;
        std::vector<std::uint32_t> characters;
        std::vector<std::size_t> bytes;
    };
    // A line up to 1,024 characters and 128 tabs stays whole; a longer one is cut into pieces of
    // 768 characters and 64 tabs.
    const Case cases[] = {
        {"If x\nEndIf\n", {}, {}},
        {x1024, {}, {}},
        {x1024 + "y", {768}, {768}},
        {umlauts, {768}, {1536}},
        {x1024 + "y\n" + x1024 + "y", {768, 1794}, {768, 1794}},
        {x1024 + "\r\n" + x1024 + "\xE2\x80\xA9" + x1024, {}, {}},
        {tabs128, {}, {}},
        {tabs128 + "\t", {64, 128}, {64, 128}},
        {tabs128 + "x\t", {64, 129}, {64, 129}},
        {tabs128 + x1024, {64, 832}, {64, 832}},
    };
    for (const Case& c : cases) {
        const ViewBreaks breaks = ViewLineBreaks(c.text);
        EXPECT_EQ(breaks.characters, c.characters) << c.text.size();
        EXPECT_EQ(breaks.bytes, c.bytes) << c.text.size();
    }
}

TEST(HighlighterTest, EveryFileLineHasOneNumberAtItsFirstViewLine) {
    const std::string x1100(1100, 'x');
    struct Case {
        std::string text;
        std::vector<std::uint32_t> numbers;  // by line of the view (0: none)
    };
    // A piece the view cut off a long line has no number of its own, nor the empty rest after the
    // last line end; every kind of line end counts once.
    const Case cases[] = {
        {"", {0}},
        {"a", {1}},
        {"a\nb\n", {1, 2, 0}},
        {"\n\n", {1, 2, 0}},
        {"a\r\nb\rc\xE2\x80\xA9"
         "d\n",
         {1, 2, 3, 4, 0}},
        {"a\n" + x1100 + "\nb", {1, 2, 0, 3}},
        {x1100 + x1100 + "\r\n" + x1100, {1, 0, 0, 2, 0}},
    };
    for (const Case& c : cases) {
        const ViewBreaks breaks = ViewLineBreaks(c.text);
        std::vector<std::uint32_t> numbers;
        for (std::uint32_t line = 0; line < c.numbers.size(); ++line) {
            numbers.push_back(FileLineNumber(breaks.lines, line));
        }
        EXPECT_EQ(numbers, c.numbers) << c.text.size();
    }
}

TEST(HighlighterTest, SpanOffsetsCountCharactersNotBytes) {
    const HighlightResult result = ComputeHighlight("\u00e4 = \"\u6f22\U0001F600\" ; \u00e9", 1);
    const std::vector<TagSpan> expected = {{HighlightTag::Literal, 5, 7}, {HighlightTag::Disable, 9, 12}};
    EXPECT_EQ(result.spans, expected);
}

TEST(HighlighterTest, SpansAreOrderedByStartThenTag) {
    const HighlightResult result = ComputeHighlight("x = \"#A\" ; c", 1);
    const std::vector<TagSpan> expected = {
        {HighlightTag::Constant, 5, 7}, {HighlightTag::Literal, 5, 7}, {HighlightTag::Disable, 9, 12}};
    EXPECT_EQ(result.spans, expected);
}

TEST(HighlighterTest, IllFormedUtf8CountsEachBadByteAsOneCharacter) {
    const HighlightResult result = ComputeHighlight("\xFF\xC3; x\n\"\xE2\x80\"", 1);
    const std::vector<TagSpan> expected = {{HighlightTag::Disable, 2, 5}, {HighlightTag::Literal, 7, 9}};
    EXPECT_EQ(result.spans, expected);
}

TEST(HighlighterTest, ArbitraryBytesGiveSpansInsideTheText) {
    std::mt19937 random(7);
    const std::string alphabet = "\xFF\xC3\xA4\xE2\x80\xA9;\"# \t\n\rIfProcedure AddEnd$_";
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 60)(random);
        for (int i = 0; i < length; ++i) {
            text.push_back(
                alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)]);
        }
        const HighlightResult result = ComputeHighlight(text, 2);
        for (const TagSpan& span : result.spans) {
            EXPECT_LT(span.start, span.end);
            EXPECT_LE(span.end, text.size());
        }
        for (const LinkReplacement& link : result.links) {
            EXPECT_LE(link.offset + link.length, text.size());
        }
    }
}

TEST(HighlighterTest, KeywordListHas109UniqueWords) {
    const std::span<const std::string_view> keywords = KorvexKeywords();
    const std::set<std::string_view> unique(keywords.begin(), keywords.end());
    EXPECT_EQ(keywords.size(), 109u);
    EXPECT_EQ(unique.size(), keywords.size());
    // The highlighter finds keywords as runs of word characters.
    for (const std::string_view keyword : keywords) {
        EXPECT_FALSE(keyword.empty());
        for (const char c : keyword) {
            EXPECT_TRUE(IsWordChar(static_cast<unsigned char>(c))) << keyword;
        }
    }
}

TEST(PaletteTest, EveryColouredTextIsReadableOnItsBackgroundInBothLooks) {
    EXPECT_DOUBLE_EQ(ContrastRatio("#000000", "#FFFFFF"), 21);
    EXPECT_NEAR(ContrastRatio("#FFFFFF", "#777777"), 4.48, 0.01);  // the classic near miss
    EXPECT_EQ(ContrastRatio("White", "#000000"), 0);
    for (const bool dark : {false, true}) {
        Palette palette;
        ApplyPalette(palette, dark);
        for (const ColouredText& text : ColouredTexts(palette)) {
            EXPECT_GE(ContrastRatio(text.text, text.background), 4.5) << text.what << (dark ? " (dark)" : "");
        }
    }
}

}  // namespace
}  // namespace quillmate
