// The clipboard actions, the external programs, the about dialogs and the update window,
// driven through the real start-up and the program's own event dispatch.
#include <glibmm/main.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/clipboard.h>

#include <filesystem>

#include "ProgramDriver.h"
#include "RecordingPrograms.h"
#include "TinyHttpServer.h"
#include "app/EventLoop.h"
#include "base/Paths.h"
#include "database/IndexTreeActions.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "settings/UpdateWindow.h"

namespace quillmate {
namespace {

using test::kButtonsThemeRow;
using test::kHelpRow;
using test::kLabelRow;
using test::kSimpleRow;
using test::RecordedCall;
using test::RecordingPrograms;
using test::RunUntil;

std::string ClipboardText() {
    return Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->wait_for_text();
}

void SetClipboardText(const std::string& text) {
    Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->set_text(text);
}

void Post(Application& app, WindowId window, Command command) {
    app.services.queue.Post(CommandEvent(window, command));
}

using QuickCopyTest = test::ProgramTest;
using DatabaseInfoTest = test::ProgramTest;
using AboutDialogTest = test::ProgramTest;

TEST_F(QuickCopyTest, PutsTheWholeCodeOnTheClipboardAndLeavesNoSelection) {
    Start({"LineNumbers=1"});
    ShowRow(kLabelRow);
    const auto buffer = app->ui.mainWindow->Code().View().get_buffer();
    ASSERT_EQ(app->ui.mainWindow->Code().Text(), "; Button with label\nText$ = \"Hello\"");

    SetClipboardText("before");
    app->services.queue.Post(
        WidgetEvent(WindowId::Main, WidgetId::QuickCopyButton, WidgetEventType::LeftClick));
    Settle();
    // The option trailer is not part of the view, so it is not copied either; nor are the line numbers.
    EXPECT_EQ(ClipboardText(), "; Button with label\nText$ = \"Hello\"");
    EXPECT_FALSE(buffer->get_has_selection());
}

TEST_F(QuickCopyTest, AnEmptyCodeViewCopiesNothing) {
    Start();
    ShowRow(kButtonsThemeRow);
    ASSERT_EQ(app->ui.mainWindow->Code().Text(), "");
    SetClipboardText("before");
    app->services.queue.Post(
        WidgetEvent(WindowId::Main, WidgetId::QuickCopyButton, WidgetEventType::LeftClick));
    Settle();
    EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(QuickCopyTest, CopiedCodeSurvivesAnOrderlyEnd) {
    // The end hands the clipboard to a clipboard manager when there is one; without one it must
    // not wait for it.
    EXPECT_EXIT(
        {
            Start();
            ShowRow(kSimpleRow);
            app->services.queue.Post(
                WidgetEvent(WindowId::Main, WidgetId::QuickCopyButton, WidgetEventType::LeftClick));
            Post(*app, WindowId::Main, Command::Quit);
            RunEventLoop(*app);
            EndProgram(*app);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DatabaseInfoTest, ShowsTheDatabaseTheCountsAndTheSelectedFile) {
    Start();
    ASSERT_TRUE(app->ui.databaseInfoWindow);
    DatabaseInfoWindow& window = *app->ui.databaseInfoWindow;
    EXPECT_FALSE(window.get_visible());

    ShowRow(kLabelRow);
    Post(*app, WindowId::Main, Command::AboutDatabase);
    ASSERT_TRUE(RunUntil(*app, [&] { return window.get_mapped(); }));
    EXPECT_EQ(window.get_title(), "About: Current database & file");
    EXPECT_EQ(window.DatabaseText(), folder.Path() + "Quillmate-Toc.xml");
    EXPECT_EQ(window.ContentText(), "Test library - Head text");
    EXPECT_EQ(window.LibraryText(), app->records.location.libPath);
    EXPECT_EQ(window.ThemesText(), "1");
    EXPECT_EQ(window.EntriesText(), "3");

    struct Case {
        int row;
        const char* file;
        const char* codeFormat;
        const char* executableFormat;
    };
    const Case cases[] = {
        {kLabelRow, "/Buttons/Label.kx", "UTF8", "Unicode"},
        {kSimpleRow, "/Buttons/Simple.kx", "Ascii", "Ascii"},
        {kButtonsThemeRow, "", "", ""},  // a row without file empties the file section
        {kHelpRow, "/Quillmate/ViewerHelp.txt", "Ascii", "Ascii"},
    };
    for (const Case& c : cases) {
        ShowRow(c.row);
        EXPECT_EQ(window.FileText(), c.file) << c.row;
        EXPECT_EQ(window.CodeFormatText(), c.codeFormat) << c.row;
        EXPECT_EQ(window.ExecutableFormatText(), c.executableFormat) << c.row;
    }
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(DatabaseInfoTest, EscapeAndTheCloseButtonOnlyHideTheWindow) {
    Start();
    DatabaseInfoWindow& window = *app->ui.databaseInfoWindow;

    Post(*app, WindowId::Main, Command::AboutDatabase);
    ASSERT_TRUE(RunUntil(*app, [&] { return window.get_mapped(); }));
    test::SendKey(window, GDK_KEY_Escape);
    EXPECT_TRUE(RunUntil(*app, [&] { return !window.get_visible(); }));

    Post(*app, WindowId::Main, Command::AboutDatabase);
    ASSERT_TRUE(RunUntil(*app, [&] { return window.get_mapped(); }));
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    gtk_main_do_event(event);
    gdk_event_free(event);
    EXPECT_TRUE(RunUntil(*app, [&] { return !window.get_visible(); }));
    EXPECT_FALSE(app->records.state.quitRequest);
    EXPECT_TRUE(app->ui.mainWindow->get_visible());
}

TEST_F(DatabaseInfoTest, CopyPictureCopiesTheFileBelowTheLibraryFolder) {
    Start();
    app->records.location.libPath = folder.Path();

    SetClipboardText("before");
    ShowRow(kButtonsThemeRow);
    app->services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::CopyFileIcon, WidgetEventType::LeftClick));
    Settle();
    EXPECT_EQ(ClipboardText(), "before");  // no file selected: nothing happens

    ShowRow(kSimpleRow);
    app->services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::CopyFileIcon, WidgetEventType::LeftClick));
    Settle();
    EXPECT_EQ(ClipboardText(), folder.Path() + "Buttons/Simple.kx");
    app->records.location.libPath =
        WithoutTrailingSlashes(folder.Path());  // the same file without the final "/"
    app->services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::CopyFileIcon, WidgetEventType::LeftClick));
    Settle();
    EXPECT_EQ(ClipboardText(), DraggedEntryPath(*app, kSimpleRow));
}

TEST_F(DatabaseInfoTest, FillingShowsTheNewDatabase) {
    Start();
    app->records.location.dbFullPath = folder.Path() + "Other.xml";
    app->records.location.libPath = "/elsewhere/";
    app->records.state.themeCount = 7;
    app->records.state.entryCount = 42;
    FillDatabaseInfo(*app);
    const DatabaseInfoWindow& window = *app->ui.databaseInfoWindow;
    EXPECT_EQ(window.DatabaseText(), folder.Path() + "Other.xml");
    EXPECT_EQ(window.LibraryText(), "/elsewhere/");
    EXPECT_EQ(window.ThemesText(), "7");
    EXPECT_EQ(window.EntriesText(), "42");
}

TEST_F(DatabaseInfoTest, LanguageTextsReachTheirTargets) {
    Start();
    DatabaseInfoWindow& info = *app->ui.databaseInfoWindow;
    for (const char* key :
         {"#DbA_LabelFile", "#DbA_LabelEnt", "#DbA_LabelDb", "#DbA_LabelSrcForm", "#DbA_LabelTop",
          "#DbA_LabelExeForm", "#DbA_LabelLib", "#DbA_LabelCont", "#DbA_Frame1", "#DbA_Frame2"}) {
        EXPECT_TRUE(info.SetLabelText(key, "x")) << key;
    }
    EXPECT_FALSE(info.SetLabelText("#Cnf_LabelDB", "x"));
    EXPECT_TRUE(info.SetTooltipText("#DbA_ToDb", "Opens the library folder."));
    EXPECT_EQ(info.LibraryIcon()->get_tooltip_text(), "Opens the library folder.");
    EXPECT_TRUE(info.SetTooltipText("#DbA_CopyFile", ""));
    EXPECT_FALSE(info.SetTooltipText("#DbA_LabelDb", "x"));
    UpdateWindow& update = *app->ui.updateWindow;
    for (const char* key : {"#Upt_LabelAppGtk2", "#Upt_LabelAppGtk3", "#Upt_LabelXml"}) {
        EXPECT_TRUE(update.SetLabelText(key, "x")) << key;
    }
    EXPECT_FALSE(update.SetLabelText("#DbA_LabelDb", "x"));
}

TEST_F(AboutDialogTest, FirstStartShowsTheAboutDialogUntilAboutIsSaved) {
    test::FillSmallLibrary(folder, {"about=0"});
    Launch();
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].kind, "about");
    EXPECT_EQ(watcher.Seen()[0].title, "Quillmate");
    EXPECT_EQ(watcher.Seen()[0].text, "0.25.37 gtk3");
    EXPECT_TRUE(watcher.LastAboutHadLogo());
    EXPECT_EQ(app->records.preferences.about, 1);
    // Only in memory: the file keeps "about" 0 until the settings are saved.
    EXPECT_NE(folder.ReadFile("QuillmateViewer.ini").find("about=0"), std::string::npos);
    app.reset();
    test::FillSmallLibrary(folder);
    Launch();
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

TEST_F(AboutDialogTest, InfoMenuShowsTheAboutDialogWithTheIcon) {
    Start();
    ASSERT_TRUE(watcher.Seen().empty());
    Post(*app, WindowId::Main, Command::AboutProgram);
    ASSERT_TRUE(RunUntil(*app, [&] { return !watcher.Seen().empty() && app->services.queue.Empty(); }));
    EXPECT_EQ(watcher.Seen()[0].kind, "about");
    EXPECT_TRUE(watcher.LastAboutHadLogo());
}

// A library below a folder whose name holds spaces, quotes and a dash, with recording stand-ins
// for the external programs on the search path.
class ExternalProgramsGuiTest : public test::ProgramTest {
  protected:
    void SetUp() override {
        m_library = folder.Path() + "-x my \"lib\"/";
        const std::string sub = "-x my \"lib\"/";
        folder.WriteFile(sub + "Quillmate-Toc.xml", test::SmallDatabase());
        folder.WriteFile(sub + "Quillmate/ViewerHelp.txt", "Help text\n");
        folder.WriteFile(sub + "Buttons/Simple.kx", "; Simple button\n");
        folder.WriteFile(sub + "Buttons/Label.kx", "; Label\n");
        m_programs.Add("xdg-open");
        m_programs.Add("gnome-open");
        m_programs.Add("beep");
    }

    void Start(const std::string& editor = "") {
        ASSERT_TRUE(watcher.Seen().empty());
        folder.WritePreferences({"db-path=" + m_library + "Quillmate-Toc.xml", "Lib-path=" + m_library,
                                 "about=1", "Language=0", "SearchHint=0", "SearchMode=0", "CodeMarks=0",
                                 "FontName=Monospace", "FontSize=10", "SavePaths=1", "SourceInTitle=1",
                                 "SaveWinSetting=0", "DyeingNews=1", "DarkMode=0", "CodeEditorPath=" + editor,
                                 "LineNumbers=0", "Zoom=3"});
        Launch();
        m_programs.UseAsSearchPath();
        ASSERT_TRUE(watcher.Seen().empty()) << watcher.Seen()[0].text;
    }

    std::string m_library;
    RecordingPrograms m_programs;
};

MATCHER_P2(IsCall, program, arguments, "") {
    return arg.program == program && arg.arguments == std::vector<std::string>(arguments);
}

TEST_F(ExternalProgramsGuiTest, OpenCodeHandsTheCodePathToTheDefaultApp) {
    Start();
    ShowRow(kSimpleRow);
    Post(*app, WindowId::Main, Command::OpenCode);
    Settle();
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{m_library + "Buttons/Simple.kx"}));
}

TEST_F(ExternalProgramsGuiTest, OpenCodeStartsTheConfiguredEditor) {
    const std::string editor = m_programs.Add("code editor", "my tools");
    Start(editor);
    ShowRow(kSimpleRow);
    Post(*app, WindowId::Main, Command::OpenCode);
    Settle();
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("code editor", std::vector<std::string>{m_library + "Buttons/Simple.kx"}));
}

TEST_F(ExternalProgramsGuiTest, CopyCodePathUsesTheDatabaseFolder) {
    Start();
    ShowRow(kSimpleRow);
    app->records.location.libPath = "/somewhere/else/";  // the code path does not follow the library
    Post(*app, WindowId::Main, Command::CopyCodePath);
    Settle();
    EXPECT_EQ(ClipboardText(), m_library + "Buttons/Simple.kx");
}

TEST_F(ExternalProgramsGuiTest, EditHelpFileOpensTheHelpEntryOrSaysSorry) {
    Start();
    Post(*app, WindowId::Main, Command::EditHelpFile);
    Settle();
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0],
                IsCall("xdg-open", std::vector<std::string>{m_library + "/Quillmate/ViewerHelp.txt"}));

    app->records.state.helpEntryIndex = 0;
    Post(*app, WindowId::Main, Command::EditHelpFile);
    ASSERT_TRUE(RunUntil(*app, [&] { return !watcher.Seen().empty() && app->services.queue.Empty(); }));
    EXPECT_EQ(watcher.Seen()[0].title, "Sorry");
    EXPECT_EQ(watcher.Seen()[0].text, "seems the helpfile can't be found.");
    EXPECT_EQ(m_programs.CallsAfterSettling().size(), 1u);
}

TEST_F(ExternalProgramsGuiTest, LibraryPictureOpensTheLibraryFolderOrBeeps) {
    Start();
    Post(*app, WindowId::Main, Command::AboutDatabase);
    app->services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::LibraryIcon, WidgetEventType::LeftClick));
    Settle();
    auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{WithoutTrailingSlashes(m_library)}));

    app->records.location.libPath = folder.Path() + "gone/";
    Post(*app, WindowId::Main, Command::AboutDatabase);
    app->services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::LibraryIcon, WidgetEventType::LeftClick));
    Settle();
    calls = m_programs.WaitForCalls(2);
    ASSERT_EQ(calls.size(), 2u);
    const auto beep =
        std::find_if(calls.begin(), calls.end(), [](const RecordedCall& c) { return c.program == "beep"; });
    ASSERT_NE(beep, calls.end());
    EXPECT_THAT(*beep, IsCall("beep", std::vector<std::string>{"-f", "130.8", "-l", "100"}));
}

TEST_F(ExternalProgramsGuiTest, HelpKeyShowsTheHelpEntry) {
    Start();
    test::SendKey(*app->ui.mainWindow, GDK_KEY_F1);
    ASSERT_TRUE(RunUntil(*app, [&] { return app->ui.mainWindow->Code().Text() == "Help text"; }));
    EXPECT_EQ(app->ui.mainWindow->Tree().SelectedRow(), kHelpRow);

    app->records.state.helpEntryIndex = 0;
    test::SendKey(*app->ui.mainWindow, GDK_KEY_F1);
    ASSERT_TRUE(RunUntil(*app, [&] { return !watcher.Seen().empty(); }));
    EXPECT_EQ(watcher.Seen()[0].title, "Quillmate");
    EXPECT_EQ(watcher.Seen()[0].text, "No help-file found.");
}

class UpdateWindowTest : public test::ProgramTest {
  protected:
    void SetUp() override {
        Start();
        app->records.preferences.updateServer = m_server.BaseUrl();
        if (!app->services.updateChecker.CurlAvailable()) {
            GTEST_SKIP() << "libcurl is not installed";
        }
    }

    UpdateWindow& Window() { return *app->ui.updateWindow; }

    // Runs one check to its end.
    void Check() {
        Post(*app, WindowId::Main, Command::CheckUpdates);
        Settle();
        ASSERT_TRUE(RunUntil(
            *app, [&] { return !app->services.updateChecker.Busy() && app->services.queue.Empty(); }));
    }

    test::TinyHttpServer m_server;
};

TEST_F(UpdateWindowTest, ShowsWhetherProgramAndDatabaseAreNewer) {
    EXPECT_FALSE(Window().get_visible());
    struct Case {
        const char* name;
        std::string file;
        const char* program;
        const char* database;
    };
    // The database of the small library is dated 2026-12-01.
    const Case cases[] = {
        {"both newer", "[Quillmate]\ngtk2=0.25.30\n\nGtk3=0.25.40\nDb=2027-01-01\n",
         "yes:  0.25.37 → 0.25.40", "yes:  2026-12-01 → 2027-01-01"},
        {"same program, older database", "a\nb\nc\nGtk3=0.25.37\nDb=2020-05-06\n", "no:  0.25.37",
         "no:  2020-05-06"},
        {"older minor version", "a\nb\nc\nGtk3=0.24.40\nDb=2026-12-01\n", "no:  0.25.37", "no:  2026-12-01"},
        {"CR LF", "a\r\nb\r\nc\r\nGtk3=1.0.0\r\nDb=2026-12-02\r\n", "yes:  0.25.37 → 1.0.0",
         "yes:  2026-12-01 → 2026-12-02"},
    };
    for (const Case& c : cases) {
        m_server.Serve(kVersionFilePath, test::HttpResponse(200, "OK", c.file));
        Check();
        EXPECT_TRUE(Window().get_visible()) << c.name;
        EXPECT_EQ(Window().FieldText(1), " - ") << c.name;
        EXPECT_EQ(Window().FieldText(2), c.program) << c.name;
        EXPECT_EQ(Window().FieldText(3), c.database) << c.name;
    }
    EXPECT_EQ(Window().get_title(), "Quillmate: Update check");

    // Failed checks leave the last answers standing.
    for (const std::string& response :
         {test::HttpResponse(200, "OK", ""),
          test::HttpResponse(404, "Not Found", "<html><body>404 Not Found</body></html>\n")}) {
        m_server.Serve(kVersionFilePath, response);
        Check();
        EXPECT_EQ(Window().FieldText(2), "yes:  0.25.37 → 1.0.0");
        EXPECT_EQ(Window().FieldText(3), "yes:  2026-12-01 → 2026-12-02");
    }

    test::SendKey(Window(), GDK_KEY_Escape);
    EXPECT_TRUE(RunUntil(*app, [&] { return !Window().get_visible(); }));
    EXPECT_FALSE(app->records.state.quitRequest);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(UpdateWindowTest, ASilentServerNeitherFreezesTheWindowNorStartsASecondCheck) {
    m_server.SetSilent(true);
    app->services.updateChecker.SetTimeout(std::chrono::seconds(2));
    int ticks = 0;
    auto ticker = Glib::signal_timeout().connect(
        [&ticks] {
            ++ticks;
            return true;
        },
        20);
    Post(*app, WindowId::Main, Command::CheckUpdates);
    ASSERT_TRUE(RunUntil(*app, [&] { return Window().get_mapped() && m_server.Connections() == 1; }));
    ASSERT_TRUE(app->services.updateChecker.Running());
    const int ticksAtStart = ticks;
    Post(*app, WindowId::Main, Command::CheckUpdates);  // while the first one runs
    ASSERT_TRUE(RunUntil(
        *app, [&] { return !app->services.updateChecker.Busy() && app->services.queue.Empty(); },
        std::chrono::seconds(20)));
    ticker.disconnect();
    // The loop kept running during the download: the timer fired many times meanwhile.
    EXPECT_GT(ticks - ticksAtStart, 20);
    EXPECT_EQ(m_server.Connections(), 1);
    EXPECT_EQ(Window().FieldText(2), "");
    EXPECT_EQ(Window().FieldText(3), "");
}

}  // namespace
}  // namespace quillmate
