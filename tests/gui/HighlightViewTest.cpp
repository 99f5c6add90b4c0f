// Highlighting in the real code view: tags at chosen places under both marking schemes, the tag
// table, link labels, plain text, and tagging as the text comes into view.
#include <gdkmm/rgba.h>
#include <gtest/gtest.h>
#include <gtkmm/label.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "viewer/CodeViewerActions.h"
#include "viewer/Highlighter.h"
#include "viewer/Palette.h"

namespace quillmate {
namespace {

using Tags = std::set<std::string>;

// The program on the small library with `simpleCode` in "Buttons/Simple.kx" and comments in the
// other two files, under the marking scheme `codeMarks`; no dialog may appear.
struct CodeViewProgram : test::Program {
    CodeViewProgram(const std::string& simpleCode, int codeMarks, int darkMode = 0) {
        test::FillSmallLibrary(
            folder, {"CodeMarks=" + std::to_string(codeMarks), "DarkMode=" + std::to_string(darkMode)});
        folder.WriteFile("Buttons/Simple.kx", simpleCode);
        folder.WriteFile("Buttons/Label.kx", "; Button with label\nText$ = \"Hello\" ; greeting\n");
        folder.WriteFile("Quillmate/ViewerHelp.txt",
                         "Help text\n; not a comment in a text file\nIf Add(1)\n");
        Launch();
    }
    ~CodeViewProgram() { EXPECT_TRUE(watcher.Seen().empty()); }
    Glib::RefPtr<Gtk::TextBuffer> Buffer() const { return Main().Code().View().get_buffer(); }
};

// The names of the tags on the character at `offset`.
std::set<std::string> TagsAt(const Glib::RefPtr<Gtk::TextBuffer>& buffer, int offset) {
    std::set<std::string> names;
    for (const auto& tag : buffer->get_iter_at_offset(offset).get_tags()) {
        names.insert(tag->property_name().get_value());
    }
    return names;
}

// Tag names of every character, in order.
std::vector<std::set<std::string>> TagsOfEveryCharacter(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    std::vector<std::set<std::string>> result;
    for (int offset = 0; offset < buffer->get_char_count(); ++offset) {
        result.push_back(TagsAt(buffer, offset));
    }
    return result;
}

// The buffer's text with one U+FFFC for each child anchor, so that character offsets match.
Glib::ustring SliceOf(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    return buffer->get_slice(buffer->begin(), buffer->end(), true);
}

// Character offsets of the child anchors.
std::vector<int> AnchorOffsets(const Glib::RefPtr<Gtk::TextBuffer>& buffer) {
    std::vector<int> offsets;
    for (Gtk::TextIter at = buffer->begin(); !at.is_end(); at.forward_char()) {
        if (at.get_child_anchor()) {
            offsets.push_back(at.get_offset());
        }
    }
    return offsets;
}

constexpr const char* kAddress = "https://docs.gtk.org/gtk3/method.Label.set_markup.html?lang=en&view=<full>";

std::string Sample() {
    return test::ReadTestData("highlight/Sample.kx");
}

// Character offset of `needle` in the shown text plus `delta`; -1 when it is not there.
int OffsetOf(const Glib::RefPtr<Gtk::TextBuffer>& buffer, const std::string& needle, int delta) {
    const Glib::ustring::size_type found = SliceOf(buffer).find(needle);
    return found == Glib::ustring::npos ? -1 : static_cast<int>(found) + delta;
}

struct TagCase {
    const char* needle;  // first occurrence in the sample
    int delta;           // character within the needle
    Tags tags;           // "Keyword" stands for the scheme's keyword tag
};

// Each rule of the highlighter at the places of the sample that show it.
const std::vector<TagCase> kTagCases = {
    // Comments: from the ";" to the line end, unless the ";" stands in a string.
    {"; Korvex", 0, {"Disable"}},
    {"x = 1 ; counter", 0, {}},
    {"x = 1 ; counter", 6, {"Disable"}},
    {"not a \"string\"", 6, {"Disable"}},
    {"not a \"string\"", 7, {"Disable"}},
    // Strings: the inside is a literal, the quotes are not.
    {"\"Semicolon ; inside", 0, {}},
    {"Semicolon ; inside", 0, {"Literal"}},
    {"Semicolon ; inside", 10, {"Literal"}},
    {"inside a string\"", 15, {}},
    {"Clicked: ", 0, {"Literal"}},
    // Constants: "#" and the word characters after it, not behind a word character.
    {"#Window_Main", 0, {"Constant"}},
    {"#Window_Main", 11, {"Constant"}},
    {"#Window_Main =", 12, {}},
    {"Color#2", 5, {}},
    {"Color#2", 6, {}},
    {"#GTK_WINDOW_TOPLEVEL)", 0, {"Constant"}},
    {"#FF0000 stays", 0, {"Constant", "Literal"}},
    {"#FF0000 stays", 6, {"Constant", "Literal"}},
    {"#FF0000 stays", 8, {"Literal"}},
    // Keywords: whole words, case-sensitive.
    {"EnableExplicit", 0, {"Keyword"}},
    {"EnableExplicit", 13, {"Keyword"}},
    {"EndIf\n", 0, {"Keyword"}},
    {"EndIfX", 0, {}},
    {"EndIfX", 5, {}},
    {"endif = 2", 0, {}},
    {"If_1", 0, {}},
    {"And MyIf", 0, {"Keyword"}},
    {"MyIf", 2, {}},
    {"Str(Add(data", 0, {}},
    // Procedure declarations and the uses of their names.
    {"Procedure.i Add", 0, {"Keyword"}},
    {"Procedure.i Add", 9, {}},
    {"Procedure.i Add", 10, {}},
    {"Procedure.i Add", 12, {"Function"}},
    {"ProcedureC OnClicked", 0, {"Keyword"}},
    {"ProcedureC OnClicked", 11, {"Function"}},
    {"Str(Add(data", 4, {"FuncCall"}},
    {"Declare Add", 0, {"Keyword"}},
    {"Declare Add", 8, {"FuncCall"}},
    {"If Add(1, 2)", 0, {"Keyword"}},
    {"If Add(1, 2)", 3, {"FuncCall"}},
    {"\tDebug Add", 7, {"FuncCall"}},
    // Link lines keep their comment colour around the link.
    {"; Link to topic:", 0, {"Disable"}},
    {" (markup)", 2, {"Disable"}},
};

class HighlightViewTest : public ::testing::TestWithParam<int> {};

TEST_P(HighlightViewTest, TagsFollowTheRulesUnderTheMarkingScheme) {
    const int codeMarks = GetParam();
    CodeViewProgram program(Sample(), codeMarks);
    program.ShowRow(test::kSimpleRow);
    const auto buffer = program.Buffer();
    const std::string keywordTag = codeMarks == 1 ? "FBold" : "BlueBold";
    for (const TagCase& tagCase : kTagCases) {
        Tags expected;
        for (const std::string& name : tagCase.tags) {
            expected.insert(name == "Keyword" ? keywordTag : name);
        }
        const int offset = OffsetOf(buffer, tagCase.needle, tagCase.delta);
        ASSERT_GE(offset, 0) << tagCase.needle;
        EXPECT_EQ(TagsAt(buffer, offset), expected) << "'" << tagCase.needle << "' + " << tagCase.delta;
    }
}

INSTANTIATE_TEST_SUITE_P(BoldAndBlueBold, HighlightViewTest, ::testing::Values(1, 2));

struct TagLook {
    const char* name;
    int weight;  // 0: not set
    std::string Palette::*foreground;
};

const TagLook kTagLooks[] = {
    {"BlueBold", 700, &Palette::keyword},       {"FBold", 700, nullptr},
    {"Constant", 400, &Palette::constant},      {"Function", 700, &Palette::procedureName},
    {"FuncCall", 400, &Palette::procedureCall}, {"Literal", 400, &Palette::string},
    {"Disable", 0, &Palette::comment},
};

// The seven tags in priority order with the look of the palette in use at the first highlight.
void ExpectTagLooks(const Glib::RefPtr<Gtk::TextBuffer>& buffer, const Palette& palette) {
    int priority = -1;
    for (const TagLook& look : kTagLooks) {
        const auto tag = buffer->get_tag_table()->lookup(look.name);
        ASSERT_TRUE(tag) << look.name;
        EXPECT_GT(tag->get_priority(), priority) << look.name;
        priority = tag->get_priority();
        EXPECT_EQ(tag->property_weight_set().get_value(), look.weight != 0) << look.name;
        if (look.weight != 0) {
            EXPECT_EQ(tag->property_weight().get_value(), look.weight) << look.name;
        }
        EXPECT_EQ(tag->property_foreground_set().get_value(), look.foreground != nullptr) << look.name;
        if (look.foreground != nullptr) {
            EXPECT_EQ(tag->property_foreground_rgba().get_value(), Gdk::RGBA(palette.*look.foreground))
                << look.name;
        }
    }
}

class HighlightLookTest : public ::testing::TestWithParam<bool> {};

TEST_P(HighlightLookTest, TagsTakeTheColoursOfTheFirstHighlightAndKeepThem) {
    const bool dark = GetParam();
    CodeViewProgram program(Sample(), 2, dark ? 1 : 0);
    program.ShowRow(test::kSimpleRow);
    Palette first;
    ApplyPalette(first, dark);
    ExpectTagLooks(program.Buffer(), first);

    // The settings dialog switches the look: the code view keeps its colours until a restart.
    ApplyPalette(program.app->records.palette, !dark);
    program.ShowRow(test::kLabelRow);
    program.ShowRow(test::kSimpleRow);
    ExpectTagLooks(program.Buffer(), first);
    EXPECT_EQ(TagsAt(program.Buffer(), OffsetOf(program.Buffer(), "EnableExplicit", 0)), Tags{"BlueBold"});
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, HighlightLookTest, ::testing::Values(false, true));

TEST(HighlightLinkTest, AddressBecomesALinkLabelAndLeavesTheText) {
    CodeViewProgram program(Sample(), 2);
    program.ShowRow(test::kSimpleRow);
    const auto buffer = program.Buffer();

    // One link: the line without an address keeps its text.
    const std::vector<int> anchors = AnchorOffsets(buffer);
    ASSERT_EQ(anchors.size(), 1u);
    EXPECT_EQ(anchors[0], OffsetOf(buffer, std::string(kLinkPrefix), static_cast<int>(kLinkPrefix.size())));
    const auto anchor = buffer->get_iter_at_offset(anchors[0]).get_child_anchor();
    const std::vector<Gtk::Widget*> widgets = anchor->get_widgets();
    ASSERT_EQ(widgets.size(), 1u);
    auto* label = dynamic_cast<Gtk::Label*>(widgets[0]);
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->get_visible());
    EXPECT_TRUE(label->get_use_markup());
    const std::string escaped =
        "https://docs.gtk.org/gtk3/method.Label.set_markup.html?lang=en&amp;view=&lt;full&gt;";
    EXPECT_EQ(label->get_label(), "<a href=\"" + escaped + "\">" + escaped + "</a>");
    EXPECT_EQ(label->get_text(), kAddress);

    // What the quick copy takes: the address is gone, the rest of the line stays.
    const std::string copied = buffer->get_text(true);
    EXPECT_EQ(copied.find("https://docs.gtk.org/gtk3/method.Label"), std::string::npos);
    EXPECT_NE(copied.find("; Link to topic:    (markup)\n; Link to topic:   \nEnableExplicit"),
              std::string::npos);

    // The label's own handling opens the address: the program's handler does not stop it.
    bool reachedDefault = false;
    label->signal_activate_link().connect(
        [&](const Glib::ustring& uri) {
            reachedDefault = uri == kAddress;
            return true;  // do not start a browser from the test
        },
        false);
    gboolean handled = FALSE;
    g_signal_emit_by_name(label->gobj(), "activate-link", kAddress, &handled);
    EXPECT_TRUE(reachedDefault);
}

TEST(HighlightLinkTest, ReloadingReplacesTheLinkLabel) {
    CodeViewProgram program(Sample(), 2);
    program.ShowRow(test::kSimpleRow);
    program.ShowRow(test::kLabelRow);
    EXPECT_TRUE(AnchorOffsets(program.Buffer()).empty());
    program.ShowRow(test::kSimpleRow);
    EXPECT_EQ(AnchorOffsets(program.Buffer()).size(), 1u);
}

TEST(HighlightPlainTest, PlainSchemeLeavesCodeAndLinksAsText) {
    CodeViewProgram program(Sample(), 0);
    program.ShowRow(test::kSimpleRow);
    const auto buffer = program.Buffer();
    for (const Tags& tags : TagsOfEveryCharacter(buffer)) {
        ASSERT_TRUE(tags.empty());
    }
    EXPECT_FALSE(buffer->get_tag_table()->lookup("Disable"));
    EXPECT_TRUE(AnchorOffsets(buffer).empty());
    EXPECT_NE(buffer->get_text(true).find(kAddress), std::string::npos);
}

TEST(HighlightPlainTest, TextFilesAreNotHighlighted) {
    CodeViewProgram program(Sample(), 2);
    program.ShowRow(test::kSimpleRow);
    program.ShowRow(test::kHelpRow);
    const auto buffer = program.Buffer();
    EXPECT_EQ(buffer->get_text(true), "Help text\n; not a comment in a text file\nIf Add(1)");
    for (const Tags& tags : TagsOfEveryCharacter(buffer)) {
        ASSERT_TRUE(tags.empty());
    }
}

// The tags the view should show for `text`: the computed spans, then each address replaced by
// a link anchor (whose own tags do not matter: it shows a widget, not text).
std::vector<Tags> ExpectedTags(const std::string& text, int codeMarks) {
    const HighlightResult result = ComputeHighlight(text, codeMarks);
    std::vector<Tags> expected(Glib::ustring(text).size());
    for (const TagSpan& span : result.spans) {
        for (std::size_t i = span.start; i < span.end; ++i) {
            expected[i].insert(std::string(HighlightTagName(span.tag)));
        }
    }
    for (auto link = result.links.rbegin(); link != result.links.rend(); ++link) {
        if (IsOpenableLinkAddress(link->address)) {
            const auto start = expected.begin() + static_cast<std::ptrdiff_t>(link->offset);
            expected.insert(expected.erase(start, start + static_cast<std::ptrdiff_t>(link->length)), Tags{});
        }
    }
    return expected;
}

// The view's own line breaks are no characters of the file: they are left out.
void ExpectTagsOutsideAnchors(const Glib::RefPtr<Gtk::TextBuffer>& buffer,
                              const std::vector<Tags>& expected) {
    std::vector<Tags> shown;
    std::vector<std::size_t> anchors;
    for (Gtk::TextIter at = buffer->begin(); !at.is_end(); at.forward_char()) {
        Tags tags = TagsAt(buffer, at.get_offset());
        if (tags.erase("ViewBreak") == 0) {
            if (at.get_child_anchor()) {
                anchors.push_back(shown.size());
            }
            shown.push_back(tags);
        }
    }
    ASSERT_EQ(shown.size(), expected.size());
    std::vector<Tags> wanted = expected;
    for (const std::size_t anchor : anchors) {
        shown[anchor].clear();
        wanted[anchor].clear();
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        ASSERT_EQ(shown[i], wanted[i]) << "at " << i << ": " << SliceOf(buffer).substr(i, 30);
    }
}

// A long file, tagged block by block as it comes into view.
std::string LongCode(int copies = 61) {
    std::string code;
    for (int i = 0; i < copies; ++i) {
        code += Sample();
    }
    return code;
}

TEST(HighlightRunTest, LongLineWrappedAfterShowingIsTaggedToItsEnd) {
    std::string code;
    while (code.size() < 2000) {
        code += "If x ";
    }
    CodeViewProgram program(code, 2);
    program.ShowRow(test::kSimpleRow);
    ToggleCodeWrap(*program.app);
    test::Settle(*program.app);
    const auto buffer = program.Buffer();
    const auto lastKeyword = static_cast<int>(SliceOf(buffer).rfind("If"));
    EXPECT_EQ(TagsAt(buffer, lastKeyword),
              ExpectedTags(SliceOf(buffer), 2)[static_cast<std::size_t>(lastKeyword)]);
    EXPECT_FALSE(TagsAt(buffer, lastKeyword).empty());
}

TEST(HighlightRunTest, LongLinesShowInPiecesTaggedAndCopiedAsInTheFile) {
    std::string longLine;
    while (longLine.size() < 2500) {
        longLine += "If x And y ";
    }
    const std::string tabs(300, '\t');
    CodeViewProgram program(longLine + "\n; Link to topic:   https://example.org/a\n" + tabs + "Debug 1\n",
                            2);
    program.ShowRow(test::kSimpleRow);
    program.Main().Code().HighlightEverything();
    const auto buffer = program.Buffer();
    EXPECT_EQ(buffer->get_line_count(), 4 + 1 + 5);  // pieces of at most 768 characters and 64 tabs
    ExpectTagsOutsideAnchors(
        buffer,
        ExpectedTags(longLine + "\n; Link to topic:   https://example.org/a\n" + tabs + "Debug 1", 2));
    // What is copied are the file's lines; the address is a link label, not text.
    EXPECT_EQ(program.Main().Code().Text(), longLine + "\n; Link to topic:   \n" + tabs + "Debug 1");
}

TEST(HighlightRunTest, TaggingAsTheTextComesIntoViewTagsLikeOneGo) {
    const std::string code = LongCode();
    CodeViewProgram program(code, 2);
    program.ShowRow(test::kSimpleRow);
    const auto buffer = program.Buffer();
    EXPECT_EQ(AnchorOffsets(buffer).size(), 61u);
    std::string shownBeforeLinks = code;
    shownBeforeLinks.pop_back();  // the line feed after the last line
    const std::vector<Tags> expected = ExpectedTags(shownBeforeLinks, 2);
    const int last = buffer->get_char_count() - 1;
    const auto lastConstant = static_cast<int>(SliceOf(buffer).rfind("#GTK_WINDOW_TOPLEVEL)"));
    EXPECT_TRUE(TagsAt(buffer, lastConstant).empty());  // not shown yet

    const auto scrolling = program.Main().Code().View().get_vadjustment();
    scrolling->set_value(scrolling->get_upper());
    test::Settle(*program.app);
    const std::vector<int> anchors = AnchorOffsets(buffer);
    for (int offset = lastConstant - 500; offset <= last; ++offset) {
        if (std::find(anchors.begin(), anchors.end(), offset) != anchors.end()) {
            continue;  // shows a widget, not text
        }
        ASSERT_EQ(TagsAt(buffer, offset), expected[static_cast<std::size_t>(offset)]) << offset;
    }
    const auto lastLink = buffer->get_iter_at_offset(AnchorOffsets(buffer).back()).get_child_anchor();
    EXPECT_EQ(lastLink->get_widgets().size(), 1u);
    program.Main().Code().HighlightEverything();
    ExpectTagsOutsideAnchors(buffer, expected);
}

}  // namespace
}  // namespace quillmate
