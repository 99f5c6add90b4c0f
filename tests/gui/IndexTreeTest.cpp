// The index tree in the running program: what selecting and clicking rows shows, the history
// it feeds, keyboard navigation, double clicks, the expand toggle, row colours and row markup, and
// the pictures at every scale factor.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "GuiHarness.h"
#include "ProgramDriver.h"
#include "app/MainWindow.h"

// Xlib's macros (None, True, False) would clash with names in the headers above: last.
#include <gdk/gdkx.h>

namespace quillmate {
namespace {

using IndexTreeTest = test::ProgramTest;

using test::ClickTreeRow;
using test::CodeText;
using test::DescriptionText;
using test::HistoryRows;
using test::MoveTreeCursor;
using test::SendKey;
using test::Settle;
using test::TempProgramFolder;

using test::kButtonsThemeRow;
using test::kHeadRow;
using test::kLabelRow;
using test::kMissingRow;
using test::kOwnThemeRow;
using test::kSimpleRow;

TEST_F(IndexTreeTest, SelectingAnEntryShowsDescriptionCodeAndTitle) {
    struct Case {
        const char* sourceInTitle;
        std::string title;  // after the program folder for SourceInTitle 2
        bool withFolder;
    };
    const Case cases[] = {
        {"0", "Quillmate ~ Simple.kx", false},
        {"1", "Quillmate ~ /Buttons/Simple.kx", false},
        {"2", "Buttons/Simple.kx", true},
        {"7", "Buttons/Simple.kx", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sourceInTitle);
        Start({std::string("SourceInTitle=") + c.sourceInTitle});
        MoveTreeCursor(*app, kSimpleRow);
        EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
        EXPECT_EQ(CodeText(*app), "; Simple button\nOpenWindow()");
        EXPECT_EQ(app->ui.mainWindow->get_title(),
                  c.withFolder ? "Quillmate ~ " + folder.Path() + c.title : c.title);
        EXPECT_TRUE(watcher.Seen().empty());
        app.reset();
    }
}

TEST_F(IndexTreeTest, SelectingAThemeShowsItsTextAndEmptiesTheCode) {
    Start();
    EXPECT_EQ(DescriptionText(*app), "Head text");  // the first row is shown right after start
    MoveTreeCursor(*app, kSimpleRow);
    MoveTreeCursor(*app, kButtonsThemeRow);
    EXPECT_EQ(DescriptionText(*app), "Buttons text");
    EXPECT_EQ(CodeText(*app), "");
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate");
    EXPECT_EQ(app->ui.mainWindow->Code().CurrentEntryFile(), "");
    EXPECT_TRUE(HistoryRows(*app).empty());
}

TEST_F(IndexTreeTest, ClickingAnEntryAddsItToTheHistoryOnce) {
    Start();
    ClickTreeRow(*app, kSimpleRow);
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), kSimpleRow);
    EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"Simple.kx"}));
    ClickTreeRow(*app, kSimpleRow);
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"Simple.kx"}));
    ClickTreeRow(*app, kLabelRow);
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"Label.kx", "Simple.kx"}));
    ClickTreeRow(*app, kSimpleRow);
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"Simple.kx", "Label.kx"}));
    EXPECT_EQ(app->ui.mainWindow->HistoryCombo().get_active_row_number(), 0);
    EXPECT_EQ(app->ui.mainWindow->HistoryCombo().get_active_text(), "Simple.kx");
}

TEST_F(IndexTreeTest, ClickingThemesAndHeadLeavesTheHistoryAlone) {
    Start();
    for (const int row : {kHeadRow, kOwnThemeRow, kButtonsThemeRow, kButtonsThemeRow}) {
        ClickTreeRow(*app, row);
    }
    EXPECT_TRUE(HistoryRows(*app).empty());
}

TEST_F(IndexTreeTest, EleventhEntryDropsTheOldestFromTheHistory) {
    test::FillManyEntryLibrary(folder, 11);
    Launch();
    constexpr int kFirstEntryRow = 2;
    for (int i = 0; i < 11; ++i) {
        ClickTreeRow(*app, kFirstEntryRow + i);
        ClickTreeRow(*app, kFirstEntryRow + i);
    }
    std::vector<std::string> expected;
    for (int i = 10; i >= 1; --i) {
        expected.push_back("E" + std::to_string(i) + ".kx");
    }
    EXPECT_EQ(HistoryRows(*app), expected);
    // Clicking one that is already listed moves it to the top without a second row.
    ClickTreeRow(*app, kFirstEntryRow + 5);
    ASSERT_EQ(HistoryRows(*app).size(), 10u);
    EXPECT_EQ(HistoryRows(*app).front(), "E5.kx");
    EXPECT_EQ(HistoryRows(*app).back(), "E1.kx");
}

// Favourites (the star, Ctrl+D) and the history are kept by file across a restart; an entry the
// database has lost meanwhile is left out without a word.
TEST_F(IndexTreeTest, FavouritesAndHistoryOutliveARestartByFile) {
    Start();
    const auto star = [&] {
        MainWindow& window = *app->ui.mainWindow;
        auto* image = dynamic_cast<Gtk::Image*>(window.FavouriteButton().get_image());
        return std::pair{window.FavouriteButton().is_sensitive(),
                         image->property_icon_name().get_value().raw()};
    };
    EXPECT_EQ(star(), std::pair(false, std::string("non-starred-symbolic")));  // the head row shows
    ClickTreeRow(*app, kSimpleRow);
    test::Click(*app, app->ui.mainWindow->FavouriteButton());
    EXPECT_EQ(star(), std::pair(true, std::string("starred-symbolic")));
    ClickTreeRow(*app, kLabelRow);
    EXPECT_EQ(star(), std::pair(true, std::string("non-starred-symbolic")));
    SendKey(*app->ui.mainWindow, GDK_KEY_d, GDK_CONTROL_MASK);
    Settle();
    ClickTreeRow(*app, test::kHelpRow);
    const std::vector<std::string> before = {"\u2605 Simple.kx", "\u2605 Label.kx", kHistorySeparatorText,
                                             "ViewerHelp.txt",   "Label.kx",        "Simple.kx"};
    EXPECT_EQ(HistoryRows(*app), before);
    EXPECT_EQ(app->ui.mainWindow->HistoryCombo().get_active_row_number(), 3);
    app.reset();
    std::string database = test::SmallDatabase();
    const std::size_t label = database.find("<Entry File=\"/Buttons/Label.kx\"");
    database.erase(label, database.find("/>", label) + 2 - label);
    folder.WriteFile("Quillmate-Toc.xml", database);
    Launch();
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"\u2605 Simple.kx", kHistorySeparatorText,
                                                           "ViewerHelp.txt", "Simple.kx"}));
    test::ChooseHistoryRow(*app, 0);
    EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
    EXPECT_EQ(star(), std::pair(true, std::string("starred-symbolic")));
    SendKey(*app->ui.mainWindow, GDK_KEY_d, GDK_CONTROL_MASK);
    Settle();
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"ViewerHelp.txt", "Simple.kx"}));
}

TEST_F(IndexTreeTest, KeyboardMovesShowEntriesButNeverAddToTheHistory) {
    Start();
    IndexTree& tree = app->ui.mainWindow->Tree();
    tree.grab_focus();
    for (int row = 1; row <= kLabelRow; ++row) {
        SendKey(*app->ui.mainWindow, GDK_KEY_Down);
        Settle();
        EXPECT_EQ(tree.SelectedRow(), row);
    }
    EXPECT_EQ(DescriptionText(*app), "Knopf mit Text");
    EXPECT_EQ(CodeText(*app), "; Button with label\nText$ = \"Hello\"");
    SendKey(*app->ui.mainWindow, GDK_KEY_Up);
    Settle();
    EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
    EXPECT_TRUE(HistoryRows(*app).empty());
}

// A library with nesting below the entries: head > theme > parent entry > child entry.
void FillNestedLibrary(const TempProgramFolder& folder) {
    test::FillSmallLibrary(folder);
    folder.WriteFile("Quillmate-Toc.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<Library title="Nested">Head
  <Theme title="Theme">Theme text
    <Entry File="/Buttons/Simple.kx" theme_de="Parent" descript_de="Parent entry">
      <Entry File="/Buttons/Label.kx" theme_de="Child" descript_de="Child entry"/>
    </Entry>
    <Entry File="/Buttons/Simple.kx" theme_de="Sibling" descript_de="Sibling entry"/>
  </Theme>
</Library>
)");
}
constexpr int kNestedThemeRow = 1;
constexpr int kParentRow = 2;
constexpr int kChildRow = 3;
constexpr int kSiblingRow = 4;

TEST_F(IndexTreeTest, KeyboardMoveOntoAnotherEntryOfTheShownFileAddsNothing) {
    FillNestedLibrary(folder);
    Launch();
    IndexTree& tree = app->ui.mainWindow->Tree();
    tree.CollapseRow(kParentRow);
    MoveTreeCursor(*app, kParentRow);
    ASSERT_EQ(app->ui.mainWindow->Code().CurrentEntryFile(), "/Buttons/Simple.kx");
    SendKey(*app->ui.mainWindow, GDK_KEY_Down);  // onto the sibling, which has the same file
    Settle();
    ASSERT_EQ(tree.SelectedRow(), kSiblingRow);
    EXPECT_EQ(DescriptionText(*app), "Sibling entry");
    EXPECT_TRUE(HistoryRows(*app).empty());
}

TEST_F(IndexTreeTest, LeftOnALeafSelectsAndClosesItsParentThenTheGrandparent) {
    FillNestedLibrary(folder);
    Launch();
    IndexTree& tree = app->ui.mainWindow->Tree();
    MoveTreeCursor(*app, kChildRow);
    SendKey(*app->ui.mainWindow, GDK_KEY_Left);
    Settle();
    EXPECT_EQ(tree.SelectedRow(), kParentRow);
    EXPECT_FALSE(tree.IsRowExpanded(kParentRow));
    EXPECT_TRUE(tree.IsRowExpanded(kNestedThemeRow));
    EXPECT_EQ(DescriptionText(*app), "Parent entry");
    SendKey(*app->ui.mainWindow, GDK_KEY_Left);
    Settle();
    EXPECT_EQ(tree.SelectedRow(), kNestedThemeRow);
    EXPECT_FALSE(tree.IsRowExpanded(kNestedThemeRow));
    EXPECT_EQ(DescriptionText(*app), "Theme text");
    EXPECT_TRUE(HistoryRows(*app).empty());
    SendKey(*app->ui.mainWindow, GDK_KEY_Right);  // one level only
    Settle();
    EXPECT_TRUE(tree.IsRowExpanded(kNestedThemeRow));
    EXPECT_FALSE(tree.IsRowExpanded(kParentRow));
}

TEST_F(IndexTreeTest, DoubleClickOnAThemeTogglesItAndKeepsTheSelection) {
    Start();
    IndexTree& tree = app->ui.mainWindow->Tree();
    ASSERT_TRUE(tree.IsRowExpanded(kButtonsThemeRow));
    ClickTreeRow(*app, kButtonsThemeRow, 2);
    EXPECT_FALSE(tree.IsRowExpanded(kButtonsThemeRow));
    EXPECT_EQ(tree.SelectedRow(), kButtonsThemeRow);
    ClickTreeRow(*app, kButtonsThemeRow, 2);
    EXPECT_TRUE(tree.IsRowExpanded(kButtonsThemeRow));
    EXPECT_EQ(tree.SelectedRow(), kButtonsThemeRow);
    EXPECT_TRUE(HistoryRows(*app).empty());
}

TEST_F(IndexTreeTest, DoubleClickOnALeafChangesNothing) {
    Start();
    IndexTree& tree = app->ui.mainWindow->Tree();
    ClickTreeRow(*app, kSimpleRow);
    const std::string title = app->ui.mainWindow->get_title();
    ClickTreeRow(*app, kSimpleRow, 2);
    EXPECT_EQ(tree.SelectedRow(), kSimpleRow);
    for (const int row : {kHeadRow, kOwnThemeRow, kButtonsThemeRow}) {
        EXPECT_TRUE(tree.IsRowExpanded(row)) << row;
    }
    EXPECT_EQ(app->ui.mainWindow->get_title(), title);
    EXPECT_EQ(HistoryRows(*app), (std::vector<std::string>{"Simple.kx"}));
}

TEST_F(IndexTreeTest, RowIndexForPathCountsRowsDepthFirst) {
    struct Case {
        const char* path;
        int row;
    };
    const Case cases[] = {
        {"0", 0},    {"0:0", 1}, {"0:0:0", 2},    {"0:0:0:0", 3}, {"0:0:1", 4},
        {"0:1", -1}, {"1", -1},  {"0:0:0:1", -1}, {"", -1},       {"x", -1},
    };
    FillNestedLibrary(folder);
    Launch();
    IndexTree& tree = app->ui.mainWindow->Tree();
    tree.CollapseAllRows();  // collapsed rows count the same
    for (const Case& c : cases) {
        EXPECT_EQ(tree.RowIndexForPath(c.path), c.row) << c.path;
    }
    tree.Clear();
    EXPECT_EQ(tree.RowIndexForPath("0"), -1);
}

// A left click on the expand toggle as the pointer delivers it.
void ClickExpandToggle(Application& app) {
    Gtk::EventBox* toggle = app.ui.mainWindow->ExpandToggle();
    ASSERT_NE(toggle, nullptr);
    for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(toggle->get_window()->gobj()));
        event->button.send_event = TRUE;
        event->button.button = 1;
        event->button.x = 8;
        event->button.y = 8;
        gdk_event_set_device(event,
                             gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    Settle(app);
}

TEST_F(IndexTreeTest, ExpandToggleClosesAndOpensEveryNode) {
    FillNestedLibrary(folder);
    Launch();
    IndexTree& tree = app->ui.mainWindow->Tree();
    auto* picture = dynamic_cast<Gtk::Image*>(app->ui.mainWindow->ExpandToggle()->get_child());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->get_pixbuf(), app->ui.pictures.Of(Picture::Expanded));
    MoveTreeCursor(*app, kChildRow);
    ClickExpandToggle(*app);  // GTK moves the selection up to the head, which is then shown
    EXPECT_EQ(tree.SelectedRow(), kHeadRow);
    EXPECT_EQ(DescriptionText(*app), "Head");
    for (const int row : {kHeadRow, kNestedThemeRow, kParentRow}) {
        EXPECT_FALSE(tree.IsRowExpanded(row)) << row;
    }
    EXPECT_EQ(picture->get_pixbuf(), app->ui.pictures.Of(Picture::Collapsed));
    ClickExpandToggle(*app);
    for (const int row : {kHeadRow, kNestedThemeRow, kParentRow}) {
        EXPECT_TRUE(tree.IsRowExpanded(row)) << row;
    }
    EXPECT_EQ(picture->get_pixbuf(), app->ui.pictures.Of(Picture::Expanded));
}

// Themes for the shading: the program's own theme first, then three more.
void FillThemedLibrary(const TempProgramFolder& folder, const std::vector<std::string>& preferences) {
    test::FillSmallLibrary(folder, preferences);
    folder.WriteFile("Quillmate-Toc.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<Library title="Themes">Head
  <Theme title="Quillmate">Own
    <Entry File="/Quillmate/ViewerHelp.txt" theme_de="Hilfe"/>
  </Theme>
  <Theme title="A">A<Entry File="/Buttons/Simple.kx" theme_de="&#x2730;Neu" theme_en="New"/></Theme>
  <Theme title="B">B<Entry File="/Buttons/Simple.kx" theme_de="&#x21BA;Anders" theme_en="Changed"/></Theme>
  <Theme title="C">C<Entry File="/Buttons/Simple.kx" theme_de="Gleich" theme_en="Same"/></Theme>
</Library>
)");
}

std::string ColourText(const std::optional<Gdk::RGBA>& colour) {
    if (!colour) {
        return "default";
    }
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour->get_red_u() >> 8, colour->get_green_u() >> 8,
                  colour->get_blue_u() >> 8);
    return text;
}

TEST_F(IndexTreeTest, RowColoursComeFromThePaletteOfTheStoredMode) {
    struct Case {
        const char* darkMode;
        std::vector<std::string> backgrounds;  // rows 0..8
    };
    const Case cases[] = {
        {"1",
         {"#666666", "#B8B8B8", "default", "#A1A1A1", "default", "#B0B0B0", "default", "#A1A1A1", "default"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("DarkMode=") + c.darkMode);
        FillThemedLibrary(folder, {std::string("DarkMode=") + c.darkMode});
        Launch();
        IndexTree& tree = app->ui.mainWindow->Tree();
        ASSERT_EQ(tree.RowCount(), static_cast<int>(c.backgrounds.size()));
        for (int row = 0; row < tree.RowCount(); ++row) {
            EXPECT_EQ(ColourText(tree.RowBackground(row)), c.backgrounds[static_cast<size_t>(row)]) << row;
            const std::string& background = c.backgrounds[static_cast<size_t>(row)];
            EXPECT_EQ(ColourText(tree.RowForeground(row)), row == 0                  ? "#FFFFFF"
                                                           : background == "default" ? "default"
                                                                                     : "#000000")
                << row;
        }
        app.reset();
    }
}

TEST_F(IndexTreeTest, MarkedEntriesShowTheirMarkAsIconWhenDyeingNews) {
    struct Case {
        const char* dyeingNews;
        const char* language;
        std::vector<std::string> texts;  // rows 4, 6 and 8
        std::vector<Picture> icons;      // Picture::AppIcon: none
    };
    const Case cases[] = {
        {"1",
         "0",
         {"Neu", "Anders", "Gleich"},
         {Picture::NewEntryMark, Picture::ChangedEntryMark, Picture::AppIcon}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("DyeingNews=") + c.dyeingNews + " Language=" + c.language);
        FillThemedLibrary(folder,
                          {std::string("DyeingNews=") + c.dyeingNews, std::string("Language=") + c.language});
        Launch();
        IndexTree& tree = app->ui.mainWindow->Tree();
        const int rows[] = {4, 6, 8};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(tree.RowText(rows[i]), c.texts[i]);
            const auto expected = c.icons[i] == Picture::AppIcon ? Glib::RefPtr<Gdk::Pixbuf>()
                                                                 : app->ui.pictures.Of(c.icons[i]);
            EXPECT_EQ(tree.RowIcon(rows[i]), expected) << rows[i];
        }
        app.reset();
    }
}

// Device pixels across the picture an image or a picture cell shows: its surface's, else its
// pixbuf's (gtkmm reads an unset surface as a wrapper of nothing).
int PixelsAcross(const Glib::RefPtr<Gdk::Pixbuf>& pixbuf, const Cairo::RefPtr<Cairo::Surface>& surface) {
    return surface && surface->cobj() ? cairo_image_surface_get_width(surface->cobj()) : pixbuf->get_width();
}

TEST_F(IndexTreeTest, PicturesAreDrawnForTheScaleFactorAndFollowIt) {
    GdkDisplay* display = gdk_display_get_default();
    if (!GDK_IS_X11_DISPLAY(display)) {
        GTEST_SKIP() << "the scale factor is set through the X11 display";
    }
    FillThemedLibrary(folder, {"DyeingNews=1", "Language=0"});
    Launch();
    OpenSettings();
    IndexTree& tree = Main().Tree();
    auto* toggle = dynamic_cast<Gtk::Image*>(Main().ExpandToggle()->get_child());
    auto* button = dynamic_cast<Gtk::Image*>(Main().SettingsButton()->get_image());
    auto* mark = dynamic_cast<Gtk::CellRendererPixbuf*>(tree.Column().get_cells().front());
    Gtk::ComboBox& languages = Settings().LanguageCombo();
    auto* flag = dynamic_cast<Gtk::CellRendererPixbuf*>(languages.get_cells().front());
    ASSERT_TRUE(toggle && button && mark && flag);
    for (const int scale : {1, 2, 1}) {
        SCOPED_TRACE(scale);
        gdk_x11_display_set_window_scale(display, scale);
        ASSERT_TRUE(test::RunUntil(*app, [&] {
            return toggle->get_scale_factor() == scale && languages.get_scale_factor() == scale;
        }));
        Settle();  // the windows learn of the new scale when the display reports their new sizes
        tree.Column().cell_set_cell_data(tree.get_model(), tree.get_model()->get_iter(tree.RowPath(4)), false,
                                         false);
        languages.get_area()->apply_attributes(languages.get_model(),
                                               languages.get_model()->children().begin(), false, false);
        EXPECT_EQ(PixelsAcross(toggle->get_pixbuf(), toggle->property_surface()), 16 * scale);
        EXPECT_EQ(PixelsAcross(button->get_pixbuf(), button->property_surface()), 16 * scale);
        EXPECT_EQ(PixelsAcross(mark->property_pixbuf(), mark->property_surface()), 16 * scale);
        EXPECT_EQ(PixelsAcross(flag->property_pixbuf(), flag->property_surface()), 16 * scale);
    }
}

// Row texts for the markup: a theme with an ampersand, hints at depth 2 and 3, and the same
// theme title as a plain depth-3 row to compare widths with.
void FillMarkupLibrary(const TempProgramFolder& folder) {
    test::FillSmallLibrary(folder);
    folder.WriteFile("Quillmate-Toc.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<Library title="Markup">Head
  <Theme title="Tips &amp; Tricks">Tips
    <Entry File="/a.kx" theme_de="gtk_widget_show [&gt;=gtk3.10] and more">
      <Entry File="/b.kx" theme_de="Tips &amp; Tricks"/>
      <Entry File="/c.kx" theme_de="deep [&gt;=gtk3.10]"/>
    </Entry>
    <Entry File="/d.kx" theme_de="old [gtk2] only"/>
    <Entry File="/e.kx" theme_de="open [&gt;=gtk3.4 never closed"/>
  </Theme>
</Library>
)");
}
constexpr int kTipsThemeRow = 1;
constexpr int kHintRow = 2;
constexpr int kPlainTipsRow = 3;
constexpr int kDeepHintRow = 4;
constexpr int kGtk2Row = 5;
constexpr int kOpenHintRow = 6;

// Runs the column's attributes and cell-data functions for a row, as a redraw does.
void ApplyCellData(IndexTree& tree, int row) {
    const auto iter = tree.get_model()->get_iter(tree.RowPath(row));
    tree.Column().cell_set_cell_data(tree.get_model(), iter, false, tree.IsRowExpanded(row));
}

TEST_F(IndexTreeTest, RowMarkupShowsWhatTheRendererIsGiven) {
    struct Case {
        int row;
        std::string shown;  // the renderer's text after the markup was parsed
    };
    const Case cases[] = {
        {kTipsThemeRow, "Tips & Tricks"},
        {kHintRow, "gtk_widget_show [>=gtk3.10]"},  // words after the hint are not shown
        {kPlainTipsRow, "Tips & Tricks"},
        {kDeepHintRow, "deep [>=gtk3.10]"},
        {kGtk2Row, "old [gtk2] only"},
        {kOpenHintRow, "open "},  // a hint without "]": only the text before "["
    };
    FillMarkupLibrary(folder);
    Launch();
    IndexTree& tree = app->ui.mainWindow->Tree();
    for (const Case& c : cases) {
        ApplyCellData(tree, c.row);
        EXPECT_EQ(tree.TextRenderer().property_text().get_value(), c.shown) << c.row;
    }
    // The row texts themselves stay plain.
    EXPECT_EQ(tree.RowText(kHintRow), "gtk_widget_show [>=gtk3.10] and more");
}

TEST_F(IndexTreeTest, ThemeRowsAreDrawnBold) {
    FillMarkupLibrary(folder);
    Launch();
    IndexTree& tree = app->ui.mainWindow->Tree();
    auto widthOf = [&](int row) {
        ApplyCellData(tree, row);
        int minimum = 0;
        int natural = 0;
        tree.TextRenderer().get_preferred_width(tree, minimum, natural);
        return natural;
    };
    // The same text, bold on the theme row and plain on the depth-3 row.
    EXPECT_GT(widthOf(kTipsThemeRow), widthOf(kPlainTipsRow));
}

// Pixels of the hint colour in a row's cell, in the tree drawn as it is on screen.
int HintPixelsInRow(Application& app, int row) {
    IndexTree& tree = app.ui.mainWindow->Tree();
    Gdk::Rectangle cell;
    tree.get_cell_area(tree.RowPath(row), tree.Column(), cell);
    int binX = 0;
    int binY = 0;
    tree.convert_bin_window_to_widget_coords(cell.get_x(), cell.get_y(), binX, binY);
    int count = 0;
    for (int x = binX; x < binX + cell.get_width(); x += 2) {
        if (test::PixelColour(tree, x, binY + cell.get_height() / 2) == "#9ACD32") {
            ++count;
        }
    }
    return count;
}

TEST_F(IndexTreeTest, VersionHintsAreDrawnOnTheHintColourAtDepthTwoOnly) {
    FillMarkupLibrary(folder);
    Launch();
    EXPECT_GT(HintPixelsInRow(*app, kHintRow), 10);
    EXPECT_EQ(HintPixelsInRow(*app, kDeepHintRow), 0);
    EXPECT_EQ(HintPixelsInRow(*app, kGtk2Row), 0);
    EXPECT_EQ(HintPixelsInRow(*app, kTipsThemeRow), 0);
}

}  // namespace
}  // namespace quillmate
