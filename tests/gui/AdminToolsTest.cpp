// The admin menu's exports and the duplicate protocol through the real start-up, on a program
// folder two levels below a temporary folder that holds Templates/ and Export/.
#include <gtest/gtest.h>
#include <gtkmm/menuitem.h>

#include <filesystem>
#include <string>

#include "ProgramDriver.h"
#include "base/Release.h"
#include "viewer/WebExport.h"

namespace quillmate {
namespace {

using test::PumpUntil;

class AdminToolsTest : public test::ProgramTest {
  protected:
    AdminToolsTest() : ProgramTest("Quillmate/bin/") {}

    // Starts the program; with `exportFolder` the admin's Export/ folder exists.
    void Start(bool exportFolder) {
        test::FillSmallLibrary(folder);
        for (const char* name : {"Quillmate-Head.html", "Quillmate-Tail.html"}) {
            std::filesystem::create_directories(folder.Root() + "Templates");
            std::filesystem::copy_file(std::string(QUILLMATE_SOURCE_DIR) + "/templates/" + name,
                                       folder.Root() + "Templates/" + name);
        }
        if (exportFolder) {
            std::filesystem::create_directories(folder.Root() + "Export");
        }
        Launch();
    }

    // Chooses the admin menu item as the user would, and runs what it asks for.
    void Choose(const std::string& label) {
        bool found = false;
        for (Gtk::Widget* child : app->ui.menus->adminMenu.get_children()) {
            auto* item = dynamic_cast<Gtk::MenuItem*>(child);
            if (item != nullptr && item->get_label() == label) {
                item->activate();
                found = true;
            }
        }
        ASSERT_TRUE(found) << label;
        Settle();
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& seen : watcher.Seen()) {
            EXPECT_EQ(seen.title, "Quillmate");
            texts.push_back(seen.text);
        }
        return texts;
    }

    std::string Exported(const std::string& name) const { return folder.ReadFile("../../Export/" + name); }
};

TEST_F(AdminToolsTest, WebPageIsWrittenFromTheTemplatesWithTodaysDate) {
    Start(true);
    Choose("Export WebPage");
    EXPECT_EQ(Texts(), std::vector<std::string>{"html-Export done to ...\n../../Export/Quillmate-Lib.html"});
    const std::string page = Exported("Quillmate-Lib.html");
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n")) << page;
    EXPECT_NE(page.find("<p>Stand: " + TodayExportDateText() + "</p>"), std::string::npos);
    EXPECT_NE(page.find("function outline(id)"), std::string::npos);
    EXPECT_NE(page.find("onclick=\"outline('Quillmate');outline('Buttons');return false;\""),
              std::string::npos);
    EXPECT_NE(page.find("<span id=\"Buttons\" style=\"display:none; margin-left: 20px;\"> <img "),
              std::string::npos);
    EXPECT_NE(page.find("href=\"Linux/Buttons/Label.kx\" target=\"_blank\"><b>✰gtk_button_new_with_label"),
              std::string::npos);
    EXPECT_TRUE(page.ends_with("</span>\n</p>\n<hr />\n<p>Erzeugt mit Quillmate.</p>\n</body>\n</html>\n"));
}

TEST_F(AdminToolsTest, PostingsOfAllAndOfNewEntries) {
    Start(true);
    Choose("Export Posting All");
    EXPECT_EQ(Exported("ForumPosting.txt"),
              "\n[b]Quillmate[/b]: \tHilfe\n\n[b]Buttons[/b]: \tgtk_button_new\n"
              "[b]Buttons[/b]: \t✰gtk_button_new_with_label\n[b]Buttons[/b]: \tgtk_button_missing\n");
    Choose("Export Posting News");
    EXPECT_EQ(Exported("ForumPosting.txt"), "\n\n[b]Buttons[/b]: \t✰gtk_button_new_with_label\n");
    const std::string done = "text-Export done to ...\n../../Export/ForumPosting.txt";
    EXPECT_EQ(Texts(), (std::vector<std::string>{done, done}));
}

TEST_F(AdminToolsTest, DuplicateProtocolNamesTheDatabaseFile) {
    Start(true);
    Choose("Debug doubles db-entries");
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "Protokoll with double terms done to ...\n../../Export/Protocoll.txt"});
    EXPECT_EQ(Exported("Protocoll.txt"), "Doppelte xml-Einträge in Quillmate-Toc.xml:\n\n\n\n\n\n");
}

TEST_F(AdminToolsTest, FileListWritesNothingAndSaysNothing) {
    Start(true);
    Choose("Export Filelist");
    EXPECT_TRUE(Texts().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.Root() + "Export"));
}

TEST_F(AdminToolsTest, MissingExportFolderIsReportedExceptByTheWebPage) {
    Start(false);
    Choose("Export WebPage");
    Choose("Export Posting All");
    Choose("Export Posting News");
    Choose("Debug doubles db-entries");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Couldn't create\n../../Export/ForumPosting.txt",
                                                 "Couldn't create\n../../Export/ForumPosting.txt",
                                                 "Couldn't create Protokoll\n../../Export/Protocoll.txt"}));
    EXPECT_FALSE(std::filesystem::exists(folder.Root() + "Export"));
}

TEST_F(AdminToolsTest, AdminButtonOpensTheAdminMenuOnlyInTheAdminBuild) {
    Start(true);
    Gtk::Button* button = app->ui.mainWindow->AdminButton();
    ASSERT_NE(button, nullptr);
    // The user's pointer rests on the button; the menu opens there.
    int x = 0;
    int y = 0;
    app->ui.mainWindow->get_window()->get_origin(x, y);
    int buttonX = 0;
    int buttonY = 0;
    button->translate_coordinates(*app->ui.mainWindow, 5, 5, buttonX, buttonY);
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    gdk_device_warp(pointer, gdk_screen_get_default(), x + buttonX, y + buttonY);
    test::PumpFor(std::chrono::milliseconds(100));
    button->clicked();
    Settle();
#if QUILLMATE_ADMIN
    EXPECT_TRUE(button->get_visible());
    EXPECT_EQ(button->get_tooltip_text(), "Popup admin menue");
    ASSERT_TRUE(PumpUntil([&] { return app->ui.menus->adminMenu.get_mapped(); }));
    int menuX = 0;
    int menuY = 0;
    app->ui.menus->adminMenu.get_toplevel()->get_window()->get_origin(menuX, menuY);
    EXPECT_NEAR(menuX, x + buttonX, 2);
    EXPECT_NEAR(menuY, y + buttonY, 2);
    app->ui.menus->adminMenu.popdown();
#else
    EXPECT_FALSE(button->get_visible());
    test::PumpFor(std::chrono::milliseconds(300));
    EXPECT_FALSE(app->ui.menus->adminMenu.get_mapped());
#endif
}

}  // namespace
}  // namespace quillmate
