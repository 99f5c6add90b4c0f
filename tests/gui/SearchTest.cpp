// The search entry on the real main window: typing, the find icon, F3, Return and Delete.
#include <gtest/gtest.h>
#include <gtkmm/main.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "GuiHarness.h"
#include "app/Application.h"
#include "app/Dispatch.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "database/IndexTreeActions.h"
#include "settings/SettingsDialog.h"

namespace quillmate {
namespace {

using namespace std::chrono_literals;
using test::DialogWatcher;
using test::PumpUntil;
using test::TempProgramFolder;

// Rows of the small library: 0 "Test library", 1 "Quillmate", 2 "Hilfe", 3 "Buttons",
// 4 "gtk_button_new", 5 "gtk_button_new_with_label", 6 "gtk_button_missing".
constexpr int kButtonNewRow = 4;
constexpr int kWithLabelRow = 5;
constexpr int kMissingRow = 6;

class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::FillSmallLibrary(m_folder);
        // The short hint (the entry flashes for 200 ms) keeps the tests quick.
        m_folder.WritePreferences({"db-path=" + m_folder.Path() + "Quillmate-Toc.xml", "Lib-path=", "about=1",
                                   "Language=0", "SearchHint=2", "SearchMode=0", "CodeMarks=0",
                                   "FontName=Monospace", "FontSize=10", "SavePaths=1", "SourceInTitle=1",
                                   "SaveWinSetting=0", "DyeingNews=1", "DarkMode=0", "CodeEditorPath="});
        ASSERT_EQ(::chdir(m_folder.Path().c_str()), 0);
        m_app = std::make_unique<Application>(m_folder.Path());
        StartUp(*m_app);
        ASSERT_TRUE(m_app->ui.mainWindow);
        ASSERT_TRUE(PumpUntil([&] { return Window().get_mapped(); }));
        Settle();
    }
    void TearDown() override {
        int missingFileNotices = 0;
        for (const auto& seen : m_watcher.Seen()) {
            if (m_missingFileShown && seen.text.starts_with("Missing file:\n/Buttons/Missing.kx")) {
                ++missingFileNotices;
            } else {
                ADD_FAILURE() << "unexpected dialog " << seen.title << ": " << seen.text;
            }
        }
        if (m_missingFileShown) {
            EXPECT_EQ(missingFileNotices, 1);
        }
        m_app.reset();
    }

    // The test shows the entry whose file is missing, which is reported once.
    void ExpectMissingFileNotice() { m_missingFileShown = true; }

    MainWindow& Window() { return *m_app->ui.mainWindow; }
    Gtk::Entry& Entry() { return Window().SearchEntry(); }
    int Selected() { return Window().Tree().SelectedRow(); }
    std::string Description() { return Window().DescriptionLine().get_buffer()->get_text(); }
    std::string EntryText() { return Entry().get_text(); }

    // Runs the program's loop, as the event loop does, until its queue has stayed empty for a
    // while (a not-found hint blocks inside its handler meanwhile).
    void Settle() {
        const auto end = std::chrono::steady_clock::now() + 10s;
        auto emptySince = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < end) {
            if (auto event = m_app->services.queue.Take()) {
                Dispatch(*m_app, *event);
                emptySince = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - emptySince > 100ms) {
                return;
            } else if (Gtk::Main::events_pending()) {
                Gtk::Main::iteration(false);
            } else {
                test::PumpFor(2ms);
            }
        }
        ADD_FAILURE() << "the program did not settle";
    }

    void Type(const std::string& keys) {
        for (const char key : keys) {
            test::SendKey(Window(), gdk_unicode_to_keyval(static_cast<guint32>(key)));
            Settle();
        }
    }
    void Press(guint keyval) {
        test::SendKey(Window(), keyval);
        Settle();
    }
    // The whole term at once, as one change of the entry.
    void SetTerm(const std::string& term) {
        Entry().set_text(term);
        Entry().set_position(-1);
        Settle();
    }

    bool m_missingFileShown = false;
    DialogWatcher m_watcher;
    TempProgramFolder m_folder;
    std::unique_ptr<Application> m_app;
};

TEST_F(SearchTest, TypingSearchesFromTheFirstRowAndShowsTheFoundEntry) {
    Type("_new");
    EXPECT_EQ(EntryText(), "_new");
    EXPECT_EQ(Selected(), kButtonNewRow);
    EXPECT_EQ(Description(), "Ein Knopf");
    EXPECT_EQ(Window().CodeText(), "; Simple button\nOpenWindow()");
    // Shown like a keyboard selection: the history does not change.
    EXPECT_TRUE(m_app->records.history.Entries().empty());
    Type("_w");
    EXPECT_EQ(Selected(), kWithLabelRow);
    EXPECT_EQ(Description(), "Knopf mit Text");
}

TEST_F(SearchTest, FailingLetterIsTakenBackAndTheShorterTermStaysSelected) {
    Type("_new");
    ASSERT_EQ(Selected(), kButtonNewRow);
    const std::string description = Description();
    const std::string code = Window().CodeText();
    Type("x");
    EXPECT_EQ(EntryText(), "_new");
    EXPECT_EQ(Selected(), kButtonNewRow);
    EXPECT_EQ(Description(), description);
    EXPECT_EQ(Window().CodeText(), code);
    EXPECT_TRUE(Entry().is_focus());
}

TEST_F(SearchTest, FailingChangeInsideTheTermKeepsTheTextAndClearsTheSelection) {
    SetTerm("label");
    ASSERT_EQ(Selected(), kWithLabelRow);
    const std::string description = Description();
    const std::string code = Window().CodeText();
    Entry().set_position(2);
    Type("x");
    EXPECT_EQ(EntryText(), "laxbel");
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(Description(), description);
    EXPECT_EQ(Window().CodeText(), code);
}

TEST_F(SearchTest, F3ContinuesAfterTheSelectedRowAndStartsAgainAfterTheLastMatch) {
    ExpectMissingFileNotice();
    SetTerm("gtk_button");
    ASSERT_EQ(Selected(), kButtonNewRow);
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), kWithLabelRow);
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), kMissingRow);
    const std::string description = Description();
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(EntryText(), "gtk_button");  // search-next never takes a character back
    EXPECT_EQ(Description(), description);
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), kButtonNewRow);
}

TEST_F(SearchTest, FindIconSearchesOnLikeF3) {
    SetTerm("gtk_button");
    ASSERT_EQ(Selected(), kButtonNewRow);
    GdkEvent* click = gdk_event_new(GDK_BUTTON_PRESS);
    click->button.button = 1;
    g_signal_emit_by_name(Entry().gobj(), "icon-press", GTK_ENTRY_ICON_PRIMARY, click);
    gdk_event_free(click);
    Settle();
    EXPECT_EQ(Selected(), kWithLabelRow);
}

TEST_F(SearchTest, ReturnSearchesOnOnlyInTheEntry) {
    ExpectMissingFileNotice();
    SetTerm("gtk_button");
    ASSERT_EQ(Selected(), kButtonNewRow);
    Window().Tree().grab_focus();
    Settle();
    Press(GDK_KEY_Return);
    EXPECT_EQ(Selected(), kButtonNewRow);
    Press(GDK_KEY_KP_Enter);
    EXPECT_EQ(Selected(), kButtonNewRow);
    Entry().grab_focus();
    Settle();
    Press(GDK_KEY_Return);
    EXPECT_EQ(Selected(), kWithLabelRow);
    Press(GDK_KEY_KP_Enter);
    EXPECT_EQ(Selected(), kMissingRow);
}

TEST_F(SearchTest, DeleteEmptiesTheEntryFromAnywhereInTheWindow) {
    SetTerm("label");
    ASSERT_EQ(Selected(), kWithLabelRow);
    Window().Tree().grab_focus();
    Settle();
    Press(GDK_KEY_Delete);
    EXPECT_EQ(EntryText(), "");
    EXPECT_TRUE(Entry().is_focus());
    // The empty term searches nothing: the shown entry stays selected.
    EXPECT_EQ(Selected(), kWithLabelRow);
    EXPECT_EQ(Description(), "Knopf mit Text");
}

TEST_F(SearchTest, EmptyTermWithF3DoesNothing) {
    SetTerm("label");
    SetTerm("");
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), kWithLabelRow);
}

TEST_F(SearchTest, SearchFollowsLanguageChanges) {
    m_app->records.preferences.searchMode = 1;  // index only
    SetTerm("help");
    // No German row title holds "help", "hel" or "he": the characters are taken back one by one
    // until "h" finds "Hilfe".
    EXPECT_EQ(EntryText(), "h");
    EXPECT_EQ(Selected(), 2);
    // The index language is the settings dialog's language chooser.
    m_app->ui.settingsWindow->SetLanguageRow(1);
    m_app->records.preferences.language = 1;
    RebuildIndexTree(*m_app);
    SetTerm("help");
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(EntryText(), "help");
}

TEST_F(SearchTest, EveryNotFoundHintLeavesTheWindowWhereItWas) {
    SetTerm("gtk_button_missing");
    ExpectMissingFileNotice();
    ASSERT_EQ(Selected(), kMissingRow);
    int x = 0;
    int y = 0;
    Window().get_position(x, y);
    for (const int hint : {0, 1, 2, 7}) {
        m_app->records.preferences.searchHint = hint;
        Press(GDK_KEY_F3);
        EXPECT_EQ(Selected(), -1) << "hint " << hint;
        int afterX = 0;
        int afterY = 0;
        Window().get_position(afterX, afterY);
        EXPECT_EQ(afterX, x) << "hint " << hint;
        EXPECT_EQ(afterY, y) << "hint " << hint;
        Press(GDK_KEY_F3);  // from row 0 again
        ASSERT_EQ(Selected(), kMissingRow);
    }
}

}  // namespace
}  // namespace quillmate
