#include "database/RowMarkup.h"

#include <gtest/gtest.h>

namespace quillmate {
namespace {

TEST(RowMarkupTest, ThemeAndHeadRowsAreBoldAndEscaped) {
    EXPECT_EQ(IndexRowMarkup("Tips & Tricks", 1, {"YellowGreen", "Black"}), "<b>Tips &amp; Tricks</b>");
    EXPECT_EQ(IndexRowMarkup("<Head> \"it's\"", 0, {"YellowGreen", "Black"}),
              "<b>&lt;Head&gt; &quot;it&apos;s&quot;</b>");
}

TEST(RowMarkupTest, VersionHintsOfDepthTwoTitles) {
    struct Case {
        std::string text;
        int depth;
        std::optional<std::string> markup;
    };
    const std::vector<Case> cases = {
        {"gtk_widget_show [>=gtk3.10]", 2,
         "gtk_widget_show <span bgcolor=\"Green\" fgcolor=\"White\">[&gt;=gtk3.10]</span>"},
        {"gtk_grid_new [gtk3]", 2, "gtk_grid_new <span bgcolor=\"Green\" fgcolor=\"White\">[gtk3]</span>"},
        {"gtk_stack [>gtk3.8] more words", 2,
         "gtk_stack <span bgcolor=\"Green\" fgcolor=\"White\">[&gt;gtk3.8]</span>"},
        {"a & b [it's gtk3]", 2,
         "a &amp; b <span bgcolor=\"Green\" fgcolor=\"White\">[it&#39;s gtk3]</span>"},
        {"gtk_old [gtk2]", 2, std::nullopt},
        {"no bracket >=gtk3.10", 2, std::nullopt},
        {"[>=gtk3.10] deeper", 3, std::nullopt},
        {"open only [>=gtk3.10 no close", 2, "open only <span bgcolor=\"Green\" fgcolor=\"White\"></span>"},
        {"plain title", 2, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IndexRowMarkup(c.text, c.depth, {"Green", "White"}), c.markup) << c.text;
    }
}

}  // namespace
}  // namespace quillmate
