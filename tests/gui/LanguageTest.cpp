// The language switch on the real start-up: the index tree in the database's languages and the
// widget texts from a language file written for the test.
#include <gdk/gdkkeysyms.h>
#include <gtkmm/image.h>
#include <gtkmm/menuitem.h>

#include <cstdlib>

#include "ProgramDriver.h"
#include "app/MainActions.h"
#include "settings/AboutDialogs.h"

namespace quillmate {
namespace {

using Rows = std::vector<std::string>;

// German texts that differ from the built-in ones, so that a text read from the file can be
// told from the built-in one. "#Cnf_LabelHint" has no item; "#Cnf_CodeMarking" has no French
// line and only two English rows.
constexpr const char* kLanguageFile =
    "; test language file\n"
    "Key = #Cnf_LangLabel\nde = should be ignored before the section\n"
    "[LanguageItems]\n"
    "Key = #Cnf_LangLabel\nde = Sprache (Datei)\nen = Language\nfr = Langue\n"
    "Key = #Cnf_Language\nde = Deutsch\tEnglisch\tFranzösisch\nen = German\tEnglish\tFrench\n"
    "fr = Allemand\tAnglais\tFrançais\n"
    "Key = #Cnf_Frame1\nde = Pfade (Datei) ...\nen = Paths ...\nfr = Chemins ...\n"
    "Key = #Cnf_Paths2Pref\nde = Pfade speichern (Datei)\nen = Save the paths\nfr = Enregistrer les chemins\n"
    "Key = #Cnf_CodeMarking\nde = Text\tFett\tBlau\nen = Plain\tBold\n"
    "Key = #PuInf_AboutApp\nde = Über (Datei) ...\nen = About Quillmate ...\nfr = À propos ...\n"
    "[Tooltips]\n"
    "Key = #Cnf_Apply\nde = Übernimmt (Datei).\nen = Applies the paths.\nfr = Applique les chemins.\n"
    "Key = #Main_Setting\nde = Einstellungen (Datei).\nen = Settings.\nfr = Réglages.\n";

class LanguageTest : public test::ProgramTest {
  protected:
    void WriteLanguageFile() { folder.WriteFile("QuillmateLang.inf", kLanguageFile); }

    // Chooses the language in the dialog and saves.
    void SaveLanguage(int row) {
        OpenSettings();
        Settings().LanguageCombo().set_active(row);
        Click(Settings().SaveButton());
    }

    std::string HelpRowText() { return Main().Tree().RowText(app->records.state.helpEntryIndex); }
    std::string AboutItemText() {
        auto* item = dynamic_cast<Gtk::MenuItem*>(app->ui.menus->infoMenu.get_children().at(0));
        return item != nullptr ? std::string(item->get_label()) : std::string();
    }
    std::string SettingsTooltip() { return Main().SettingsButton()->get_tooltip_text(); }
};

TEST_F(LanguageTest, SwitchingToEnglishAndBackReadsTheTextsFromTheFile) {
    test::FillSmallLibrary(folder);
    WriteLanguageFile();
    Launch();
    EXPECT_FALSE(app->records.languageTable.Loaded());  // German needs no language file
    ASSERT_EQ(HelpRowText(), "Hilfe");
    test::MoveTreeCursor(*app, 4);
    const std::string title = Main().get_title();

    SaveLanguage(1);
    SettingsWindow& dialog = Settings();
    EXPECT_EQ(app->records.preferences.language, 1);
    EXPECT_EQ(HelpRowText(), "Help");
    EXPECT_EQ(test::DescriptionText(*app), "A button");  // the entry shown stays
    EXPECT_EQ(Main().get_title(), title);
    EXPECT_EQ(dialog.LanguageLabel().get_text(), "Language");
    EXPECT_EQ(dialog.PathsCaption().get_text(), "Paths ...");
    EXPECT_EQ(dialog.SavePathsCheck().get_label(), "Save the paths");
    EXPECT_EQ(SettingsWindow::RowTexts(dialog.LanguageCombo()), (Rows{"German", "English", "French"}));
    EXPECT_EQ(SettingsWindow::RowTexts(dialog.MarkingCombo()),
              (Rows{"Plain", "Bold", "Blau+Fett, graue Kommentare"}));
    EXPECT_EQ(dialog.ApplyButton().get_tooltip_text(), "Applies the paths.");
    EXPECT_EQ(SettingsTooltip(), "Settings.");
    EXPECT_EQ(AboutItemText(), "About Quillmate ...");
    // No item in the file: the built-in German text stays.
    EXPECT_EQ(dialog.HintLabel().get_text(), "'Nicht gefunden' Hinweis");
    EXPECT_EQ(dialog.CancelButton().get_tooltip_text(), "Schließt ohne Übernahme der Änderungen.");
    EXPECT_EQ(dialog.LanguageCombo().get_active_row_number(), 1);

    SaveLanguage(0);
    EXPECT_EQ(app->records.preferences.language, 0);
    EXPECT_EQ(HelpRowText(), "Hilfe");
    EXPECT_EQ(dialog.LanguageLabel().get_text(), "Sprache (Datei)");
    EXPECT_EQ(dialog.PathsCaption().get_text(), "Pfade (Datei) ...");
    EXPECT_EQ(SettingsWindow::RowTexts(dialog.LanguageCombo()), (Rows{"Deutsch", "Englisch", "Französisch"}));
    EXPECT_EQ(SettingsWindow::RowTexts(dialog.MarkingCombo()), (Rows{"Text", "Fett", "Blau"}));
    EXPECT_EQ(dialog.ApplyButton().get_tooltip_text(), "Übernimmt (Datei).");
    EXPECT_EQ(SettingsTooltip(), "Einstellungen (Datei).");
    EXPECT_EQ(AboutItemText(), "Über (Datei) ...");

    SaveLanguage(2);
    EXPECT_EQ(HelpRowText(), "Aide");
    EXPECT_EQ(dialog.LanguageLabel().get_text(), "Langue");
    // The item has no French line: every row is built-in again.
    EXPECT_EQ(SettingsWindow::RowTexts(dialog.MarkingCombo()),
              (Rows{"Reiner Text", "Fett, graue Kommentare", "Blau+Fett, graue Kommentare"}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_NE(folder.ReadFile("QuillmateViewer.ini").find("Language=2\n"), std::string::npos);
}

TEST_F(LanguageTest, PictureControlsAreNamedByTheirTooltipsInEveryLanguage) {
    test::FillSmallLibrary(folder);
    WriteLanguageFile();
    Launch();
    Gtk::Widget* const pictures[] = {Main().ExpandToggle(),
                                     &Main().FavouriteButton(),
                                     &Main().Finder().NextButton(),
                                     Main().QuickCopyButton(),
                                     Main().SettingsButton(),
                                     Main().HelpButton(),
                                     Main().InfoButton(),
                                     app->ui.databaseInfoWindow->CopyIcon(),
                                     app->ui.databaseInfoWindow->LibraryIcon()};
    for (const int row : {1, 2, 0}) {
        SaveLanguage(row);
        for (Gtk::Widget* picture : pictures) {
            EXPECT_EQ(picture->get_accessible()->get_name(), picture->get_tooltip_text()) << row;
        }
    }
}

TEST_F(LanguageTest, MissingLanguageFileKeepsTheGermanTextsAndIsReportedOnce) {
    Start();
    SaveLanguage(1);
    EXPECT_EQ(HelpRowText(), "Help");  // the index still follows the database
    EXPECT_EQ(Settings().LanguageLabel().get_text(), "Sprache");
    EXPECT_EQ(Settings().ApplyButton().get_tooltip_text(),
              "Übernimmt (temporär) die Pfade und lädt die Datenbank neu.");
    EXPECT_EQ(SettingsWindow::RowTexts(Settings().LanguageCombo()), (Rows{"German", "English", "French"}));
    EXPECT_EQ(AboutItemText(), "Über Quillmate ...");
    SaveLanguage(0);
    SaveLanguage(2);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "");
    EXPECT_EQ(messages[0].text, "Language-File not found!");
    EXPECT_EQ(Settings().LanguageLabel().get_text(), "Sprache");
}

TEST_F(LanguageTest, StoredLanguageIsAppliedAtStartUp) {
    test::FillSmallLibrary(folder, {"Language=1"});
    WriteLanguageFile();
    Launch();
    EXPECT_EQ(app->records.preferences.language, 1);
    EXPECT_EQ(Settings().LanguageRow(), 1);
    EXPECT_EQ(HelpRowText(), "Help");
    EXPECT_EQ(Settings().LanguageLabel().get_text(), "Language");
    EXPECT_EQ(SettingsTooltip(), "Settings.");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LanguageTest, WithoutAStoredLanguageTheLocaleDecides) {
    struct Case {
        const char* locale;
        bool stored;  // the file holds "Language=0"
        int language;
        const char* helpRow;
    };
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    for (const Case& c : {Case{"de_DE.UTF-8", false, 0, "Hilfe"}, Case{"fr_FR.UTF-8", false, 2, "Aide"},
                          Case{"en_US.UTF-8", false, 1, "Help"}, Case{"C", false, 1, "Help"},
                          Case{"fr_FR.UTF-8", true, 0, "Hilfe"}}) {
        SCOPED_TRACE(c.locale);
        setenv("LANG", c.locale, 1);
        test::FillSmallLibrary(folder);
        WriteLanguageFile();
        if (!c.stored) {
            std::string preferences = folder.ReadFile("QuillmateViewer.ini");
            preferences.erase(preferences.find("Language=0\n"), 11);
            folder.WriteFile("QuillmateViewer.ini", preferences);
        }
        Launch();
        EXPECT_EQ(app->records.preferences.language, c.language);
        EXPECT_EQ(Settings().LanguageRow(), c.language);
        EXPECT_EQ(HelpRowText(), c.helpRow);
        app.reset();
    }
}

TEST_F(LanguageTest, GermanStartReadsNoLanguageFile) {
    Start();
    EXPECT_FALSE(app->records.languageTable.Loaded());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Settings().LanguageLabel().get_text(), "Sprache");
}

TEST_F(LanguageTest, LanguageOutsideTheRowsTakesTheTextsOfLang) {
    setenv("LANG", "fr_FR.UTF-8", 1);
    test::FillSmallLibrary(folder, {"Language=5"});
    WriteLanguageFile();
    Launch();
    EXPECT_EQ(Settings().LanguageRow(), -1);
    EXPECT_EQ(HelpRowText(), "Hilfe");  // no index language: German titles
    EXPECT_EQ(Settings().LanguageLabel().get_text(), "Langue");
}

TEST_F(LanguageTest, LanguageKeysSwitchTheIndexButNotTheTexts) {
    test::FillSmallLibrary(folder);
    WriteLanguageFile();
    Launch();
    test::MoveTreeCursor(*app, 4);
    const std::string code = test::CodeText(*app);
    struct Step {
        guint key;
        GdkModifierType modifiers;
        int row;
        const char* helpRow;
        const char* description;  // of the entry shown, which stays
    };
    const GdkModifierType alt = GDK_MOD1_MASK;
    const GdkModifierType none = GdkModifierType(0);
    for (const Step& step :
         {Step{GDK_KEY_F6, none, 1, "Help", "A button"}, Step{GDK_KEY_F6, none, 0, "Hilfe", "Ein Knopf"},
          Step{GDK_KEY_f, alt, 2, "Aide", "Un bouton"}, Step{GDK_KEY_F6, none, 2, "Aide", "Un bouton"},
          Step{GDK_KEY_e, alt, 1, "Help", "A button"}, Step{GDK_KEY_g, alt, 0, "Hilfe", "Ein Knopf"},
          Step{GDK_KEY_e, alt, 1, "Help", "A button"}, Step{GDK_KEY_d, alt, 0, "Hilfe", "Ein Knopf"}}) {
        SCOPED_TRACE(std::string(gdk_keyval_name(step.key)) + (step.modifiers != 0 ? " with Alt" : ""));
        test::SendKey(Main(), step.key, step.modifiers);
        Settle();
        EXPECT_EQ(Settings().LanguageRow(), step.row);
        EXPECT_EQ(app->records.preferences.language, step.row);
        EXPECT_EQ(HelpRowText(), step.helpRow);
        EXPECT_EQ(Main().Tree().SelectedRow(), 4);
        EXPECT_EQ(test::DescriptionText(*app), step.description);
        EXPECT_EQ(test::CodeText(*app), code);
    }
    EXPECT_EQ(Settings().LanguageLabel().get_text(), "Sprache");
    EXPECT_FALSE(app->records.languageTable.Loaded());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LanguageTest, SwitchExpandsEveryNodeAndKeepsTheShownEntry) {
    Start();
    ToggleExpandState(*app);
    Settle();
    ASSERT_FALSE(app->records.state.expandState);
    Main().Tree().expand_to_path(Main().Tree().RowPath(2));
    test::MoveTreeCursor(*app, 2);
    Settle();
    const std::string code = test::CodeText(*app);
    ASSERT_NE(code, "");
    ASSERT_FALSE(Main().Tree().IsRowExpanded(3));
    test::SendKey(Main(), GDK_KEY_e, GDK_MOD1_MASK);
    Settle();
    EXPECT_TRUE(app->records.state.expandState);
    auto* image = dynamic_cast<Gtk::Image*>(Main().ExpandToggle()->get_child());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->get_pixbuf(), app->ui.pictures.Of(Picture::Expanded));
    EXPECT_TRUE(Main().Tree().IsRowExpanded(1));
    EXPECT_TRUE(Main().Tree().IsRowExpanded(3));
    EXPECT_EQ(Main().Tree().SelectedRow(), 2);
    EXPECT_EQ(test::CodeText(*app), code);
    EXPECT_EQ(test::DescriptionText(*app), "Viewer help");
}

TEST_F(LanguageTest, CancelledChoiceChangesNoLanguageUntilAKeyOrSaveTakesOne) {
    Start();
    OpenSettings();
    Settings().LanguageCombo().set_active(1);
    Click(Settings().CancelButton());
    test::MoveTreeCursor(*app, 4);
    Settle();
    EXPECT_EQ(HelpRowText(), "Hilfe");
    EXPECT_EQ(test::DescriptionText(*app), "Ein Knopf");
    EXPECT_EQ(Settings().LanguageRow(), 1);  // the dialog keeps what was left in it
    test::SendKey(Main(), GDK_KEY_F6, GdkModifierType(0));
    Settle();
    EXPECT_EQ(app->records.preferences.language, 1);
    EXPECT_EQ(test::DescriptionText(*app), "A button");
    EXPECT_EQ(Main().Tree().SelectedRow(), 4);
}

}  // namespace
}  // namespace quillmate
