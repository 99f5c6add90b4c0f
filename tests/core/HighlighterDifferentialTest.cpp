// The fast highlighter against the literal one on generated Korvex-like texts and on the library.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "resources/KeywordList.h"
#include "tests/core/HighlighterReference.h"
#include "viewer/Highlighter.h"

namespace quillmate {
namespace {

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

std::string Describe(const TagSpan& span) {
    return std::string(HighlightTagName(span.tag)) + "[" + std::to_string(span.start) + "," +
           std::to_string(span.end) + ")";
}

testing::AssertionResult SameAsLiteral(const std::string& utf8, int codeMarks) {
    const std::u32string text = reference::DecodeUtf8(utf8).value();
    const HighlightResult fast = ComputeHighlight(utf8, codeMarks);
    const HighlightResult literal = reference::HighlightLiterally(text, codeMarks);
    const auto failure = [&]() {
        return testing::AssertionFailure()
               << "codeMarks " << codeMarks << ", text \"" << Escaped(utf8) << "\": ";
    };
    const std::size_t common = std::min(fast.spans.size(), literal.spans.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (!(fast.spans[i] == literal.spans[i])) {
            return failure() << "span " << i << " is " << Describe(fast.spans[i]) << ", literally "
                             << Describe(literal.spans[i]);
        }
    }
    if (fast.spans.size() != literal.spans.size()) {
        return failure() << fast.spans.size() << " spans, literally " << literal.spans.size();
    }
    if (fast.procedureNames != literal.procedureNames) {
        return failure() << "procedure names differ";
    }
    if (fast.links != literal.links) {
        return failure() << "links differ";
    }
    return testing::AssertionSuccess();
}

class TextGenerator {
  public:
    explicit TextGenerator(unsigned seed) : m_random(seed) {}

    // Lines of random tokens, declarations, comments and link lines.
    std::string KorvexLike() {
        std::string text;
        const std::size_t lines = Below(40) + 1;
        for (std::size_t line = 0; line < lines; ++line) {
            if (line > 0) {
                text += Pick(kLineEnds);
            }
            switch (Below(6)) {
                case 0:
                    text += Pick(kLineTemplates);
                    break;
                case 1:
                    text += Pick(kProcedureKeywordsAndSuffixes) + Pick(kSeparators) + Pick(kNames) + "(" +
                            Pick(kNames) + ")";
                    break;
                default:
                    text += TokenLine();
                    break;
            }
        }
        return text;
    }

    // Short texts built from the characters and pieces the passes react to.
    std::string Fragments() {
        std::string text;
        const std::size_t pieces = Below(30);
        for (std::size_t i = 0; i < pieces; ++i) {
            text += Pick(kFragments);
        }
        return text;
    }

    int CodeMarks() { return static_cast<int>(Below(3)); }

  private:
    std::string TokenLine() {
        std::string line;
        const std::size_t tokens = Below(9);
        for (std::size_t i = 0; i < tokens; ++i) {
            if (i > 0) {
                line += Pick(kSeparators);
            }
            switch (Below(8)) {
                case 0:
                    line += std::string(KorvexKeywords()[Below(KorvexKeywords().size())]);
                    break;
                case 1:
                    line += Pick(kNearKeywords);
                    break;
                case 2:
                    line += Pick(kStrings);
                    break;
                case 3:
                    line += Pick(kConstants);
                    break;
                case 4:
                    line += Pick(kPunctuation);
                    break;
                default:
                    line += Pick(kNames);
                    break;
            }
        }
        if (Below(5) == 0) {
            line += Pick(kSeparators) + Pick(kComments);
        }
        return line;
    }

    std::size_t Below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
    }
    std::string Pick(const std::vector<std::string>& choices) { return choices[Below(choices.size())]; }

    std::mt19937 m_random;

    const std::vector<std::string> kLineEnds = {"\n", "\n", "\n", "\n", "\n", "\n", "\r\n", "\r", "\u2029"};
    const std::vector<std::string> kSeparators = {" ", " ", " ", "", "\t", "  ", "   ", ", "};
    const std::vector<std::string> kNearKeywords = {
        "EndIfX",        "MyIf",     "If_1",       "endif",        "IF",         "$If",
        "If$",           "1If",      "Procedures", "XProcedure",   "Procedure_", "ProcedureCX",
        "EndProcedureX", "\u00e4If", "If\u6f22",   "If\U0001F600", "procedure",  "Dim2"};
    const std::vector<std::string> kNames = {
        "Add", "Sub",    "x",      "a1",     "Window_Main", "MyAdd", "Add2", "add",       "Main",    "Cb",
        "Lib", "\u00e9", "\u00e4", "\u6f22", "\U0001F600",  "Add_",  "$Add", "Add\u6f22", "Gadget$", "If"};
    const std::vector<std::string> kStrings = {
        "\"text\"", "\"a;b\"", "\"#FF0000\"", "\"If\"",     "\"",
        "\"\"",     "\"; x\"", "\"Add\"",     "\"\u00e4\"", "\"Procedure Add()\""};
    const std::vector<std::string> kConstants = {"#Window_Main", "#",    "Color#2", "#If",
                                                 "##",           "#Add", "x#",      "#\u00e4"};
    const std::vector<std::string> kPunctuation = {"(", ")", ",", ".",  "=",  "+",
                                                   ":", "$", "_", ".i", "()", "\t"};
    const std::vector<std::string> kComments = {"; comment",
                                                "; has \" quote",
                                                ";",
                                                "; If Add",
                                                "; \"q\"",
                                                "; #C",
                                                "; Link to topic:   http://x.org/c more"};
    const std::vector<std::string> kProcedureKeywordsAndSuffixes = {
        "Procedure",   "ProcedureC",  "ProcedureCDLL", "ProcedureDLL",
        "Procedure.i", "Procedure.s", "Procedure"};
    const std::vector<std::string> kLineTemplates = {
        "Procedure Add(a, b)",
        "Procedure.i Sub()",
        "ProcedureC\tCb()",
        "Procedure",
        "Procedure   ",
        "Procedure (x)",
        "ProcedureDLL Lib()",
        "  Add(1)",
        "Declare Add(a)",
        "EndProcedure",
        "; Link to topic:   https://example.org/p?q=1 trailing",
        "; Link to topic:   https://\u00e4.example/x",
        "; Link to topic:   ",
        "; Link to topic:   http://x.org/a\tb c",
        "; Link to topic:  two spaces",
        "x = \"open",
        "; lone \" quote",
        "Debug \"a;b\" ; c",
        "If x : EndIf",
    };
    const std::vector<std::string> kFragments = {
        ";",   "\"",   "#",      " ",  " ",      "\t",         "\n",
        "\r",  "\r\n", "\u2029", "If", "EndIf",  "Procedure",  "ProcedureC",
        "Add", "a",    "_",      "$",  "\u00e4", "\U0001F600", "; Link to topic:   ",
        "(",   "2"};
};

TEST(HighlighterDifferentialTest, GeneratedKorvexTextsMatchLiteralPasses) {
    TextGenerator generator(20240611);
    for (int round = 0; round < 5000; ++round) {
        const std::string text = generator.KorvexLike();
        ASSERT_TRUE(SameAsLiteral(text, generator.CodeMarks())) << "round " << round;
    }
}

TEST(HighlighterDifferentialTest, GeneratedFragmentsMatchLiteralPasses) {
    TextGenerator generator(42);
    for (int round = 0; round < 20000; ++round) {
        const std::string text = generator.Fragments();
        ASSERT_TRUE(SameAsLiteral(text, generator.CodeMarks())) << "round " << round;
    }
}

TEST(HighlighterDifferentialTest, LibraryFilesMatchLiteralPasses) {
    const std::filesystem::path library = std::filesystem::path(QUILLMATE_SOURCE_DIR) / "library";
    std::error_code error;
    if (!std::filesystem::is_directory(library, error)) {
        GTEST_SKIP() << "no library folder";
    }
    int compared = 0;
    for (auto entry = std::filesystem::recursive_directory_iterator(library, error);
         !error && entry != std::filesystem::recursive_directory_iterator(); entry.increment(error)) {
        if (!entry->is_regular_file(error)) {
            continue;
        }
        std::ifstream file(entry->path(), std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        std::string bytes = content.str();
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            bytes.erase(0, 3);
        }
        if (!reference::DecodeUtf8(bytes)) {
            continue;
        }
        for (const int codeMarks : {1, 2}) {
            EXPECT_TRUE(SameAsLiteral(bytes, codeMarks)) << entry->path();
        }
        ++compared;
    }
    RecordProperty("compared_files", compared);
}

}  // namespace
}  // namespace quillmate
