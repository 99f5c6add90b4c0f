// The settings dialog on the real start-up: its layout, its fields and requesters, Apply and Save.
#include <glibmm/main.h>
#include <gtkmm/fontchooserdialog.h>
#include <gtkmm/image.h>
#include <gtkmm/liststore.h>

#include <sys/resource.h>

#include <filesystem>

#include "ProgramDriver.h"
#include "app/FirstMonitor.h"
#include "app/MainActions.h"
#include "base/Paths.h"
#include "settings/AboutDialogs.h"
#include "settings/TextKeys.h"

namespace quillmate {
namespace {

using test::PumpUntil;

constexpr const char* kBom = "\xEF\xBB\xBF";

// The toggle buttons inside a widget, internal children included.
void CollectToggleButtons(GtkWidget* widget, std::vector<GtkWidget*>& found) {
    if (GTK_IS_TOGGLE_BUTTON(widget)) {
        found.push_back(widget);
    }
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer data) {
                CollectToggleButtons(child, *static_cast<std::vector<GtkWidget*>*>(data));
            },
            &found);
    }
}

// The GDK window that receives the pointer events of `widget` (its own or its input window).
GdkWindow* EventWindowOf(GdkWindow* window, GtkWidget* widget) {
    gpointer owner = nullptr;
    gdk_window_get_user_data(window, &owner);
    if (owner == widget && gdk_window_get_window_type(window) != GDK_WINDOW_TOPLEVEL) {
        return window;
    }
    for (GList* child = gdk_window_peek_children(window); child != nullptr; child = child->next) {
        if (GdkWindow* found = EventWindowOf(GDK_WINDOW(child->data), widget)) {
            return found;
        }
    }
    return nullptr;
}

class SettingsTest : public test::ProgramTest {
  protected:
    // The picture the expand toggle shows.
    Glib::RefPtr<Gdk::Pixbuf> TogglePicture() {
        Gtk::EventBox* toggle = Main().ExpandToggle();
        auto* image = toggle != nullptr ? dynamic_cast<Gtk::Image*>(toggle->get_child()) : nullptr;
        return image != nullptr ? image->get_pixbuf() : Glib::RefPtr<Gdk::Pixbuf>();
    }

    // From now on, the rows the index tree is given anew (a rebuild gives all of them again).
    void CountTreeRows() { m_modelBefore = Main().Tree().get_model(); }
    int RowsAdded() { return Main().Tree().get_model() != m_modelBefore ? Main().Tree().RowCount() : 0; }

    Glib::RefPtr<Gtk::TreeModel> m_modelBefore;
};

TEST_F(SettingsTest, DialogIsBuiltHiddenAsAFixedWindowOverTheMainWindow) {
    Start();
    SettingsWindow& dialog = Settings();
    EXPECT_FALSE(dialog.get_visible());
    EXPECT_EQ(dialog.get_title(), "Quillmate - Settings");
    EXPECT_EQ(dialog.get_transient_for(), &Main());
    EXPECT_FALSE(dialog.get_resizable());
    EXPECT_EQ(dialog.get_focus(), &dialog.CancelButton());
}

// Every label, button, combo-box and tooltip text of the language file far longer than its place.
std::string LongTextLanguageFile() {
    const std::string text(6000, 'W');
    std::string file;
    for (const auto& [section, keys] :
         {std::pair{"[LanguageItems]", std::vector(kLabelKeys.begin(), kLabelKeys.end())},
          std::pair{"[Tooltips]", std::vector(kTooltipKeys.begin(), kTooltipKeys.end())}}) {
        file += std::string(section) + "\n";
        for (const std::string_view key : keys) {
            file += "Key = " + std::string(key) + "\nde = " + text + "\nen = " + text + "\n";
        }
    }
    return file;
}

// The text a placed control shows itself or on its button; null for none.
Gtk::Label* TextLabelOf(Gtk::Widget* control) {
    auto* bin = dynamic_cast<Gtk::Bin*>(control);
    return dynamic_cast<Gtk::Label*>(bin != nullptr ? bin->get_child() : control);
}

// With long texts or not, at the designed text size or at one and a half times it.
class SettingsPlacesTest : public SettingsTest,
                           public ::testing::WithParamInterface<std::tuple<bool, int>> {};

TEST_P(SettingsPlacesTest, EveryControlStandsAtItsPlaceGrownWithTheText) {
    const auto [longTexts, resolution] = GetParam();
    // The desktop's text scaling (and GDK_DPI_SCALE) set the text's resolution this way.
    g_object_set(gtk_settings_get_default(), "gtk-xft-dpi", resolution * 1024, nullptr);
    if (longTexts) {
        folder.WriteFile("QuillmateLang.inf", LongTextLanguageFile());
    }
    Start({longTexts ? "Language=1" : "Language=0"});
    OpenSettings();
    SettingsWindow& dialog = Settings();
    int width = 0;
    int height = 0;
    dialog.get_size(width, height);
    EXPECT_EQ(width, ScaleLength(kSettingsWidth, resolution / 96.0));
    EXPECT_EQ(height, ScaleLength(kSettingsHeight, resolution / 96.0));
    const auto controls = dialog.PlacedControls();
    EXPECT_EQ(controls.size(), 30u);
    for (const PlacedControl& control : controls) {
        SCOPED_TRACE(control.name);
        int x = -1;
        int y = -1;
        ASSERT_TRUE(control.widget->translate_coordinates(dialog, 0, 0, x, y));
        EXPECT_EQ(x, control.rect.x);
        EXPECT_EQ(y, control.rect.y);
        EXPECT_EQ(control.widget->get_allocated_width(), control.rect.width);
        EXPECT_EQ(control.widget->get_allocated_height(), control.rect.height);
        // The dialog's own texts are never cut, whatever the text size.
        if (Gtk::Label* label = TextLabelOf(control.widget); label != nullptr && !longTexts) {
            EXPECT_FALSE(label->get_layout()->is_ellipsized()) << label->get_text();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(GermanAndLongTexts, SettingsPlacesTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(96, 144)));

TEST_F(SettingsTest, OpeningFillsThePathAndFontFields) {
    Start({"Lib-path=/srv/korvex/", "FontName=Sans", "FontSize=13"});
    OpenSettings();
    SettingsWindow& dialog = Settings();
    EXPECT_EQ(dialog.DatabasePath(), folder.Path() + "Quillmate-Toc.xml");
    EXPECT_EQ(dialog.LibraryPath(), "/srv/korvex/");
    EXPECT_EQ(dialog.FontName(), "Sans");
    EXPECT_EQ(dialog.FontSizeText(), "13");
}

TEST_F(SettingsTest, CheckAndComboBoxesStartFromThePreferences) {
    Start({"SavePaths=0", "SaveWinSetting=1", "DyeingNews=0", "DarkMode=1", "SearchMode=2", "SearchHint=1",
           "SourceInTitle=0", "CodeMarks=2", "Language=7"});
    SettingsWindow& dialog = Settings();
    EXPECT_FALSE(dialog.SavePathsCheck().get_active());
    EXPECT_TRUE(dialog.WindowDataCheck().get_active());
    EXPECT_FALSE(dialog.DyeNewsCheck().get_active());
    EXPECT_TRUE(dialog.DarkModeCheck().get_active());
    EXPECT_EQ(dialog.SearchCombo().get_active_row_number(), 2);
    EXPECT_EQ(dialog.HintCombo().get_active_row_number(), 1);
    EXPECT_EQ(dialog.TitleCombo().get_active_row_number(), 0);
    EXPECT_EQ(dialog.MarkingCombo().get_active_row_number(), 2);
    // A language outside the three rows leaves the chooser without a row.
    EXPECT_EQ(dialog.LanguageRow(), -1);
}

TEST_F(SettingsTest, LanguageRowsShowTheirFlags) {
    Start();
    auto store = Glib::RefPtr<Gtk::ListStore>::cast_dynamic(Settings().LanguageCombo().get_model());
    ASSERT_TRUE(store);
    const Picture flags[] = {Picture::FlagGerman, Picture::FlagBritish, Picture::FlagFrench};
    int row = 0;
    for (const auto& child : store->children()) {
        Glib::RefPtr<Gdk::Pixbuf> flag;
        child.get_value(0, flag);
        ASSERT_LT(row, 3);
        EXPECT_TRUE(flag);
        EXPECT_EQ(flag, app->ui.pictures.Of(flags[row]));
        ++row;
    }
    EXPECT_EQ(SettingsWindow::RowTexts(Settings().LanguageCombo()),
              (std::vector<std::string>{"German", "English", "French"}));
}

TEST_F(SettingsTest, ClicksOnChoosersAndSettingsDoNotTakeTheFocus) {
    Start();
    SettingsWindow& dialog = Settings();
    struct Case {
        const char* name;
        Gtk::Widget& widget;
        bool takesFocus;
    };
    for (const Case& c :
         {Case{"database button", dialog.DatabaseButton(), false},
          Case{"library button", dialog.LibraryButton(), false},
          Case{"font button", dialog.FontButton(), false},
          Case{"save-paths check box", dialog.SavePathsCheck(), false},
          Case{"window-data check box", dialog.WindowDataCheck(), false},
          Case{"language combo box", dialog.LanguageCombo(), false},
          Case{"search combo box", dialog.SearchCombo(), false},
          Case{"hint combo box", dialog.HintCombo(), false},
          Case{"title combo box", dialog.TitleCombo(), false},
          Case{"marking combo box", dialog.MarkingCombo(), false},
          Case{"new-entries check box", dialog.DyeNewsCheck(), true},
          Case{"dark-colours check box", dialog.DarkModeCheck(), true},
          Case{"apply button", dialog.ApplyButton(), true}, Case{"save button", dialog.SaveButton(), true}}) {
        EXPECT_EQ(c.widget.get_focus_on_click(), c.takesFocus) << c.name;
    }
    // A combo box is clicked through its inner button, which must not take the focus either.
    for (Gtk::ComboBox* combo : {&dialog.LanguageCombo(), &dialog.SearchCombo(), &dialog.HintCombo(),
                                 &dialog.TitleCombo(), &dialog.MarkingCombo()}) {
        std::vector<GtkWidget*> innerButtons;
        CollectToggleButtons(GTK_WIDGET(combo->gobj()), innerButtons);
        ASSERT_EQ(innerButtons.size(), 1u);
        EXPECT_FALSE(gtk_widget_get_focus_on_click(innerButtons[0]));
    }
}

TEST_F(SettingsTest, RealClicksLeaveTheFocusOnTheCancelButton) {
    Start();
    OpenSettings();
    SettingsWindow& dialog = Settings();
    ASSERT_TRUE(PumpUntil([&] { return dialog.has_toplevel_focus() || dialog.is_active(); }));
    ASSERT_EQ(dialog.get_focus(), &dialog.CancelButton());
    const auto click = [&](Gtk::Widget& widget) {
        GdkWindow* target = EventWindowOf(dialog.get_window()->gobj(), widget.gobj());
        ASSERT_NE(target, nullptr);
        for (const GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
            GdkEvent* event = gdk_event_new(type);
            event->button.window = GDK_WINDOW(g_object_ref(target));
            event->button.send_event = TRUE;
            event->button.time = GDK_CURRENT_TIME;
            event->button.x = widget.get_allocated_width() / 2.0;
            event->button.y = widget.get_allocated_height() / 2.0;
            event->button.button = 1;
            event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
            gdk_event_set_device(
                event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
            gtk_main_do_event(event);
            gdk_event_free(event);
        }
        test::PumpFor(std::chrono::milliseconds(100));
    };
    click(dialog.SavePathsCheck());
    EXPECT_FALSE(dialog.SavePathsCheck().get_active());  // the click arrived
    EXPECT_EQ(dialog.get_focus(), &dialog.CancelButton());
    std::vector<GtkWidget*> inner;
    CollectToggleButtons(GTK_WIDGET(dialog.HintCombo().gobj()), inner);
    ASSERT_EQ(inner.size(), 1u);
    click(*Glib::wrap(inner[0]));
    EXPECT_EQ(dialog.get_focus(), &dialog.CancelButton());
    dialog.HintCombo().popdown();
    test::PumpFor(std::chrono::milliseconds(100));
    click(dialog.DyeNewsCheck());
    EXPECT_FALSE(dialog.DyeNewsCheck().get_active());
    EXPECT_EQ(dialog.get_focus(), &dialog.DyeNewsCheck());  // this one takes the focus
    Settle();
}

TEST_F(SettingsTest, StockButtonsShowTheirPictureAndLabel) {
    Start();
    struct Case {
        Gtk::Button& button;
        const char* icon;
    };
    for (const Case& c :
         {Case{Settings().ApplyButton(), "gtk-apply"}, Case{Settings().CancelButton(), "gtk-cancel"},
          Case{Settings().SaveButton(), "document-save"}}) {
        auto* image = dynamic_cast<Gtk::Image*>(c.button.get_image());
        ASSERT_NE(image, nullptr) << c.icon;
        EXPECT_EQ(image->property_icon_name().get_value(), c.icon);
        EXPECT_FALSE(c.button.get_label().empty()) << c.icon;
        EXPECT_TRUE(c.button.get_use_underline()) << c.icon;
    }
}

TEST_F(SettingsTest, EveryTextOfTheMainWindowAndTheDialogIsALanguageTarget) {
    Start();
    const auto isOurs = [](std::string_view key) {
        return key.starts_with("#Cnf_") || key.starts_with("#Main_") || key.starts_with("#PuInf_");
    };
    for (const std::string_view key : kLabelKeys) {
        if (isOurs(key)) {
            EXPECT_EQ(app->ui.textTargets.labels.count(key), 1u) << key;
        }
    }
    for (const std::string_view key : kTooltipKeys) {
        if (isOurs(key)) {
            EXPECT_EQ(app->ui.textTargets.tooltips.count(key), 1u) << key;
        }
    }
}

TEST_F(SettingsTest, EscapeHidesTheDialogAndKeepsTheChangedComboBoxes) {
    Start();
    OpenSettings();
    Settings().HintCombo().set_active(2);
    Settings().MarkingCombo().set_active(1);
    test::SendKey(Settings(), GDK_KEY_Escape);
    Settle();
    EXPECT_FALSE(Settings().get_visible());
    EXPECT_EQ(app->records.preferences.searchHint, 0);
    EXPECT_EQ(app->records.preferences.codeMarks, 0);
    OpenSettings();
    EXPECT_EQ(Settings().HintCombo().get_active_row_number(), 2);
    EXPECT_EQ(Settings().MarkingCombo().get_active_row_number(), 1);
    // The main window's Escape would end the program; the dialog's only hides it.
    EXPECT_FALSE(app->records.state.quitRequest);
}

TEST_F(SettingsTest, CloseButtonAndCancelHideTheDialog) {
    Start();
    OpenSettings();
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(Settings().get_window()->gobj()));
    gtk_main_do_event(event);
    gdk_event_free(event);
    Settle();
    EXPECT_FALSE(Settings().get_visible());
    EXPECT_FALSE(app->records.state.quitRequest);

    OpenSettings();
    Click(Settings().CancelButton());
    EXPECT_FALSE(Settings().get_visible());
    EXPECT_TRUE(Main().get_visible());
}

TEST_F(SettingsTest, CancelledLibraryRequesterKeepsTheField) {
    Start({"Lib-path=/srv/korvex/"});
    OpenSettings();
    Click(Settings().LibraryButton());
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].title, "Choose Library-Main-Path ...");
    EXPECT_EQ(Settings().LibraryPath(), "/srv/korvex/");
}

TEST_F(SettingsTest, ChosenLibraryFolderEndsWithSlashAndTheProgramFolderIsEmpty) {
    Start();
    folder.WriteFile("Library/Buttons/Simple.kx", "; x\n");
    OpenSettings();
    watcher.ChooseFile(folder.Path() + "Library");
    Click(Settings().LibraryButton());
    EXPECT_EQ(Settings().LibraryPath(), folder.Path() + "Library/");

    watcher.ChooseFile(WithoutTrailingSlashes(folder.Path()));
    Click(Settings().LibraryButton());
    EXPECT_EQ(Settings().LibraryPath(), "");
}

TEST_F(SettingsTest, DatabaseRequesterPutsTheChosenFileIntoTheField) {
    Start();
    folder.WriteFile("other/Other-Toc.xml", test::SmallDatabase());
    OpenSettings();
    Click(Settings().DatabaseButton());  // cancelled
    EXPECT_EQ(Settings().DatabasePath(), folder.Path() + "Quillmate-Toc.xml");
    watcher.ChooseFile(folder.Path() + "other/Other-Toc.xml");
    Click(Settings().DatabaseButton());
    EXPECT_EQ(Settings().DatabasePath(), folder.Path() + "other/Other-Toc.xml");
    ASSERT_FALSE(watcher.Seen().empty());
    for (const test::SeenDialog& seen : watcher.Seen()) {
        EXPECT_EQ(seen.kind, "file");
        EXPECT_EQ(seen.title, "Choose database 'Quillmate-Toc.xml' ...");
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SettingsTest, FontRequesterPutsFamilyAndSizeIntoTheFields) {
    Start();
    OpenSettings();
    std::string startFont;
    sigc::connection answer = Glib::signal_timeout().connect(
        [&startFont] {
            for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
                auto* chooser = dynamic_cast<Gtk::FontChooserDialog*>(window);
                if (chooser != nullptr && chooser->get_mapped()) {
                    startFont = chooser->get_font();
                    chooser->set_font("Sans Bold 14");
                    chooser->response(Gtk::RESPONSE_OK);
                    return false;
                }
            }
            return true;
        },
        30);
    Click(Settings().FontButton());
    answer.disconnect();
    EXPECT_EQ(startFont, "Monospace 10");
    EXPECT_EQ(Settings().FontName(), "Sans");
    EXPECT_EQ(Settings().FontSizeText(), "14");
    // Only Save takes the font.
    EXPECT_EQ(app->records.preferences.fontName, "Monospace");
}

TEST_F(SettingsTest, ApplyWithAMalformedDatabaseLeavesTheTreeEmptyWithoutMessage) {
    Start();
    ShowRow(test::kSimpleRow);
    ASSERT_FALSE(Main().Code().Text().empty());
    AddToHistory(*app, Main().Tree().SelectedRow());
    ASSERT_EQ(Main().HistoryCombo().get_model()->children().size(), 1u);
    folder.WriteFile("broken/Quillmate-Toc.xml", "this is no XML at all\n");
    OpenSettings();
    Settings().SetDatabasePath(folder.Path() + "broken/Quillmate-Toc.xml");
    Click(Settings().ApplyButton());

    EXPECT_EQ(Main().Tree().RowCount(), 0);
    EXPECT_TRUE(app->records.entries.empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Main().Code().Text(), "");
    EXPECT_EQ(Main().get_title(), "Quillmate");
    EXPECT_EQ(Main().HistoryCombo().get_model()->children().size(), 0u);
    EXPECT_EQ(Main().HistoryCombo().get_entry()->get_text(), "");
    EXPECT_EQ(app->records.state.themeCount, 0);
    EXPECT_EQ(app->records.state.entryCount, 0);
    EXPECT_EQ(app->records.location.dbFullPath, folder.Path() + "broken/Quillmate-Toc.xml");
    EXPECT_EQ(app->ui.databaseInfoWindow->DatabaseText(), folder.Path() + "broken/Quillmate-Toc.xml");
    EXPECT_TRUE(Settings().get_visible());  // Apply keeps the dialog open
    // No entry is shown any more, so there is no current code file either.
    EXPECT_EQ(app->ui.mainWindow->Code().CurrentEntryFile(), "");
}

TEST_F(SettingsTest, AfterApplyChoosingTheEntryShownBeforeShowsItAgain) {
    Start();
    ShowRow(test::kSimpleRow);
    OpenSettings();
    Click(Settings().ApplyButton());
    ShowRow(test::kSimpleRow);
    EXPECT_EQ(Main().Code().Text(), "; Simple button\nOpenWindow()");
}

TEST_F(SettingsTest, ApplyLoadsTheOtherDatabaseAndShowsTheCollapsedToggle) {
    Start();
    folder.WriteFile("other/Other-Toc.xml", R"(<Library title="Other">
  <Theme title="Labels">Labels
    <Entry File="/Labels/One.kx" theme_de="eins" theme_en="one" theme_fr="un" descript_de="a" descript_en="a" descript_fr="a"/>
    <Entry File="/Labels/Two.kx" theme_de="zwei" theme_en="two" theme_fr="deux" descript_de="b" descript_en="b" descript_fr="b"/>
  </Theme>
  <Theme title="Boxes">Boxes
    <Entry File="/Boxes/One.kx" theme_de="box" theme_en="box" theme_fr="box" descript_de="c" descript_en="c" descript_fr="c"/>
  </Theme>
</Library>
)");
    ASSERT_EQ(TogglePicture(), app->ui.pictures.Of(Picture::Expanded));
    OpenSettings();
    Settings().SetDatabasePath(folder.Path() + "other/Other-Toc.xml");
    Settings().SetLibraryPath("/srv/korvex/");
    Click(Settings().ApplyButton());

    EXPECT_EQ(Main().Tree().RowCount(), 6);
    EXPECT_EQ(Main().Tree().RowText(0), "Other");
    EXPECT_EQ(app->records.state.themeCount, 2);
    EXPECT_EQ(app->records.state.entryCount, 3);
    EXPECT_EQ(app->records.state.helpEntryIndex, 0);
    EXPECT_EQ(Main().Tree().SelectedRow(), 0);
    EXPECT_EQ(app->records.location.dbFolder, folder.Path() + "other/");
    EXPECT_EQ(app->records.location.dbFileName, "Other-Toc.xml");
    EXPECT_EQ(app->records.location.libPath, "/srv/korvex/");
    // Every node is open, but the toggle starts over collapsed: its first click changes nothing visible.
    EXPECT_TRUE(Main().Tree().IsRowExpanded(1));
    EXPECT_EQ(TogglePicture(), app->ui.pictures.Of(Picture::Collapsed));
    EXPECT_FALSE(app->records.state.expandState);
    ToggleExpandState(*app);
    EXPECT_EQ(TogglePicture(), app->ui.pictures.Of(Picture::Expanded));
    EXPECT_TRUE(Main().Tree().IsRowExpanded(1));
    // Nothing is written by Apply.
    EXPECT_EQ(folder.ReadFile("QuillmateViewer.ini").find("Other-Toc.xml"), std::string::npos);
}

TEST_F(SettingsTest, SaveWritesANewPreferencesFileAsDesigned) {
    Start();
    std::filesystem::remove(folder.Path() + "QuillmateViewer.ini");
    OpenSettings();
    Settings().SetLibraryPath("/srv/korvex/");
    Settings().SearchCombo().set_active(1);
    Click(Settings().SaveButton());
    EXPECT_FALSE(Settings().get_visible());
    const std::string expected = std::string(kBom) + "\n; Viewer\ndb-path=" + folder.Path() +
                                 "Quillmate-Toc.xml\nLib-path=/srv/korvex/\nabout=1\n; User settings\n"
                                 "Language=0\nSearchHint=0\nSearchMode=1\nCodeMarks=0\nFontName=Monospace\n"
                                 "FontSize=10\nSavePaths=1\nSourceInTitle=1\nSaveWinSetting=0\nDyeingNews=1\n"
                                 "DarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\n; App settings\n";
    EXPECT_EQ(folder.ReadFile("QuillmateViewer.ini"), expected);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(app->records.preferences.searchMode, 1);
}

TEST_F(SettingsTest, SaveWithWindowDataWritesTheMainWindowGeometry) {
    Start();
    std::filesystem::remove(folder.Path() + "QuillmateViewer.ini");
    Main().MainSplitter().set_position(300);
    Settle();
    OpenSettings();
    Settings().SavePathsCheck().set_active(false);
    Settings().WindowDataCheck().set_active(true);
    Click(Settings().SaveButton());
    int x = -1;  // where the compositor places the window, the stored position (none) stays
    int y = -1;
    int width = 0;
    int height = 0;
    if (!CompositorPlacesWindows()) {
        Main().get_position(x, y);
    }
    Main().get_size(width, height);
    // Without "SavePaths" the paths are not written (the about dialog has been shown before).
    const std::string expected = std::string(kBom) +
                                 "\n; Viewer\nabout=1\n; User settings\n"
                                 "Language=0\nSearchHint=0\nSearchMode=0\nCodeMarks=0\nFontName=Monospace\n"
                                 "FontSize=10\nSavePaths=0\nSourceInTitle=1\nSaveWinSetting=1\nDyeingNews=1\n"
                                 "DarkMode=0\nCodeEditorPath=\nLineNumbers=0\nZoom=3\n; App settings\nWinX=" +
                                 std::to_string(x) + "\nWinY=" + std::to_string(y) +
                                 "\nWinWidth=" + std::to_string(width) +
                                 "\nWinHight=" + std::to_string(height) + "\nSplitter=300\n";
    EXPECT_EQ(folder.ReadFile("QuillmateViewer.ini"), expected);
}

// A folder in the way, or a file-size limit that stops the write (which must not end the
// program): the failure is reported, nothing is left behind, and the settings stay in force.
TEST_F(SettingsTest, FailedSaveIsReportedLeavesNothingBehindAndTheSettingsStayInForce) {
    const std::string ini = folder.Path() + "QuillmateViewer.ini";
    for (const bool sizeLimit : {true, false}) {
        SCOPED_TRACE(sizeLimit ? "file-size limit" : "folder in the way");
        Start();
        if (!sizeLimit) {
            std::filesystem::remove(ini);
            std::filesystem::create_directory(ini);
        }
        const std::string before = sizeLimit ? folder.ReadFile("QuillmateViewer.ini") : "";
        OpenSettings();
        Settings().HintCombo().set_active(1);
        const std::size_t seen = Messages().size();
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit tight{16, limit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, sizeLimit ? &tight : &limit);
        Click(Settings().SaveButton());
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto messages = Messages();
        ASSERT_EQ(messages.size(), seen + 1);
        EXPECT_EQ(messages.back().title, "Quillmate");
        EXPECT_EQ(messages.back().text, "*.ini-file couldn't be updatet!");
        EXPECT_EQ(app->records.preferences.searchHint, 1);
        for (const auto& item : std::filesystem::directory_iterator(folder.Path())) {
            EXPECT_FALSE(item.path().filename().string().starts_with(".QuillmateViewer.ini."));
        }
        if (sizeLimit) {
            EXPECT_EQ(folder.ReadFile("QuillmateViewer.ini"), before);
        }
        app.reset();
    }
}

TEST_F(SettingsTest, ChangingOnlyDyeingNewsRebuildsTheTreeWithoutMessage) {
    Start();
    CountTreeRows();
    OpenSettings();
    Settings().DyeNewsCheck().set_active(false);
    Click(Settings().SaveButton());
    EXPECT_EQ(RowsAdded(), 7);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(app->records.preferences.dyeingNews, 0);
    EXPECT_NE(folder.ReadFile("QuillmateViewer.ini").find("DyeingNews=0\n"), std::string::npos);
}

TEST_F(SettingsTest, ChangingDarkModeRebuildsTheTreeAndAsksForARestartOnce) {
    Start();
    ShowRow(test::kLabelRow);
    const int selected = Main().Tree().SelectedRow();
    CountTreeRows();
    OpenSettings();
    Settings().DarkModeCheck().set_active(true);
    Click(Settings().SaveButton());
    EXPECT_EQ(RowsAdded(), 7);
    EXPECT_EQ(Main().Tree().SelectedRow(), selected);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Quillmate");
    EXPECT_EQ(messages[0].text, "For an update of the CodeViewer colors the app still has to be restarted!");
    EXPECT_EQ(app->records.palette.evenTheme, "#A1A1A1");  // the tree takes the dark colours at once

    // Saving again without a change asks nothing and builds nothing.
    CountTreeRows();
    OpenSettings();
    Click(Settings().SaveButton());
    EXPECT_EQ(RowsAdded(), 0);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(SettingsTest, ChangedCodeMarkingShowsTheOpenFileAgain) {
    Start();
    ShowRow(test::kSimpleRow);
    ASSERT_EQ(Main().Code().Text(), "; Simple button\nOpenWindow()");
    folder.WriteFile("Buttons/Simple.kx", "; Simple button, edited\nOpenWindow()\n");
    const int selected = Main().Tree().SelectedRow();
    OpenSettings();
    Settings().MarkingCombo().set_active(2);
    Click(Settings().SaveButton());
    EXPECT_EQ(app->records.preferences.codeMarks, 2);
    EXPECT_EQ(Main().Code().Text(), "; Simple button, edited\nOpenWindow()");
    EXPECT_EQ(Main().Tree().SelectedRow(), selected);
    EXPECT_EQ(app->ui.mainWindow->Code().CurrentEntryFile(), "/Buttons/Simple.kx");
}

TEST_F(SettingsTest, ChangedTitleContentRetitlesTheShownFile) {
    // Shown through the search, which leaves no row selected.
    Start({"Language=1"});
    Main().SearchEntry().set_text("with_label");
    Settle();
    test::SendKey(Main(), GDK_KEY_Return);
    Settle();
    ASSERT_EQ(Main().get_title(), "Quillmate ~ /Buttons/Label.kx");
    OpenSettings();
    Settings().TitleCombo().set_active(0);
    Click(Settings().SaveButton());
    EXPECT_EQ(Main().get_title(), "Quillmate ~ Label.kx");
    OpenSettings();
    Settings().TitleCombo().set_active(2);
    Click(Settings().SaveButton());
    EXPECT_EQ(Main().get_title(), "Quillmate ~ " + folder.Path() + "Buttons/Label.kx");
}

TEST_F(SettingsTest, ChangedFontBecomesTheCodeFont) {
    Start();
    OpenSettings();
    Settings().SetFont("Sans", 14);
    Click(Settings().SaveButton());
    EXPECT_EQ(app->ui.codeFont.get_family(), "Sans");
    EXPECT_EQ(app->ui.codeFont.get_size(), 14 * PANGO_SCALE);
    const auto shown = Main().Code().View().get_pango_context()->get_font_description();
    EXPECT_EQ(shown.get_family(), "Sans");
    EXPECT_EQ(shown.get_size(), 14 * PANGO_SCALE);
    const std::string ini = folder.ReadFile("QuillmateViewer.ini");
    EXPECT_NE(ini.find("FontName=Sans\nFontSize=14\n"), std::string::npos);
}

TEST_F(SettingsTest, UnknownFontIsStoredButTheCodeViewKeepsItsFont) {
    Start();
    OpenSettings();
    Settings().SetFont("No Such Font Family 42", 12);
    Click(Settings().SaveButton());
    EXPECT_EQ(app->ui.codeFont.get_family(), "Monospace");
    EXPECT_EQ(app->records.preferences.fontName, "No Such Font Family 42");
    EXPECT_EQ(app->records.preferences.fontSize, 12);
}

TEST_F(SettingsTest, SaveTakesTheChosenDatabaseButKeepsTheLoadedOne) {
    Start();
    folder.WriteFile("other/Other-Toc.xml", test::SmallDatabase());
    const int rows = Main().Tree().RowCount();
    OpenSettings();
    Settings().SetDatabasePath(folder.Path() + "other/Other-Toc.xml");
    Click(Settings().SaveButton());
    EXPECT_EQ(app->records.location.dbFullPath, folder.Path() + "Quillmate-Toc.xml");
    EXPECT_EQ(Main().Tree().RowCount(), rows);
    EXPECT_NE(
        folder.ReadFile("QuillmateViewer.ini").find("db-path=" + folder.Path() + "other/Other-Toc.xml\n"),
        std::string::npos);
}

}  // namespace
}  // namespace quillmate
