// One whole session as a user has it, through the real event loop: start on the sample library,
// select several entries, search, open and close the settings, quit. tools/memcheck.sh runs it
// under valgrind.
#include <glibmm/main.h>

#include <filesystem>

#include "ProgramDriver.h"
#include "app/EventLoop.h"

namespace quillmate {
namespace {

using ScenarioTest = test::ProgramTest;

TEST_F(ScenarioTest, SelectSearchSettingsAndQuit) {
    std::filesystem::copy(std::string(QUILLMATE_SOURCE_DIR) + "/library", folder.Path(),
                          std::filesystem::copy_options::recursive);
    test::FillSmallLibrary(folder, {"CodeMarks=2", "SearchHint=2"});
    std::filesystem::copy_file(std::string(QUILLMATE_SOURCE_DIR) + "/library/Quillmate-Toc.xml",
                               folder.Path() + "Quillmate-Toc.xml",
                               std::filesystem::copy_options::overwrite_existing);
    Launch();
    MainWindow& window = *app->ui.mainWindow;

    std::vector<int> entryRows;
    for (int row = 0; row < window.Tree().RowCount() && entryRows.size() < 3; row += 3) {
        if (window.Tree().RowDepth(row) == 2 &&
            !app->records.entries[static_cast<size_t>(row)].file.empty()) {
            entryRows.push_back(row);
        }
    }
    ASSERT_EQ(entryRows.size(), 3u);

    // The steps run from the main loop while the program's own event loop is running.
    int step = 0;
    std::vector<std::string> titles;
    sigc::connection driver = Glib::signal_timeout().connect(
        [&] {
            if (!app->services.queue.Empty()) {
                return true;
            }
            switch (step++) {
                case 0:
                case 1:
                case 2:
                    test::ClickTreeRow(*app, entryRows[static_cast<size_t>(step - 1)]);
                    break;
                case 3:
                    titles.push_back(window.get_title());
                    window.SearchEntry().set_text("clip");
                    break;
                case 4:
                    titles.push_back(window.get_title());
                    window.SettingsButton()->clicked();
                    break;
                case 5:
                    test::SendKey(*app->ui.settingsWindow, GDK_KEY_Escape);
                    break;
                default:
                    test::SendKey(window, GDK_KEY_Escape);
                    return false;
            }
            return true;
        },
        150);
    RunEventLoop(*app);
    driver.disconnect();

    EXPECT_TRUE(app->records.state.quitRequest);
    EXPECT_FALSE(app->ui.settingsWindow->get_visible());
    EXPECT_EQ(app->records.history.Entries().size(), 3u);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_NE(titles[0], titles[1]) << "the search shows another entry";
    EXPECT_TRUE(watcher.Seen().empty());
}

}  // namespace
}  // namespace quillmate
