#include "settings/TextKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "settings/LanguageTable.h"

namespace quillmate {
namespace {

using Rows = std::vector<std::string>;

TEST(TextKeysTest, ComboTextFillsItsRowsInOrder) {
    const std::string builtIn = "Eins\tZwei\tDrei";
    struct Case {
        const char* text;
        Rows rows;
    };
    for (const Case& c :
         {Case{"One\tTwo\tThree", {"One", "Two", "Three"}},
          Case{"One\tTwo", {"One", "Two", "Drei"}},  // a missing entry keeps the built-in row
          Case{"One", {"One", "Zwei", "Drei"}}, Case{"One\tTwo\tThree\tFour", {"One", "Two", "Three"}},
          Case{"One\t\tThree", {"One", "", "Three"}}, Case{" One \tTwo ", {" One ", "Two ", "Drei"}}}) {
        EXPECT_EQ(ComboRows(c.text, builtIn, 3), c.rows) << c.text;
    }
}

TEST(TextKeysTest, ComboRowsFollowTheRowCount) {
    EXPECT_EQ(ComboRows("a\tb\tc", "x\ty\tz", 2), (Rows{"a", "b"}));
    EXPECT_EQ(ComboRows("a", "x", 3), (Rows{"a", "", ""}));
}

TEST(TextKeysTest, ShownLanguageTextCutsEachRowAloneAndDropsRowsNoComboHas) {
    EXPECT_EQ(ShownLanguageText("abcd\tab\t\tab\xFF", 3), "abc\xE2\x80\xA6\tab\t\tab\xEF\xBF\xBD");
    std::string manyRows = "a";
    for (int i = 0; i < 10000; ++i) {
        manyRows += "\tx";
    }
    EXPECT_EQ(ShownLanguageText(manyRows, 3), "a\tx\tx\tx\tx\tx\tx\tx");
}

// The language file shipped with the program covers every text the program switches.
TEST(TextKeysTest, ShippedLanguageFileHasEveryTextInEveryLanguage) {
    LanguageTable table(std::string(QUILLMATE_SOURCE_DIR) + "/resources/QuillmateLang.inf");
    ASSERT_TRUE(table.Load());
    const std::map<std::string_view, long> comboRows = {{"#Cnf_SearchFailHint", 3},
                                                        {"#Cnf_Language", 3},
                                                        {"#Cnf_SearchMode", 4},
                                                        {"#Cnf_CodeMarking", 3},
                                                        {"#Cnf_FileNameLen", 3}};
    for (const char* code : {"de", "en", "fr"}) {
        for (const std::string_view key : kLabelKeys) {
            const auto text = table.GetText(key, false, code);
            ASSERT_TRUE(text.has_value()) << key << " " << code;
            EXPECT_FALSE(text->empty()) << key << " " << code;
            if (const auto rows = comboRows.find(key); rows != comboRows.end()) {
                EXPECT_EQ(std::count(text->begin(), text->end(), '\t') + 1, rows->second)
                    << key << " " << code;
            }
        }
        for (const std::string_view key : kTooltipKeys) {
            const auto text = table.GetText(key, true, code);
            ASSERT_TRUE(text.has_value()) << "TT" << key << " " << code;
            EXPECT_FALSE(text->empty()) << "TT" << key << " " << code;
        }
    }
}

}  // namespace
}  // namespace quillmate
