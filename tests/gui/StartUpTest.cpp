// The real start-up against temporary program folders.
#include <filesystem>
#include <functional>

#include "ProgramDriver.h"
#include "app/EventLoop.h"
#include "database/IndexTreeActions.h"

namespace quillmate {
namespace {

using test::DialogWatcher;
using test::TempProgramFolder;

// Runs the whole program on `folder`, with dialogs answered and echoed, then the event loop.
[[noreturn]] void RunWholeProgram(const TempProgramFolder& folder,
                                  const std::function<void(Application&)>& drive = {}) {
    DialogWatcher watcher(true);
    auto app = test::StartProgram(folder);
    if (drive) {
        drive(*app);
    }
    RunEventLoop(*app);
    EndProgram(*app);
}

TEST(StartUpTest, ShowsTheMainWindowWithTheDatabaseAsTree) {
    test::Program program;
    program.Start();
    Application& app = *program.app;
    MainWindow& window = program.Main();
    EXPECT_TRUE(window.get_mapped());
    EXPECT_EQ(window.get_title(), "Quillmate");
    EXPECT_EQ(window.Tree().RowCount(), 7);
    EXPECT_EQ(app.records.entries.size(), 7u);
    EXPECT_EQ(app.records.state.themeCount, 1);  // the program's own theme does not count
    EXPECT_EQ(app.records.state.entryCount, 3);
    EXPECT_EQ(app.records.state.helpEntryIndex, 2);
    EXPECT_EQ(app.records.state.dbVersion, "2026-12-01");
    EXPECT_EQ(window.Tree().SelectedRow(), 0);
    for (const auto& seen : program.watcher.Seen()) {
        ADD_FAILURE() << "unexpected dialog " << seen.title << ": " << seen.text;
    }
}

TEST(StartUpTest, EscapeEndsTheProgramWithStatusZero) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    EXPECT_EXIT(
        RunWholeProgram(folder, [](Application& app) { test::SendKey(*app.ui.mainWindow, GDK_KEY_Escape); }),
        ::testing::ExitedWithCode(0), "");
}

TEST(StartUpTest, ClosingTheMainWindowEndsTheProgramWithStatusZero) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    EXPECT_EXIT(RunWholeProgram(folder,
                                [](Application& app) {
                                    GdkEvent* event = gdk_event_new(GDK_DELETE);
                                    event->any.window =
                                        GDK_WINDOW(g_object_ref(app.ui.mainWindow->get_window()->gobj()));
                                    gtk_main_do_event(event);
                                    gdk_event_free(event);
                                }),
                ::testing::ExitedWithCode(0), "");
}

TEST(StartUpTest, MissingDatabaseIsReportedAndEndsWithStatusZero) {
    TempProgramFolder folder;
    // The stored path names a folder without a database: the database file there is missing.
    folder.WritePreferences({"db-path=" + folder.Path(), "about=1"});
    EXPECT_EXIT(RunWholeProgram(folder), ::testing::ExitedWithCode(0),
                "DIALOG Quillmate-Error: The database '.*Quillmate-Toc.xml' cannot be opened\\.");
}

TEST(StartUpTest, EmptyDatabaseIsReportedAsNotOpenable) {
    TempProgramFolder folder;
    folder.WriteFile("Quillmate-Toc.xml", "");
    folder.WritePreferences({"db-path=" + folder.Path() + "Quillmate-Toc.xml", "about=1"});
    EXPECT_EXIT(RunWholeProgram(folder), ::testing::ExitedWithCode(0),
                "DIALOG Quillmate-Error: The database '.*' cannot be opened\\.");
}

TEST(StartUpTest, MalformedDatabaseShowsTheParserMessage) {
    TempProgramFolder folder;
    folder.WriteFile("Quillmate-Toc.xml", "<Library title=\"x\">\n<Theme title=\"a\">\n</Library>\n");
    folder.WritePreferences({"db-path=" + folder.Path() + "Quillmate-Toc.xml", "about=1"});
    EXPECT_EXIT(
        RunWholeProgram(folder), ::testing::ExitedWithCode(0),
        "DIALOG QuillmateError: Error in the XML file:\rMessage: mismatched tag\rLine: 3   Character: 3");
}

TEST(StartUpTest, FirstStartWithCancelledRequesterEndsWithoutPreferences) {
    TempProgramFolder folder;
    EXPECT_EXIT(RunWholeProgram(folder), ::testing::ExitedWithCode(0),
                "DIALOG Quillmate-Error: No database selected. Programm canceled!");
    EXPECT_EXIT(RunWholeProgram(folder), ::testing::ExitedWithCode(0),
                "DIALOG Choose database 'Quillmate-Toc.xml' ...: \\(file requester\\)");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "QuillmateViewer.ini"));
}

TEST(StartUpTest, SampleLibraryStartsAndCountsMatchTheDatabase) {
    test::Program program;
    const TempProgramFolder& folder = program.folder;
    std::filesystem::copy(std::string(QUILLMATE_SOURCE_DIR) + "/library", folder.Path(),
                          std::filesystem::copy_options::recursive);
    test::FillSmallLibrary(folder);  // for its preferences file
    std::filesystem::copy_file(std::string(QUILLMATE_SOURCE_DIR) + "/library/Quillmate-Toc.xml",
                               folder.Path() + "Quillmate-Toc.xml",
                               std::filesystem::copy_options::overwrite_existing);
    program.Launch();
    Application& app = *program.app;
    int themes = 0;
    int entries = 0;
    bool ownTheme = false;
    IndexTree& tree = program.Main().Tree();
    for (int row = 0; row < tree.RowCount(); ++row) {
        if (tree.RowDepth(row) == 1) {
            ownTheme = tree.RowText(row) == "Quillmate";
            themes += ownTheme ? 0 : 1;
        } else if (tree.RowDepth(row) == 2 && !ownTheme &&
                   !app.records.entries[static_cast<size_t>(row)].file.empty()) {
            ++entries;
        }
    }
    EXPECT_GE(themes, 10);
    EXPECT_EQ(app.records.state.themeCount, themes);
    EXPECT_EQ(app.records.state.entryCount, entries);
    // Every entry of the library shows its file without the missing-file road.
    for (int row = 0; row < tree.RowCount(); ++row) {
        tree.SelectRow(row);
        ShowSelectedEntry(app, WidgetEventType::Change);
        EXPECT_EQ(app.ui.mainWindow->Code().Text().find("Missing file!"), std::string::npos)
            << tree.RowText(row);
    }
    EXPECT_TRUE(program.watcher.Seen().empty());
}

}  // namespace
}  // namespace quillmate
