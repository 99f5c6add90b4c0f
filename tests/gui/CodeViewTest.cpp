// The code view in the running program: code files of entries, missing files and the colour
// of the description line, and files dropped from a file manager.
#include <glibmm/convert.h>
#include <glibmm/main.h>
#include <glibmm/miscutils.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiHarness.h"
#include "ProgramDriver.h"
#include "app/FirstMonitor.h"
#include "app/MainWindow.h"
#include "viewer/CodeViewer.h"

namespace quillmate {
namespace {

using CodeViewTest = test::ProgramTest;

using test::CodeText;
using test::DescriptionText;
using test::MoveTreeCursor;
using test::Settle;

using test::kButtonsThemeRow;
using test::kLabelRow;
using test::kMissingRow;
using test::kSimpleRow;

constexpr const char* kWarningColour = "#E09183";
constexpr const char* kBoxedMissingText =
    "*************************\n***   Missing file!   ***\n*************************";

// The colour of the description line's background, away from its text.
std::string DescriptionColour(Application& app) {
    Gtk::TextView& line = app.ui.mainWindow->DescriptionLine();
    return test::PixelColour(line, line.get_allocated_width() - 8, line.get_allocated_height() - 6);
}

TEST_F(CodeViewTest, MissingFileIsReportedOnceAndColoursTheDescriptionLine) {
    Start();
    const std::string normal = DescriptionColour(*app);
    ASSERT_NE(normal, kWarningColour);

    MoveTreeCursor(*app, kMissingRow);
    EXPECT_EQ(DescriptionText(*app), "Fehlt");
    EXPECT_EQ(DescriptionColour(*app), kWarningColour);
    EXPECT_EQ(CodeText(*app), "");
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].title, "Quillmate");
    EXPECT_EQ(watcher.Seen()[0].text,
              "Missing file:\n/Buttons/Missing.kx\n\nCheck library-path in settings:\n" +
                  app->records.location.libPath);
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ /Buttons/Missing.kx");

    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(DescriptionColour(*app), normal);

    // The second missing file in a row shows the boxed text instead of a second box.
    MoveTreeCursor(*app, kMissingRow);
    EXPECT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(CodeText(*app), kBoxedMissingText);
    EXPECT_EQ(DescriptionColour(*app), kWarningColour);

    // A theme row leaves the colour alone; the next entry that loads resets it.
    MoveTreeCursor(*app, kButtonsThemeRow);
    EXPECT_EQ(DescriptionText(*app), "Buttons text");
    EXPECT_EQ(DescriptionColour(*app), kWarningColour);
    MoveTreeCursor(*app, kLabelRow);
    EXPECT_EQ(DescriptionColour(*app), normal);
    EXPECT_EQ(CodeText(*app), "; Button with label\nText$ = \"Hello\"");
}

TEST_F(CodeViewTest, MissingFileBoxFitsTheScreenWhateverItsPath) {
    test::FillSmallLibrary(folder, {"Lib-path=/" + std::string(100000, 'x')});
    Launch();
    MoveTreeCursor(*app, kSimpleRow);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_GT(watcher.Seen()[0].width, 0);
    EXPECT_LE(watcher.Seen()[0].width, FirstMonitor().width * 2 / 3);
}

TEST_F(CodeViewTest, LibraryFolderWithoutTrailingSlashStillFindsTheFiles) {
    test::FillSmallLibrary(folder, {"Lib-path=" + folder.Path() + "lib"});
    folder.WriteFile("lib/Buttons/Simple.kx", "; from the library folder\n");
    Launch();
    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(CodeText(*app), "; from the library folder");
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_NE(DescriptionColour(*app), kWarningColour);
}

TEST_F(CodeViewTest, CodeFileGoesIntoTheViewInOneInsertion) {
    test::FillSmallLibrary(folder);
    std::string code;
    for (int i = 0; i < 200; ++i) {
        code += "Line " + std::to_string(i) + "\r\n";
    }
    folder.WriteFile("Buttons/Simple.kx", code);
    Launch();
    int insertions = 0;
    app->ui.mainWindow->Code().View().get_buffer()->signal_insert().connect(
        [&insertions](const Gtk::TextIter&, const Glib::ustring&, int) { ++insertions; });
    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(app->ui.mainWindow->Code().View().get_buffer()->get_line_count(), 200);
}

TEST_F(CodeViewTest, CharactersBeyondTheBasicPlaneAreShownAsThemselves) {
    test::FillSmallLibrary(folder);
    // UTF-8 with byte-order mark: U+1F600 and U+10348 in a string, U+00E4 before them.
    folder.WriteFile("Buttons/Simple.kx", "\xEF\xBB\xBFs$ = \"\xC3\xA4\xF0\x9F\x98\x80\xF0\x90\x8D\x88\"\n");
    Launch();
    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(CodeText(*app), "s$ = \"\xC3\xA4\xF0\x9F\x98\x80\xF0\x90\x8D\x88\"");
    EXPECT_EQ(app->ui.mainWindow->Code().View().get_buffer()->get_char_count(), 10);
    EXPECT_EQ(app->ui.mainWindow->Code().FileInfo().srcUtf8, 1);
}

// Drops a list of URIs onto the code view through its "drag-data-received" handler, with the
// data in a real selection record of type text/uri-list.
void DropUris(Application& app, const std::vector<std::string>& uris) {
    std::vector<gchar*> list;
    for (const auto& uri : uris) {
        list.push_back(const_cast<gchar*>(uri.c_str()));
    }
    list.push_back(nullptr);
    GtkClipboard* clipboard = gtk_clipboard_get(gdk_atom_intern_static_string("QUILLMATE_TEST_DROP"));
    const GtkTargetEntry target{const_cast<gchar*>("text/uri-list"), 0, 0};
    gtk_clipboard_set_with_data(
        clipboard, &target, 1,
        [](GtkClipboard*, GtkSelectionData* data, guint, gpointer owner) {
            gtk_selection_data_set_uris(data, static_cast<gchar**>(owner));
        },
        nullptr, list.data());
    GtkSelectionData* data =
        gtk_clipboard_wait_for_contents(clipboard, gdk_atom_intern("text/uri-list", FALSE));
    ASSERT_NE(data, nullptr);
    gtk_clipboard_clear(clipboard);
    g_signal_emit_by_name(app.ui.mainWindow->Code().View().gobj(), "drag-data-received", nullptr, 20, 20,
                          data, 0u, static_cast<guint>(GDK_CURRENT_TIME));
    gtk_selection_data_free(data);
    Settle(app);
}

std::string UriOf(const std::string& path) {
    return Glib::filename_to_uri(path);
}

TEST_F(CodeViewTest, DroppedCodeFileIsShownAsExternalFile) {
    test::FillSmallLibrary(folder);
    folder.WriteFile("outside/My Example.kx", "; dropped\nEnd\n");
    Launch();
    MoveTreeCursor(*app, kSimpleRow);
    const std::string uri = UriOf(folder.Path() + "outside/My Example.kx");
    ASSERT_NE(uri.find("%20"), std::string::npos);
    DropUris(*app, {uri});
    EXPECT_EQ(CodeText(*app), "; dropped\nEnd");
    EXPECT_EQ(DescriptionText(*app), "Extern file ...");
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), -1);
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ My Example.kx");
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(app->ui.mainWindow->Code().CurrentEntryFile(),
              "/Buttons/Simple.kx");  // copying and opening name the entry
    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(CodeText(*app), "; Simple button\nOpenWindow()");
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ /Buttons/Simple.kx");
}

TEST_F(CodeViewTest, OnlyTheFirstDroppedFileCountsAndDecidesByItsType) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        std::string message;  // empty: the first file is shown
    };
    const Case cases[] = {
        {"code file first", {"a.kx", "b.txt"}, ""},
        {"text file first", {"b.txt", "a.kx"}, "File type 'txt' not supported!\nNot loaded!"},
        {"no extension", {"Makefile"}, "File type '' not supported!\nNot loaded!"},
        {"upper-case extension", {"c.KX"}, "File type 'KX' not supported!\nNot loaded!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FillSmallLibrary(folder);
        std::vector<std::string> uris;
        for (const auto& file : c.files) {
            folder.WriteFile("outside/" + file, "; " + file + "\n");
            uris.push_back(UriOf(folder.Path() + "outside/" + file));
        }
        const std::size_t seen = watcher.Seen().size();
        Launch();
        MoveTreeCursor(*app, kSimpleRow);
        DropUris(*app, uris);
        if (c.message.empty()) {
            EXPECT_EQ(CodeText(*app), "; " + c.files[0]);
            EXPECT_EQ(watcher.Seen().size(), seen);
        } else {
            // Refused: the message, and everything stays as it was.
            ASSERT_EQ(watcher.Seen().size(), seen + 1);
            EXPECT_EQ(watcher.Seen().back().title, "Quillmate");
            EXPECT_EQ(watcher.Seen().back().text, c.message);
            EXPECT_EQ(CodeText(*app), "; Simple button\nOpenWindow()");
            EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
            EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), kSimpleRow);
            EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ /Buttons/Simple.kx");
            EXPECT_EQ(app->ui.mainWindow->Code().FileInfo(), CodeFileInfo{});
        }
        app.reset();
    }
}

TEST_F(CodeViewTest, DropOfNothingLocalChangesNothing) {
    Start();
    MoveTreeCursor(*app, kSimpleRow);
    DropUris(*app, {"http://example.org/a.kx", "file://far.example.org/tmp/a.kx"});
    EXPECT_EQ(CodeText(*app), "; Simple button\nOpenWindow()");
    EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), kSimpleRow);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(CodeViewTest, DroppedFileNamesAreDecodedFromTheirUris) {
    struct Case {
        std::string list;  // a text/uri-list as it comes
        std::string names;
    };
    const std::string host = Glib::get_host_name();
    const Case cases[] = {
        {"file:///tmp/My%20Example.kx\r\n", "/tmp/My Example.kx"},
        {"file:///tmp/%C3%9Cber.kx\r\n",
         "/tmp/\xC3\x9C"
         "ber.kx"},
        {"file:///tmp/%E4.kx\r\n", "/tmp/\xE4.kx"},  // not UTF-8: the bytes as they are named
        {"file://localhost/tmp/a.kx\r\n", "/tmp/a.kx"},
        {"file://" + host + "/tmp/a.kx", "/tmp/a.kx"},
        {"file:///tmp/a.kx\r\nfile:///tmp/b.kx\r\n", "/tmp/a.kx\n/tmp/b.kx"},
        {"# a comment\nhttp://example.org/a.kx\nfile:///tmp/b.kx\n", "/tmp/b.kx"},
        {"file://far.example.org/tmp/a.kx\r\n", ""},
        {"not a uri\r\n", ""},
        {std::string("\xFF\xFE\0file:///tmp/\xE4\x80.kx\r\n\x01", 24), ""},  // garbage, taken quietly
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DroppedFileNames(c.list), c.names) << c.list;
    }
}

TEST_F(CodeViewTest, DroppedFileWithNonUtf8NameIsLoadedAndTitledReadably) {
    test::FillSmallLibrary(folder);
    folder.WriteFile("outside/\xE4pfel.kx", "; Latin-1 name\n");
    folder.WriteFile(
        "outside/\xC3\x9C"
        "ber.kx",
        "; UTF-8 name\n");
    Launch();
    DropUris(*app, {UriOf(folder.Path() + "outside/\xE4pfel.kx")});
    EXPECT_EQ(CodeText(*app), "; Latin-1 name");
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ \xEF\xBF\xBDpfel.kx");
    DropUris(*app, {UriOf(folder.Path() + "outside/\xC3\x9C"
                                          "ber.kx")});
    EXPECT_EQ(CodeText(*app), "; UTF-8 name");
    EXPECT_EQ(app->ui.mainWindow->get_title(),
              "Quillmate ~ \xC3\x9C"
              "ber.kx");
}

TEST_F(CodeViewTest, DroppedMissingFileIsReportedWithItsTitleAlreadySet) {
    test::FillSmallLibrary(folder);
    folder.WriteFile("outside/Gone.kx", "; soon gone\n");
    const std::string uri = UriOf(folder.Path() + "outside/Gone.kx");
    std::remove((folder.Path() + "outside/Gone.kx").c_str());
    Launch();
    MoveTreeCursor(*app, kSimpleRow);
    DropUris(*app, {uri});
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text.rfind("Missing file:\n" + folder.Path() + "outside/Gone.kx\n", 0), 0u);
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ Gone.kx");
    EXPECT_EQ(CodeText(*app), "");
    // Not shown: the description and the selection stay.
    EXPECT_EQ(DescriptionText(*app), "Ein Knopf");
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), kSimpleRow);
}

}  // namespace
}  // namespace quillmate

namespace quillmate {
namespace {

// Through the real queue: the window answers while a very large file goes in, and a key that
// chooses another entry meanwhile stops the load; choosing the file again loads it afresh.
TEST_F(CodeViewTest, VeryLargeFileLoadsWhileTheWindowAnswersAndANewerChoiceStopsIt) {
    test::FillSmallLibrary(folder);
    std::string code;
    for (int line = 0; code.size() < 3 * kCodeTextSlice; ++line) {
        code += "Text$ = \"Zeile " + std::to_string(line) + " \xE4\xF6\xFC\" ; comment\n";
    }
    folder.WriteFile("Buttons/Simple.kx", code);
    Launch();
    code.pop_back();  // the view holds no line feed after the last line
    const std::string shown = Glib::convert(code, "UTF-8", "ISO-8859-1");
    const std::string label = "; Button with label\nText$ = \"Hello\"";
    // A timer that finds the description written but the title not yet proves that the window
    // answered during the load; in the second round it chooses the next entry by a key.
    bool answered = false;
    bool interrupt = false;
    sigc::connection timer = Glib::signal_timeout().connect(
        [&] {
            if (DescriptionText(*app) == "Ein Knopf" &&
                app->ui.mainWindow->get_title() != "Quillmate ~ /Buttons/Simple.kx" && !answered) {
                answered = true;
                if (interrupt) {
                    test::SendKey(*app->ui.mainWindow, GDK_KEY_Down);
                }
            }
            return true;
        },
        1);
    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(CodeText(*app), shown);
    EXPECT_TRUE(answered);
    MoveTreeCursor(*app, kLabelRow);

    answered = false;
    interrupt = true;
    std::vector<std::string> titles;
    sigc::connection titleWatch = app->ui.mainWindow->property_title().signal_changed().connect(
        [&] { titles.push_back(app->ui.mainWindow->get_title()); });
    MoveTreeCursor(*app, kSimpleRow);
    timer.disconnect();
    titleWatch.disconnect();
    ASSERT_TRUE(answered);
    EXPECT_TRUE(titles.empty());  // never the large file's
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), kLabelRow);
    EXPECT_EQ(CodeText(*app), label);
    EXPECT_EQ(app->ui.mainWindow->get_title(), "Quillmate ~ /Buttons/Label.kx");
    EXPECT_EQ(DescriptionText(*app), "Knopf mit Text");
    MoveTreeCursor(*app, kSimpleRow);
    EXPECT_EQ(CodeText(*app), shown);
}

TEST_F(CodeViewTest, GutterNumbersTheFilesLinesOnceEachWhetherCutOrWrapped) {
    std::string longLine;  // 1,030 characters: the view cuts it once
    for (int i = 0; i < 206; ++i) {
        longLine += "word ";
    }
    Start();
    folder.WriteFile("Buttons/Simple.kx",
                     "; first\nx = 1\n" + longLine + "\n; last\n; IDE Options = Korvex\n; EnableUnicode\n");
    ShowRow(kSimpleRow);
    CodeViewer& code = Main().Code();
    EXPECT_TRUE(code.VisibleLineNumbers().empty());
    OpenSettings();
    Settings().LineNumbersCheck().set_active(true);
    Click(Settings().SaveButton());
    EXPECT_NE(folder.ReadFile("QuillmateViewer.ini").find("LineNumbers=1\n"), std::string::npos);
    // Where the numbers stand: the cut-off piece is a row of its own below line 3, unnumbered;
    // wrapped, line 3 takes several rows and still one number.
    for (const bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "wrapped" : "not wrapped");
        if (wrapped) {
            test::SendKey(Main(), GDK_KEY_F5);
            Settle();
        }
        const std::vector<CodeViewer::LineNumberMark> marks = code.VisibleLineNumbers();
        ASSERT_EQ(marks.size(), 4u);
        for (std::uint32_t line = 0; line < 4; ++line) {
            EXPECT_EQ(marks[line].number, line + 1);
        }
        const int lineHeight = marks[1].y - marks[0].y;
        EXPECT_GT(lineHeight, 0);
        EXPECT_EQ(marks[2].y - marks[1].y, lineHeight);
        EXPECT_EQ(marks[3].y - marks[2].y > 2 * lineHeight, wrapped);
        EXPECT_GE(marks[3].y - marks[2].y, 2 * lineHeight);
    }
}

TEST_F(CodeViewTest, FindBarMarksWalksAndFollowsTheShownCode) {
    Start();
    folder.WriteFile("Buttons/Simple.kx", "Open open\nOPEN one\nopen\n");
    ShowRow(kSimpleRow);
    MainWindow& window = *app->ui.mainWindow;
    FindBar& bar = window.Finder();
    const auto selected = [&] {
        Gtk::TextIter start;
        Gtk::TextIter end;
        window.Code().View().get_buffer()->get_selection_bounds(start, end);
        return std::pair{start.get_offset(), end.get_offset()};
    };
    test::SendKey(window, GDK_KEY_f, GDK_CONTROL_MASK);
    Settle();
    ASSERT_TRUE(bar.IsOpen());
    EXPECT_TRUE(bar.Entry().is_focus());
    bar.Entry().set_text("open");
    Settle();
    // Case ignored: four matches, the first current; Enter and Shift+Enter walk round the ends.
    struct Step {
        guint key;
        GdkModifierType state;
        const char* count;
        std::pair<int, int> selection;
    };
    const Step steps[] = {{0, GdkModifierType(0), "1 / 4", {0, 4}},
                          {GDK_KEY_Return, GdkModifierType(0), "2 / 4", {5, 9}},
                          {GDK_KEY_Return, GDK_SHIFT_MASK, "1 / 4", {0, 4}},
                          {GDK_KEY_Return, GDK_SHIFT_MASK, "4 / 4", {19, 23}},
                          {GDK_KEY_Return, GdkModifierType(0), "1 / 4", {0, 4}}};
    for (const Step& step : steps) {
        if (step.key != 0) {
            test::SendKey(window, step.key, step.state);
            Settle();
        }
        EXPECT_EQ(bar.CountLabel().get_text(), step.count);
        EXPECT_EQ(selected(), step.selection);
    }
    bar.MatchCaseButton().set_active(true);
    Settle();
    EXPECT_EQ(bar.CountLabel().get_text(), "1 / 2");
    // Delete edits the term, the index search keeps its text; a new file is searched at once.
    Main().SearchEntry().set_text("gtk");
    bar.Entry().set_position(-1);
    test::SendKey(window, GDK_KEY_BackSpace);
    test::SendKey(window, GDK_KEY_Home);
    test::SendKey(window, GDK_KEY_Delete);
    Settle();
    EXPECT_EQ(bar.Term(), "pe");
    EXPECT_EQ(Main().SearchEntry().get_text(), "gtk");
    ShowRow(kLabelRow);
    EXPECT_TRUE(bar.IsOpen());
    EXPECT_EQ(bar.CountLabel().get_text(), "0 / 0");
    // Escape closes only the bar: the marks go, the program runs on, the code view has the focus.
    test::SendKey(window, GDK_KEY_Escape);
    Settle();
    EXPECT_FALSE(bar.IsOpen());
    EXPECT_FALSE(app->records.state.quitRequest);
    EXPECT_TRUE(window.Code().View().is_focus());
    EXPECT_EQ(window.Code().FoundPosition().count, 0u);
}

}  // namespace
}  // namespace quillmate
