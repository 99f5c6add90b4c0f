#include "base/Paths.h"

#include <gtest/gtest.h>

#include "app/FontSetting.h"

namespace quillmate {
namespace {

TEST(PathsTest, FolderAndFileParts) {
    EXPECT_EQ(FolderPart("/home/u/Library/db.xml"), "/home/u/Library/");
    EXPECT_EQ(FilePart("/home/u/Library/db.xml"), "db.xml");
    EXPECT_EQ(FolderPart("db.xml"), "");
    EXPECT_EQ(FilePart("db.xml"), "db.xml");
    EXPECT_EQ(FilePart("/folder/"), "");
    EXPECT_EQ(WithoutLeadingSlashes("//Buttons/Simple.kx"), "Buttons/Simple.kx");
    EXPECT_EQ(WithoutLeadingSlashes("///"), "");
    EXPECT_EQ(WithoutTrailingSlashes("/home/u//"), "/home/u");
}

TEST(PathsTest, DesktopFontNameSplitsFamilyAndSize) {
    struct Case {
        std::string setting;
        std::string family;
        int size;
    };
    const std::vector<Case> cases = {
        {"Cantarell 11", "Cantarell", 11},
        {"DejaVu Sans Mono 9", "DejaVu Sans Mono", 9},
        {"Sans  12", "Sans ", 12},
        {"Noto Sans", "Noto Sans", 10},
        {"Sans 0", "Sans 0", 10},
        {"Sans 12pt", "Sans", 12},
        {"", "", 10},
    };
    for (const auto& c : cases) {
        const FontChoice choice = ParseDesktopFontName(c.setting);
        EXPECT_EQ(choice.family, c.family) << c.setting;
        EXPECT_EQ(choice.size, c.size) << c.setting;
    }
}

}  // namespace
}  // namespace quillmate
