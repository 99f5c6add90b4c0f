// The real start-up against temporary program folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "GuiHarness.h"
#include "app/Application.h"
#include "app/EventLoop.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"

namespace quillmate {
namespace {

using test::DialogWatcher;
using test::PumpUntil;
using test::TempProgramFolder;

// Runs the whole program on `folder`, with dialogs answered and echoed, then the event loop.
[[noreturn]] void RunWholeProgram(const TempProgramFolder& folder,
                                  const std::function<void(Application&)>& drive = {}) {
    DialogWatcher watcher(true);
    ASSERT_EQ(::chdir(folder.Path().c_str()), 0);
    Application app(folder.Path());
    StartUp(app);
    if (drive) {
        drive(app);
    }
    RunEventLoop(app);
    EndProgram(app);
}

TEST(StartUpTest, ShowsTheMainWindowWithTheDatabaseAsTree) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    ASSERT_EQ(::chdir(folder.Path().c_str()), 0);
    Application app(folder.Path());
    StartUp(app);
    ASSERT_TRUE(app.mainWindow);
    MainWindow& window = *app.mainWindow;
    EXPECT_TRUE(PumpUntil([&] { return window.get_mapped(); }));
    EXPECT_EQ(window.get_title(), "Quillmate");
    EXPECT_EQ(window.Tree().RowCount(), 7);
    EXPECT_EQ(app.entries.size(), 7u);
    EXPECT_EQ(app.state.themeCount, 1);  // the program's own theme does not count
    EXPECT_EQ(app.state.entryCount, 3);
    EXPECT_EQ(app.state.helpEntryIndex, 2);
    EXPECT_EQ(app.state.dbVersion, "2026-12-01");
    EXPECT_EQ(window.Tree().SelectedRow(), 0);
    for (const auto& seen : watcher.Seen()) {
        ADD_FAILURE() << "unexpected dialog " << seen.title << ": " << seen.text;
    }
}

TEST(StartUpTest, EscapeEndsTheProgramWithStatusZero) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    EXPECT_EXIT(RunWholeProgram(folder,
                                [](Application& app) {
                                    PumpUntil([&] { return app.mainWindow->get_mapped(); });
                                    test::SendKey(*app.mainWindow, GDK_KEY_Escape);
                                }),
                ::testing::ExitedWithCode(0), "");
}

TEST(StartUpTest, ClosingTheMainWindowEndsTheProgramWithStatusZero) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    EXPECT_EXIT(RunWholeProgram(folder,
                                [](Application& app) {
                                    PumpUntil([&] { return app.mainWindow->get_mapped(); });
                                    GdkEvent* event = gdk_event_new(GDK_DELETE);
                                    event->any.window =
                                        GDK_WINDOW(g_object_ref(app.mainWindow->get_window()->gobj()));
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

}  // namespace
}  // namespace quillmate
