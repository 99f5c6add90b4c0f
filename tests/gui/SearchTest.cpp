// The search entry on the real main window: typing, the find icon, F3, Return and Delete.
#include <string>

#include "ProgramDriver.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "database/IndexTreeActions.h"

namespace quillmate {
namespace {

class SearchTest : public test::ProgramTest {
  protected:
    // The short hint (the entry flashes for 200 ms) keeps the tests quick.
    void SetUp() override { Start({"SearchHint=2"}); }
    void TearDown() override {
        int missingFileNotices = 0;
        for (const auto& seen : watcher.Seen()) {
            if (m_missingFileShown && seen.text.starts_with("Missing file:\n/Buttons/Missing.kx")) {
                ++missingFileNotices;
            } else {
                ADD_FAILURE() << "unexpected dialog " << seen.title << ": " << seen.text;
            }
        }
        if (m_missingFileShown) {
            EXPECT_EQ(missingFileNotices, 1);
        }
        app.reset();
    }

    // The test shows the entry whose file is missing, which is reported once.
    void ExpectMissingFileNotice() { m_missingFileShown = true; }

    Gtk::Entry& Entry() { return Main().SearchEntry(); }
    int Selected() { return Main().Tree().SelectedRow(); }
    std::string Description() { return Main().DescriptionLine().get_buffer()->get_text(); }
    std::string EntryText() { return Entry().get_text(); }

    void Type(const std::string& keys) {
        for (const char key : keys) {
            test::SendKey(Main(), gdk_unicode_to_keyval(static_cast<guint32>(key)));
            Settle();
        }
    }
    void Press(guint keyval) {
        test::SendKey(Main(), keyval);
        Settle();
    }
    // The whole term at once, as one change of the entry.
    void SetTerm(const std::string& term) {
        Entry().set_text(term);
        Entry().set_position(-1);
        Settle();
    }

    bool m_missingFileShown = false;
};

TEST_F(SearchTest, TypingSearchesFromTheFirstRowAndShowsTheFoundEntry) {
    Type("_new");
    EXPECT_EQ(EntryText(), "_new");
    EXPECT_EQ(Selected(), test::kSimpleRow);
    EXPECT_EQ(Description(), "Ein Knopf");
    EXPECT_EQ(Main().Code().Text(), "; Simple button\nOpenWindow()");
    // Shown like a keyboard selection: the history does not change.
    EXPECT_TRUE(app->records.history.Entries().empty());
    Type("_w");
    EXPECT_EQ(Selected(), test::kLabelRow);
    EXPECT_EQ(Description(), "Knopf mit Text");
}

TEST_F(SearchTest, FailingLetterIsTakenBackAndTheShorterTermStaysSelected) {
    Type("_new");
    ASSERT_EQ(Selected(), test::kSimpleRow);
    const std::string description = Description();
    const std::string code = Main().Code().Text();
    Type("x");
    EXPECT_EQ(EntryText(), "_new");
    EXPECT_EQ(Selected(), test::kSimpleRow);
    EXPECT_EQ(Description(), description);
    EXPECT_EQ(Main().Code().Text(), code);
    EXPECT_TRUE(Entry().is_focus());
}

TEST_F(SearchTest, FailingChangeInsideTheTermKeepsTheTextAndClearsTheSelection) {
    SetTerm("label");
    ASSERT_EQ(Selected(), test::kLabelRow);
    const std::string description = Description();
    const std::string code = Main().Code().Text();
    Entry().set_position(2);
    Type("x");
    EXPECT_EQ(EntryText(), "laxbel");
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(Description(), description);
    EXPECT_EQ(Main().Code().Text(), code);
}

TEST_F(SearchTest, F3ContinuesAfterTheSelectedRowAndStartsAgainAfterTheLastMatch) {
    ExpectMissingFileNotice();
    SetTerm("gtk_button");
    ASSERT_EQ(Selected(), test::kSimpleRow);
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), test::kLabelRow);
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), test::kMissingRow);
    const std::string description = Description();
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(EntryText(), "gtk_button");  // search-next never takes a character back
    EXPECT_EQ(Description(), description);
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), test::kSimpleRow);
}

TEST_F(SearchTest, FindIconSearchesOnLikeF3) {
    SetTerm("gtk_button");
    ASSERT_EQ(Selected(), test::kSimpleRow);
    GdkEvent* click = gdk_event_new(GDK_BUTTON_PRESS);
    click->button.button = 1;
    g_signal_emit_by_name(Entry().gobj(), "icon-press", GTK_ENTRY_ICON_PRIMARY, click);
    gdk_event_free(click);
    Settle();
    EXPECT_EQ(Selected(), test::kLabelRow);
}

TEST_F(SearchTest, ReturnSearchesOnOnlyInTheEntry) {
    ExpectMissingFileNotice();
    SetTerm("gtk_button");
    ASSERT_EQ(Selected(), test::kSimpleRow);
    Main().Tree().grab_focus();
    Settle();
    Press(GDK_KEY_Return);
    EXPECT_EQ(Selected(), test::kSimpleRow);
    Press(GDK_KEY_KP_Enter);
    EXPECT_EQ(Selected(), test::kSimpleRow);
    Entry().grab_focus();
    Settle();
    Press(GDK_KEY_Return);
    EXPECT_EQ(Selected(), test::kLabelRow);
    Press(GDK_KEY_KP_Enter);
    EXPECT_EQ(Selected(), test::kMissingRow);
}

TEST_F(SearchTest, DeleteEmptiesTheEntryFromAnywhereInTheWindow) {
    SetTerm("label");
    ASSERT_EQ(Selected(), test::kLabelRow);
    Main().Tree().grab_focus();
    Settle();
    Press(GDK_KEY_Delete);
    EXPECT_EQ(EntryText(), "");
    EXPECT_TRUE(Entry().is_focus());
    // The empty term searches nothing: the shown entry stays selected.
    EXPECT_EQ(Selected(), test::kLabelRow);
    EXPECT_EQ(Description(), "Knopf mit Text");
}

TEST_F(SearchTest, EmptyTermWithF3DoesNothing) {
    SetTerm("label");
    SetTerm("");
    Press(GDK_KEY_F3);
    EXPECT_EQ(Selected(), test::kLabelRow);
}

TEST_F(SearchTest, SearchFollowsLanguageChanges) {
    app->records.preferences.searchMode = 1;  // index only
    SetTerm("help");
    // No German row title holds "help", "hel" or "he": the characters are taken back one by one
    // until "h" finds "Hilfe".
    EXPECT_EQ(EntryText(), "h");
    EXPECT_EQ(Selected(), 2);
    app->records.preferences.language = 1;
    RebuildIndexTree(*app);
    SetTerm("help");
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(EntryText(), "help");
}

TEST_F(SearchTest, EveryNotFoundHintLeavesTheWindowWhereItWas) {
    SetTerm("gtk_button_missing");
    ExpectMissingFileNotice();
    ASSERT_EQ(Selected(), test::kMissingRow);
    int x = 0;
    int y = 0;
    Main().get_position(x, y);
    for (const int hint : {0, 1, 2, 7}) {
        app->records.preferences.searchHint = hint;
        Press(GDK_KEY_F3);
        EXPECT_EQ(Selected(), -1) << "hint " << hint;
        int afterX = 0;
        int afterY = 0;
        Main().get_position(afterX, afterY);
        EXPECT_EQ(afterX, x) << "hint " << hint;
        EXPECT_EQ(afterY, y) << "hint " << hint;
        Press(GDK_KEY_F3);  // from row 0 again
        ASSERT_EQ(Selected(), test::kMissingRow);
    }
}

// With the code searched too, a term that stands only in code finds its entry, opens the find
// bar on it while the search entry keeps the focus; Return walks through that code, F3 goes on.
TEST_F(SearchTest, CodeScopeFindsANameOnlyTheCodeHolds) {
    app.reset();
    test::FillSmallLibrary(folder, {"SearchHint=2", "SearchMode=3"});
    folder.WriteFile("Buttons/Label.kx", "OpenWindow()\nopenwindow()\n; IDE Options = OpenWindow\n");
    Launch();
    ASSERT_TRUE(test::PumpUntil([&] { return app->records.codeTexts.Complete(); }));
    Entry().grab_focus();
    Type("openw");
    FindBar& bar = Main().Finder();
    EXPECT_EQ(Selected(), test::kSimpleRow);
    EXPECT_TRUE(bar.IsOpen());
    EXPECT_EQ(bar.Term(), "openw");
    EXPECT_EQ(bar.CountLabel().get_text(), "1 / 1");
    EXPECT_TRUE(Entry().is_focus());
    test::SendKey(Main(), GDK_KEY_F3);
    Settle();
    EXPECT_EQ(Selected(), test::kLabelRow);
    EXPECT_EQ(bar.CountLabel().get_text(), "1 / 2");  // the option trailer is not searched
    test::SendKey(Main(), GDK_KEY_Return);
    Settle();
    EXPECT_EQ(bar.CountLabel().get_text(), "2 / 2");
    EXPECT_EQ(Selected(), test::kLabelRow);
}

}  // namespace
}  // namespace quillmate
