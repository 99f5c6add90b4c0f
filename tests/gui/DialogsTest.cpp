// The clipboard actions, the external programs, the about dialogs and the update window,
// driven through the real start-up and the program's own event dispatch.
#include <glibmm/main.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/clipboard.h>
#include <unistd.h>

#include <filesystem>

#include "GuiHarness.h"
#include "RecordingPrograms.h"
#include "TinyHttpServer.h"
#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/EventLoop.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "base/Paths.h"
#include "database/IndexTreeActions.h"
#include "settings/AboutActions.h"
#include "settings/AboutDialogs.h"
#include "settings/UpdateWindow.h"

namespace quillmate {
namespace {

using test::DialogWatcher;
using test::RecordedCall;
using test::RecordingPrograms;
using test::TempProgramFolder;

constexpr int kHelpRow = 2;
constexpr int kButtonsThemeRow = 3;
constexpr int kSimpleRow = 4;
constexpr int kLabelRow = 5;

// Runs the GTK loop and the program's own queue, as the event loop does, until `done` holds.
bool RunProgramUntil(Application& app, const std::function<bool()>& done,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return test::PumpUntil(
        [&] {
            while (auto event = app.services.queue.Take()) {
                Dispatch(app, *event);
            }
            return done();
        },
        timeout);
}

std::string ClipboardText() {
    return Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->wait_for_text();
}

void SetClipboardText(const std::string& text) {
    Gtk::Clipboard::get(GDK_SELECTION_CLIPBOARD)->set_text(text);
}

void Post(Application& app, WindowId window, Command command) {
    app.services.queue.Post(CommandEvent(window, command));
}

// The program started on `folder` with its first entry shown.
class StartedProgram {
  public:
    explicit StartedProgram(const TempProgramFolder& folder) : app(folder.Path()) {
        if (::chdir(folder.Path().c_str()) != 0) {
            throw std::runtime_error("cannot enter the program folder");
        }
        StartUp(app);
        RunProgramUntil(app,
                        [this] { return app.ui.mainWindow->get_mapped() && app.services.queue.Empty(); });
    }

    // Selects a row as the user would (the selection change is an event of the tree).
    void ShowRow(int row) {
        app.ui.mainWindow->Tree().SelectRow(row);
        app.services.queue.Post(WidgetEvent(WindowId::Main, WidgetId::IndexTree, WidgetEventType::Change));
        RunProgramUntil(app, [this] { return app.services.queue.Empty(); });
    }

    Application app;
};

TEST(QuickCopyTest, PutsTheWholeCodeOnTheClipboardAndLeavesNoSelection) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    Application& app = program.app;
    program.ShowRow(kLabelRow);
    const auto buffer = app.ui.mainWindow->CodeView().get_buffer();
    ASSERT_EQ(app.ui.mainWindow->CodeText(), "; Button with label\nText$ = \"Hello\"");

    SetClipboardText("before");
    app.services.queue.Post(
        WidgetEvent(WindowId::Main, WidgetId::QuickCopyButton, WidgetEventType::LeftClick));
    RunProgramUntil(app, [&] { return app.services.queue.Empty(); });
    // The option trailer is not part of the view, so it is not copied either.
    EXPECT_EQ(ClipboardText(), "; Button with label\nText$ = \"Hello\"");
    EXPECT_FALSE(buffer->get_has_selection());
}

TEST(QuickCopyTest, AnEmptyCodeViewCopiesNothing) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    Application& app = program.app;
    program.ShowRow(kButtonsThemeRow);
    ASSERT_EQ(app.ui.mainWindow->CodeText(), "");
    SetClipboardText("before");
    app.services.queue.Post(
        WidgetEvent(WindowId::Main, WidgetId::QuickCopyButton, WidgetEventType::LeftClick));
    RunProgramUntil(app, [&] { return app.services.queue.Empty(); });
    EXPECT_EQ(ClipboardText(), "before");
}

TEST(QuickCopyTest, CopiedCodeSurvivesAnOrderlyEnd) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    // The end hands the clipboard to a clipboard manager when there is one; without one it must
    // not wait for it.
    EXPECT_EXIT(
        {
            StartedProgram program(folder);
            program.ShowRow(kSimpleRow);
            program.app.services.queue.Post(
                WidgetEvent(WindowId::Main, WidgetId::QuickCopyButton, WidgetEventType::LeftClick));
            Post(program.app, WindowId::Main, Command::Quit);
            RunEventLoop(program.app);
            EndProgram(program.app);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DatabaseInfoTest, ShowsTheDatabaseTheCountsAndTheSelectedFile) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    Application& app = program.app;
    ASSERT_TRUE(app.ui.databaseInfoWindow);
    DatabaseInfoWindow& window = *app.ui.databaseInfoWindow;
    EXPECT_FALSE(window.get_visible());

    program.ShowRow(kLabelRow);
    Post(app, WindowId::Main, Command::AboutDatabase);
    ASSERT_TRUE(RunProgramUntil(app, [&] { return window.get_mapped(); }));
    EXPECT_EQ(window.get_title(), "About: Current database & file");
    EXPECT_EQ(window.DatabaseText(), folder.Path() + "Quillmate-Toc.xml");
    EXPECT_EQ(window.ContentText(), "Test library - Head text");
    EXPECT_EQ(window.LibraryText(), app.records.location.libPath);
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
        program.ShowRow(c.row);
        EXPECT_EQ(window.FileText(), c.file) << c.row;
        EXPECT_EQ(window.CodeFormatText(), c.codeFormat) << c.row;
        EXPECT_EQ(window.ExecutableFormatText(), c.executableFormat) << c.row;
    }
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST(DatabaseInfoTest, EscapeAndTheCloseButtonOnlyHideTheWindow) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    Application& app = program.app;
    DatabaseInfoWindow& window = *app.ui.databaseInfoWindow;

    Post(app, WindowId::Main, Command::AboutDatabase);
    ASSERT_TRUE(RunProgramUntil(app, [&] { return window.get_mapped(); }));
    test::SendKey(window, GDK_KEY_Escape);
    EXPECT_TRUE(RunProgramUntil(app, [&] { return !window.get_visible(); }));

    Post(app, WindowId::Main, Command::AboutDatabase);
    ASSERT_TRUE(RunProgramUntil(app, [&] { return window.get_mapped(); }));
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    gtk_main_do_event(event);
    gdk_event_free(event);
    EXPECT_TRUE(RunProgramUntil(app, [&] { return !window.get_visible(); }));
    EXPECT_FALSE(app.records.state.quitRequest);
    EXPECT_TRUE(app.ui.mainWindow->get_visible());
}

TEST(DatabaseInfoTest, CopyPictureCopiesTheFileBelowTheLibraryFolder) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    Application& app = program.app;
    app.records.location.libPath = folder.Path();

    SetClipboardText("before");
    program.ShowRow(kButtonsThemeRow);
    app.services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::CopyFileIcon, WidgetEventType::LeftClick));
    RunProgramUntil(app, [&] { return app.services.queue.Empty(); });
    EXPECT_EQ(ClipboardText(), "before");  // no file selected: nothing happens

    program.ShowRow(kSimpleRow);
    app.services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::CopyFileIcon, WidgetEventType::LeftClick));
    RunProgramUntil(app, [&] { return app.services.queue.Empty(); });
    EXPECT_EQ(ClipboardText(), folder.Path() + "Buttons/Simple.kx");
    app.records.location.libPath =
        WithoutTrailingSlashes(folder.Path());  // the same file without the final "/"
    app.services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::CopyFileIcon, WidgetEventType::LeftClick));
    RunProgramUntil(app, [&] { return app.services.queue.Empty(); });
    EXPECT_EQ(ClipboardText(), DraggedEntryPath(app, kSimpleRow));
}

TEST(DatabaseInfoTest, FillingShowsTheNewDatabase) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    Application& app = program.app;
    app.records.location.dbFullPath = folder.Path() + "Other.xml";
    app.records.location.libPath = "/elsewhere/";
    app.records.state.themeCount = 7;
    app.records.state.entryCount = 42;
    FillDatabaseInfo(app);
    const DatabaseInfoWindow& window = *app.ui.databaseInfoWindow;
    EXPECT_EQ(window.DatabaseText(), folder.Path() + "Other.xml");
    EXPECT_EQ(window.LibraryText(), "/elsewhere/");
    EXPECT_EQ(window.ThemesText(), "7");
    EXPECT_EQ(window.EntriesText(), "42");
}

TEST(DatabaseInfoTest, LanguageTextsReachTheirTargets) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    DatabaseInfoWindow& info = *program.app.ui.databaseInfoWindow;
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
    UpdateWindow& update = *program.app.ui.updateWindow;
    for (const char* key : {"#Upt_LabelAppGtk2", "#Upt_LabelAppGtk3", "#Upt_LabelXml"}) {
        EXPECT_TRUE(update.SetLabelText(key, "x")) << key;
    }
    EXPECT_FALSE(update.SetLabelText("#DbA_LabelDb", "x"));
}

TEST(AboutDialogTest, FirstStartShowsTheAboutDialogUntilAboutIsSaved) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    const std::string saved = folder.ReadFile("QuillmateViewer.ini");
    std::string firstStart = saved;
    firstStart.replace(firstStart.find("about=1"), 7, "about=0");
    folder.WriteFile("QuillmateViewer.ini", firstStart);
    {
        DialogWatcher watcher;
        StartedProgram program(folder);
        ASSERT_EQ(watcher.Seen().size(), 1u);
        EXPECT_EQ(watcher.Seen()[0].kind, "about");
        EXPECT_EQ(watcher.Seen()[0].title, "Quillmate");
        EXPECT_EQ(watcher.Seen()[0].text, "0.25.37 gtk3");
        EXPECT_TRUE(watcher.LastAboutHadLogo());
        EXPECT_EQ(program.app.records.preferences.about, 1);
        // Only in memory: the file keeps "about" 0 until the settings are saved.
        EXPECT_NE(folder.ReadFile("QuillmateViewer.ini").find("about=0"), std::string::npos);
    }
    folder.WriteFile("QuillmateViewer.ini", saved);
    DialogWatcher watcher;
    StartedProgram program(folder);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST(AboutDialogTest, InfoMenuShowsTheAboutDialogWithTheIcon) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    DialogWatcher watcher;
    StartedProgram program(folder);
    ASSERT_TRUE(watcher.Seen().empty());
    Post(program.app, WindowId::Main, Command::AboutProgram);
    ASSERT_TRUE(RunProgramUntil(
        program.app, [&] { return !watcher.Seen().empty() && program.app.services.queue.Empty(); }));
    EXPECT_EQ(watcher.Seen()[0].kind, "about");
    EXPECT_TRUE(watcher.LastAboutHadLogo());
}

// A library below a folder whose name holds spaces, quotes and a dash, with recording stand-ins
// for the external programs on the search path.
class ExternalProgramsGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_library = m_folder.Path() + "-x my \"lib\"/";
        const std::string sub = "-x my \"lib\"/";
        m_folder.WriteFile(sub + "Quillmate-Toc.xml", test::SmallDatabase());
        m_folder.WriteFile(sub + "Quillmate/ViewerHelp.txt", "Help text\n");
        m_folder.WriteFile(sub + "Buttons/Simple.kx", "; Simple button\n");
        m_folder.WriteFile(sub + "Buttons/Label.kx", "; Label\n");
        m_programs.Add("xdg-open");
        m_programs.Add("gnome-open");
        m_programs.Add("beep");
    }

    void Start(const std::string& editor = "") {
        ASSERT_TRUE(m_watcher.Seen().empty());
        m_folder.WritePreferences({"db-path=" + m_library + "Quillmate-Toc.xml", "Lib-path=" + m_library,
                                   "about=1", "Language=0", "SearchHint=0", "SearchMode=0", "CodeMarks=0",
                                   "FontName=Monospace", "FontSize=10", "SavePaths=1", "SourceInTitle=1",
                                   "SaveWinSetting=0", "DyeingNews=1", "DarkMode=0",
                                   "CodeEditorPath=" + editor});
        m_program = std::make_unique<StartedProgram>(m_folder);
        m_programs.UseAsSearchPath();
        ASSERT_TRUE(m_watcher.Seen().empty()) << m_watcher.Seen()[0].text;
    }

    Application& App() { return m_program->app; }

    TempProgramFolder m_folder;
    std::string m_library;
    RecordingPrograms m_programs;
    DialogWatcher m_watcher;
    std::unique_ptr<StartedProgram> m_program;
};

MATCHER_P2(IsCall, program, arguments, "") {
    return arg.program == program && arg.arguments == std::vector<std::string>(arguments);
}

TEST_F(ExternalProgramsGuiTest, OpenCodeHandsTheCodePathToTheDefaultApp) {
    Start();
    m_program->ShowRow(kSimpleRow);
    Post(App(), WindowId::Main, Command::OpenCode);
    RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{m_library + "Buttons/Simple.kx"}));
}

TEST_F(ExternalProgramsGuiTest, OpenCodeStartsTheConfiguredEditor) {
    const std::string editor = m_programs.Add("code editor", "my tools");
    Start(editor);
    m_program->ShowRow(kSimpleRow);
    Post(App(), WindowId::Main, Command::OpenCode);
    RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("code editor", std::vector<std::string>{m_library + "Buttons/Simple.kx"}));
}

TEST_F(ExternalProgramsGuiTest, CopyCodePathUsesTheDatabaseFolder) {
    Start();
    m_program->ShowRow(kSimpleRow);
    App().records.location.libPath = "/somewhere/else/";  // the code path does not follow the library
    Post(App(), WindowId::Main, Command::CopyCodePath);
    RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
    EXPECT_EQ(ClipboardText(), m_library + "Buttons/Simple.kx");
}

TEST_F(ExternalProgramsGuiTest, EditHelpFileOpensTheHelpEntryOrSaysSorry) {
    Start();
    Post(App(), WindowId::Main, Command::EditHelpFile);
    RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
    const auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0],
                IsCall("xdg-open", std::vector<std::string>{m_library + "/Quillmate/ViewerHelp.txt"}));

    App().records.state.helpEntryIndex = 0;
    Post(App(), WindowId::Main, Command::EditHelpFile);
    ASSERT_TRUE(
        RunProgramUntil(App(), [&] { return !m_watcher.Seen().empty() && App().services.queue.Empty(); }));
    EXPECT_EQ(m_watcher.Seen()[0].title, "Sorry");
    EXPECT_EQ(m_watcher.Seen()[0].text, "seems the helpfile can't be found.");
    EXPECT_EQ(m_programs.CallsAfterSettling().size(), 1u);
}

TEST_F(ExternalProgramsGuiTest, LibraryPictureOpensTheLibraryFolderOrBeeps) {
    Start();
    Post(App(), WindowId::Main, Command::AboutDatabase);
    App().services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::LibraryIcon, WidgetEventType::LeftClick));
    RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
    auto calls = m_programs.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_THAT(calls[0], IsCall("xdg-open", std::vector<std::string>{WithoutTrailingSlashes(m_library)}));

    App().records.location.libPath = m_folder.Path() + "gone/";
    Post(App(), WindowId::Main, Command::AboutDatabase);
    App().services.queue.Post(
        WidgetEvent(WindowId::DatabaseInfo, WidgetId::LibraryIcon, WidgetEventType::LeftClick));
    RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
    calls = m_programs.WaitForCalls(2);
    ASSERT_EQ(calls.size(), 2u);
    const auto beep =
        std::find_if(calls.begin(), calls.end(), [](const RecordedCall& c) { return c.program == "beep"; });
    ASSERT_NE(beep, calls.end());
    EXPECT_THAT(*beep, IsCall("beep", std::vector<std::string>{"-f", "130.8", "-l", "100"}));
}

TEST_F(ExternalProgramsGuiTest, HelpKeyShowsTheHelpEntry) {
    Start();
    test::SendKey(*App().ui.mainWindow, GDK_KEY_F1);
    ASSERT_TRUE(RunProgramUntil(App(), [&] { return App().ui.mainWindow->CodeText() == "Help text"; }));
    EXPECT_EQ(App().ui.mainWindow->Tree().SelectedRow(), kHelpRow);

    App().records.state.helpEntryIndex = 0;
    test::SendKey(*App().ui.mainWindow, GDK_KEY_F1);
    ASSERT_TRUE(RunProgramUntil(App(), [&] { return !m_watcher.Seen().empty(); }));
    EXPECT_EQ(m_watcher.Seen()[0].title, "Quillmate");
    EXPECT_EQ(m_watcher.Seen()[0].text, "No help-file found.");
}

class UpdateWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::FillSmallLibrary(m_folder);
        m_program = std::make_unique<StartedProgram>(m_folder);
        App().records.preferences.updateServer = m_server.BaseUrl();
        if (!App().services.updateChecker.CurlAvailable()) {
            GTEST_SKIP() << "libcurl is not installed";
        }
    }

    Application& App() { return m_program->app; }
    UpdateWindow& Window() { return *App().ui.updateWindow; }

    // Runs one check to its end.
    void Check() {
        Post(App(), WindowId::Main, Command::CheckUpdates);
        RunProgramUntil(App(), [&] { return App().services.queue.Empty(); });
        ASSERT_TRUE(RunProgramUntil(
            App(), [&] { return !App().services.updateChecker.Busy() && App().services.queue.Empty(); }));
    }

    TempProgramFolder m_folder;
    DialogWatcher m_watcher;
    test::TinyHttpServer m_server;
    std::unique_ptr<StartedProgram> m_program;
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
    EXPECT_TRUE(RunProgramUntil(App(), [&] { return !Window().get_visible(); }));
    EXPECT_FALSE(App().records.state.quitRequest);
    EXPECT_TRUE(m_watcher.Seen().empty());
}

TEST_F(UpdateWindowTest, ASilentServerNeitherFreezesTheWindowNorStartsASecondCheck) {
    m_server.SetSilent(true);
    App().services.updateChecker.SetTimeout(std::chrono::seconds(2));
    int ticks = 0;
    auto ticker = Glib::signal_timeout().connect(
        [&ticks] {
            ++ticks;
            return true;
        },
        20);
    Post(App(), WindowId::Main, Command::CheckUpdates);
    ASSERT_TRUE(RunProgramUntil(App(), [&] { return Window().get_mapped() && m_server.Connections() == 1; }));
    ASSERT_TRUE(App().services.updateChecker.Running());
    const int ticksAtStart = ticks;
    Post(App(), WindowId::Main, Command::CheckUpdates);  // while the first one runs
    ASSERT_TRUE(RunProgramUntil(
        App(), [&] { return !App().services.updateChecker.Busy() && App().services.queue.Empty(); },
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
