// The main window in the running program: where its controls stand on every size, the history
// combo box that never takes the focus, names for assistive technology, and the scrollbars.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <gtkmm/range.h>
#include <gtkmm/scrollbar.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "GuiHarness.h"
#include "ProgramDriver.h"
#include "app/MainWindow.h"
#include "base/Release.h"
#include "base/Utf8.h"
#include "settings/AboutDialogs.h"
#include "settings/SettingsDialog.h"
#include "viewer/Zoom.h"

namespace quillmate {
namespace {

using MainWindowTest = test::ProgramTest;

using test::PumpUntil;
using test::SendKey;
using test::Settle;
using test::TempProgramFolder;

int LeftEdgeInWindow(Gtk::Widget& widget, Gtk::Window& window) {
    int x = 0;
    int y = 0;
    widget.translate_coordinates(window, 0, 0, x, y);
    return x;
}

void ResizeTo(Application& app, int width, int height) {
    MainWindow& window = *app.ui.mainWindow;
    window.resize(width, height);
    PumpUntil(
        [&] { return window.get_allocated_width() == width && window.get_allocated_height() == height; });
    Settle(app);
}

TEST_F(MainWindowTest, ControlsFollowTheWindowSize) {
    struct Size {
        int width;
        int height;
    };
    Start();
    MainWindow& window = *app->ui.mainWindow;
    ASSERT_EQ(window.get_allocated_width(), 800);
    ASSERT_EQ(window.get_allocated_height(), 600);
    const int treeWidth = window.MainSplitter().get_child1()->get_allocated_width();
    Gtk::Widget& rightPane = *window.MainSplitter().get_child2();
    const int paneWidth = rightPane.get_allocated_width();
    for (const Size size : {Size{800, 600}, Size{1000, 700}, Size{1234, 400}, Size{800, 400}}) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        ResizeTo(*app, size.width, size.height);
        const int w = size.width;
        const int h = size.height;
        EXPECT_EQ(LeftEdgeInWindow(*window.InfoButton(), window), w - 40);
        EXPECT_EQ(LeftEdgeInWindow(*window.HelpButton(), window), w - 72);
        EXPECT_EQ(LeftEdgeInWindow(*window.SettingsButton(), window), w - 114);
        EXPECT_EQ(LeftEdgeInWindow(*window.QuickCopyButton(), window), w - 146);
        EXPECT_EQ(window.MainSplitter().get_allocated_width(), w - 10);
        EXPECT_EQ(window.MainSplitter().get_allocated_height(), h - 38);
        EXPECT_EQ(LeftEdgeInWindow(window.MainSplitter(), window), 5);
        // The tree keeps its width; the right pane takes every change.
        EXPECT_EQ(window.MainSplitter().get_child1()->get_allocated_width(), treeWidth);
        EXPECT_EQ(rightPane.get_allocated_width(), paneWidth + (w - 800));
        // Description line (40 high in its frame) and code view below it, both as wide as the
        // pane less 2.
        Gtk::Widget& descriptionFrame = *window.DescriptionLine().get_parent();
        Gtk::Widget& codeFrame = *window.Code().View().get_parent();
        EXPECT_EQ(descriptionFrame.get_allocated_width(), rightPane.get_allocated_width() - 2);
        EXPECT_EQ(window.DescriptionLine().get_allocated_height(), 40);
        EXPECT_EQ(codeFrame.get_allocated_width(), rightPane.get_allocated_width() - 2);
        int codeX = 0;
        int codeY = 0;
        codeFrame.translate_coordinates(rightPane, 0, 0, codeX, codeY);
        EXPECT_EQ(codeY, 42);
        EXPECT_EQ(codeFrame.get_allocated_height(), rightPane.get_allocated_height() - 42);
    }
}

TEST_F(MainWindowTest, FixedControlsStandWhereTheyBelong) {
    struct Place {
        const char* name;
        Gtk::Widget* widget;
        int x;
        int y;
        int width;
        int height;
    };
    Start();
    MainWindow& window = *app->ui.mainWindow;
    const Place places[] = {
        {"ExpandToggle", window.ExpandToggle(), 1, 17, 16, 16},
        {"SearchEntry", &window.SearchEntry(), 27, 2, 153, 30},
        {"HistoryCombo", &window.HistoryCombo(), 186, 2, 230, 30},
        {"InfoButton", window.InfoButton(), 760, 2, 30, 30},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        ASSERT_NE(place.widget, nullptr);
        int x = 0;
        int y = 0;
        place.widget->translate_coordinates(window, 0, 0, x, y);
        EXPECT_EQ(x, place.x);
        EXPECT_EQ(y, place.y);
        EXPECT_EQ(place.widget->get_allocated_width(), place.width);
        EXPECT_EQ(place.widget->get_allocated_height(), place.height);
    }
}

bool FocusIsInside(Gtk::Window& window, Gtk::Widget& container) {
    Gtk::Widget* focus = window.get_focus();
    return focus != nullptr && (focus == &container || focus->is_ancestor(container));
}

TEST_F(MainWindowTest, HistoryComboNeverTakesTheFocusNorText) {
    Start();
    MainWindow& window = *app->ui.mainWindow;
    test::ClickTreeRow(*app, 4);
    ASSERT_EQ(window.HistoryCombo().get_active_text(), "Simple.kx");
    // Tab through the whole window twice.
    window.SearchEntry().grab_focus();
    for (int i = 0; i < 20; ++i) {
        SendKey(window, GDK_KEY_Tab);
        Settle(std::chrono::milliseconds(5));
        EXPECT_FALSE(FocusIsInside(window, window.HistoryCombo())) << "after Tab " << i + 1;
    }
    window.HistoryCombo().grab_focus();
    window.HistoryCombo().get_entry()->grab_focus();
    EXPECT_FALSE(FocusIsInside(window, window.HistoryCombo()));
    EXPECT_FALSE(window.HistoryCombo().get_entry()->get_editable());
    // Typing while the entry part is the target changes nothing either.
    g_signal_emit_by_name(window.HistoryCombo().get_entry()->gobj(), "insert-at-cursor", "typed");
    EXPECT_EQ(window.HistoryCombo().get_entry()->get_text(), "Simple.kx");
}

TEST_F(MainWindowTest, PictureOnlyControlsAreNamedByTheirTooltips) {
    Start();
    MainWindow& window = *app->ui.mainWindow;
    const std::vector<std::pair<Gtk::Widget*, std::string>> controls = {
        {window.ExpandToggle(), "Öffnet und schließt alle Knoten."},
        {window.QuickCopyButton(),
         "Kopiert den kompletten Code in die Zwischenablage. Auch Drag&Drop von Indexeinträgen nach KX "
         "möglich!"},
        {window.SettingsButton(),
         "Programmeinstellungen & Requester für die Datenbank (xml) und das Library-Oberverzeichnis."},
        {window.HelpButton(), "Öffnet die Programm-Hilfe-Datei im Editor."},
        {window.InfoButton(), "Öffnet den Programm-Info-Dialog."},
    };
    for (const auto& [widget, tooltip] : controls) {
        ASSERT_NE(widget, nullptr) << tooltip;
        EXPECT_EQ(widget->get_tooltip_text(), tooltip);
        EXPECT_EQ(widget->get_accessible()->get_name(), tooltip);
    }
}

TEST_F(MainWindowTest, ChoosingFromTheHistoryShowsThatEntry) {
    Start();
    MainWindow& window = *app->ui.mainWindow;
    test::ClickTreeRow(*app, 4);
    test::ClickTreeRow(*app, 5);
    ASSERT_EQ(test::HistoryRows(*app), (std::vector<std::string>{"Label.kx", "Simple.kx"}));
    test::MoveTreeCursor(*app, 4);
    test::ChooseHistoryRow(*app, 0);  // the newest row is the active one: the combo box reports no change
    EXPECT_EQ(window.get_title(), "Quillmate ~ /Buttons/Label.kx");
    window.HistoryCombo().set_active(1);
    Settle();
    EXPECT_EQ(window.Tree().SelectedRow(), 4);
    EXPECT_EQ(test::DescriptionText(*app), "Ein Knopf");
    EXPECT_EQ(test::CodeText(*app), "; Simple button\nOpenWindow()");
    EXPECT_EQ(window.get_title(), "Quillmate ~ /Buttons/Simple.kx");
    EXPECT_EQ(app->ui.mainWindow->Code().CurrentEntryFile(), "/Buttons/Simple.kx");
    // The history itself keeps its order.
    EXPECT_EQ(test::HistoryRows(*app), (std::vector<std::string>{"Label.kx", "Simple.kx"}));
}

TEST_F(MainWindowTest, ChoosingTheShownEntryFromTheHistoryDoesNotLoadItAgain) {
    Start();
    MainWindow& window = *app->ui.mainWindow;
    test::ClickTreeRow(*app, 4);
    test::ClickTreeRow(*app, 5);
    test::MoveTreeCursor(*app, 4);  // shown again, by keyboard: the history stays
    ASSERT_EQ(window.HistoryCombo().get_active_row_number(), 0);
    window.SetDescriptionText("changed meanwhile");
    window.set_title("title meanwhile");
    std::filesystem::remove(folder.Path() + "Buttons/Simple.kx");
    window.HistoryCombo().set_active(1);
    Settle();
    EXPECT_EQ(window.Tree().SelectedRow(), 4);
    EXPECT_EQ(test::DescriptionText(*app), "Ein Knopf");  // rewritten
    EXPECT_EQ(window.get_title(), "title meanwhile");
    // Not loaded again: no report of the file that went away, the text is still there.
    EXPECT_EQ(test::CodeText(*app), "; Simple button\nOpenWindow()");
    EXPECT_TRUE(watcher.Seen().empty());
}

// Standard error of this process, caught in a file while the object lives.
class CaughtStandardError {
  public:
    explicit CaughtStandardError(const TempProgramFolder& folder)
        : m_path(folder.Path() + "stderr.txt"), m_saved(::dup(2)) {
        std::fflush(stderr);
        const int file = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, 2);
        ::close(file);
    }
    ~CaughtStandardError() { Restore(); }
    CaughtStandardError(const CaughtStandardError&) = delete;
    CaughtStandardError& operator=(const CaughtStandardError&) = delete;

    // Ends the catching and returns what was written.
    std::string Text() {
        Restore();
        std::ifstream in(m_path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    void Restore() {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
            m_saved = -1;
        }
    }

    std::string m_path;
    int m_saved;
};

TEST_F(MainWindowTest, ScrollbarSlidersAreAtLeastTenPixelsWithoutStyleWarnings) {
    test::FillSmallLibrary(folder);
    std::string longCode;
    for (int i = 0; i < 20000; ++i) {
        longCode += "Line " + std::to_string(i) + "\n";
    }
    folder.WriteFile("Buttons/Simple.kx", longCode);
    CaughtStandardError caught(folder);
    Launch();
    test::MoveTreeCursor(*app, 4);
    test::PumpFor(std::chrono::milliseconds(200));
    // No warnings from the toolkit, style sheet warnings included.
    const std::string written = caught.Text();
    for (const char* domain : {"Gtk-", "Gdk-", "Pango-", "GLib-GObject-"}) {
        EXPECT_EQ(written.find(domain), std::string::npos) << written;
    }
    auto* scroller = dynamic_cast<Gtk::ScrolledWindow*>(app->ui.mainWindow->Code().View().get_parent());
    ASSERT_NE(scroller, nullptr);
    Gtk::Scrollbar* bar = scroller->get_vscrollbar();
    ASSERT_NE(bar, nullptr);
    int start = 0;
    int end = 0;
    gtk_range_get_slider_range(GTK_RANGE(bar->gobj()), &start, &end);
    // 20,000 lines in a view of some hundred pixels: the slider stands at its minimum length,
    // which the style sheet sets to 10 px (the theme's own minimum is 40 px).
    EXPECT_GE(end - start, 10);
    EXPECT_LT(end - start, 40);
}

TEST_F(MainWindowTest, InvalidUtf8InThePreferencesPathsReachesNoWidget) {
    // Paths are any bytes: a library and a database folder, an editor and a font whose names
    // are Latin-1, not UTF-8.
    const std::string library = folder.Path() + "Biblioth\xE8que/";
    const std::string editor = folder.Path() +
                               "\xC9"
                               "diteur";
    test::FillSmallLibrary(folder, {"db-path=" + folder.Path() + "Donn\xE9\x65s/Quillmate-Toc.xml",
                                    "Lib-path=" + library, "CodeEditorPath=" + editor, "FontName=Mono\xE9"});
    folder.WriteFile("Donn\xE9\x65s/Quillmate-Toc.xml", test::SmallDatabase());
    folder.WriteFile("Biblioth\xE8que/Buttons/Simple.kx", "; Simple button\n");
    folder.WriteFile(
        "\xC9"
        "diteur",
        "");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    CaughtStandardError caught(folder);
    Launch();
    test::MoveTreeCursor(*app, 6);  // a missing file: the message quotes the library path
    app->services.queue.Post(
        WidgetEvent(WindowId::Main, WidgetId::SettingsButton, WidgetEventType::LeftClick));
    app->services.queue.Post(CommandEvent(WindowId::Main, Command::AboutDatabase));
    Settle();
    PumpUntil(
        [&] { return app->ui.settingsWindow->get_mapped() && app->ui.databaseInfoWindow->get_mapped(); });
    test::PumpFor(std::chrono::milliseconds(200));
    const std::string written = caught.Text();
    for (const char* domain : {"Gtk-", "Gdk-", "Pango-", "GLib-"}) {
        EXPECT_EQ(written.find(domain), std::string::npos) << written;
    }
    EXPECT_EQ(app->ui.databaseInfoWindow->LibraryText(), folder.Path() + "Biblioth\uFFFDque/");
    // The dialog gives the paths back as they are.
    EXPECT_EQ(app->ui.settingsWindow->LibraryPath(), library);
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().text.find("Biblioth\uFFFDque/"), std::string::npos);
}

TEST_F(MainWindowTest, HugeTextsAreShownCutAndSearchedWhole) {
    // An entry whose title, description and file name are far longer than any widget shows.
    const std::string title = std::string(200000, 'T') + "needle";
    const std::string file = "/Buttons/" + std::string(100000, 'F') + ".kx";
    std::string database = test::SmallDatabase();
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"theme_de=\"gtk_button_missing\"",
                                              "theme_de=\"" + title + "\""},
          {"descript_de=\"Fehlt\"", "descript_de=\"" + std::string(200000, 'D') + "\""},
          {"/Buttons/Missing.kx", file}}) {
        database.replace(database.find(from), from.size(), to);
    }
    test::FillSmallLibrary(folder);
    folder.WriteFile("Quillmate-Toc.xml", database);
    Launch();
    test::MoveTreeCursor(*app, 6);  // the file is missing: the message quotes its path
    ASSERT_FALSE(Messages().empty());
    for (const std::string& shown : {Main().Tree().RowText(6), test::DescriptionText(*app),
                                     std::string(Main().get_title()), Messages().back().text}) {
        EXPECT_LT(shown.size(), 100000u);
        EXPECT_TRUE(shown.ends_with(kEllipsis));
    }
    test::MoveTreeCursor(*app, 0);
    Main().SearchEntry().set_text("needle");
    Settle();
    EXPECT_EQ(Main().Tree().SelectedRow(), 6);
}

#if QUILLMATE_ADMIN
TEST_F(MainWindowTest, AdminBuildShowsTheAdminButtonAndTheFileLabels) {
    test::FillSmallLibrary(folder);
    folder.WriteFile("Buttons/Simple.kx",
                     "\xEF\xBB\xBF; code\n; IDE Options = x\n; EnableUnicode\n; SubSystem = gtk3\n");
    Launch();
    MainWindow& window = *app->ui.mainWindow;
    ASSERT_NE(window.AdminButton(), nullptr);
    EXPECT_TRUE(window.AdminButton()->get_visible());
    EXPECT_EQ(window.AdminButton()->get_tooltip_text(), "Popup admin menue");
    EXPECT_EQ(window.AdminButton()->get_accessible()->get_name(), "Popup admin menue");
    test::MoveTreeCursor(*app, 4);
    EXPECT_EQ(window.AdminLabelTexts(), (std::vector<std::string>{"Src: UTF8", "Exe: UNI", "Sub: gtk3"}));
    test::MoveTreeCursor(*app, 5);
    EXPECT_EQ(window.AdminLabelTexts(), (std::vector<std::string>{"Src: UTF8", "Exe: UNI", ""}));
    test::MoveTreeCursor(*app, 6);  // missing: nothing is known about it
    EXPECT_EQ(window.AdminLabelTexts(), (std::vector<std::string>{"Src: Ascii", "Exe: Ascii", ""}));
}
#else
TEST_F(MainWindowTest, StandardBuildHidesTheAdminButton) {
    Start();
    MainWindow& window = *app->ui.mainWindow;
    ASSERT_NE(window.AdminButton(), nullptr);
    EXPECT_FALSE(window.AdminButton()->get_visible());
    EXPECT_TRUE(window.AdminLabelTexts().empty());
}
#endif

// The keyboard reaches every part: Tab leaves the description line for the code view, Ctrl+L
// selects the search term, Ctrl+plus, Ctrl+minus and Ctrl+0 step along the zoom, Alt+Down opens
// the history.
TEST_F(MainWindowTest, KeysReachSearchZoomHistoryAndTheCodeView) {
    Start();
    MainWindow& window = Main();
    test::ClickTreeRow(*app, test::kSimpleRow);
    window.SearchEntry().set_text("gtk");
    window.DescriptionLine().grab_focus();
    test::SendKey(window, GDK_KEY_Tab);
    Settle();
    EXPECT_TRUE(window.Code().View().is_focus());
    test::SendKey(window, GDK_KEY_l, GDK_CONTROL_MASK);
    Settle();
    int start = 0;
    int end = 0;
    EXPECT_TRUE(window.SearchEntry().is_focus());
    EXPECT_TRUE(window.SearchEntry().get_selection_bounds(start, end));
    EXPECT_EQ(end - start, static_cast<int>(window.SearchEntry().get_text_length()));
    struct Step {
        guint key;
        GdkModifierType modifiers;
        int zoom;
    };
    const auto control = GDK_CONTROL_MASK;
    const Step steps[] = {{GDK_KEY_plus, GdkModifierType(control | GDK_SHIFT_MASK), kNormalZoomIndex + 1},
                          {GDK_KEY_equal, control, kNormalZoomIndex + 2},
                          {GDK_KEY_minus, control, kNormalZoomIndex + 1},
                          {GDK_KEY_0, control, kNormalZoomIndex},
                          {GDK_KEY_KP_Subtract, control, kNormalZoomIndex - 1}};
    for (const Step& step : steps) {
        test::SendKey(window, step.key, step.modifiers);
        Settle();
        EXPECT_EQ(app->records.zoom.current, step.zoom);
    }
    test::SendKey(window, GDK_KEY_Down, GDK_MOD1_MASK);
    Settle();
    EXPECT_TRUE(PumpUntil([&] { return window.HistoryCombo().property_popup_shown().get_value(); }));
    window.HistoryCombo().popdown();
    // Space on the info button: its menu opens under the button, not at the pointer.
    window.InfoButton()->grab_focus();
    test::SendKey(window, GDK_KEY_space);
    Settle();
    Gtk::Menu& menu = app->ui.menus->infoMenu;
    ASSERT_TRUE(PumpUntil([&] { return menu.get_mapped(); }));
    int buttonX = 0;
    int buttonY = 0;
    window.InfoButton()->get_window()->get_origin(buttonX, buttonY);
    const Gtk::Allocation button = window.InfoButton()->get_allocation();
    int menuX = 0;
    int menuY = 0;
    menu.get_toplevel()->get_window()->get_origin(menuX, menuY);
    EXPECT_NEAR(menuY, buttonY + button.get_y() + button.get_height(), 2);
    menu.popdown();
}

}  // namespace
}  // namespace quillmate
