// The one driver of the real program in GUI tests: starts it through the real start-up on a
// temporary program folder, runs its queued events as the event loop does, and sends it input.
#pragma once

#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/widget.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GuiHarness.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "settings/SettingsDialog.h"

namespace quillmate::test {

// The program started through the real start-up on `folder` (which becomes the working
// folder), with the window mapped and the first entry shown.
std::unique_ptr<Application> StartProgram(const TempProgramFolder& folder);

// Dispatches the program's queued events and processes GTK events, as the event loop does,
// until both have been idle for `quiet`; false when that has not happened within ten seconds.
bool Settle(Application& app, std::chrono::milliseconds quiet = std::chrono::milliseconds(60));
// Dispatches and processes events as Settle does until `done` holds; returns `done()`.
bool RunUntil(Application& app, const std::function<bool()>& done,
              std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Selects a row as a program change of the selection does and lets the program show it.
void ShowRow(Application& app, int row);
// Opens the settings dialog through the main window's settings button.
void OpenSettings(Application& app);
// A click on a button, carried through the queue like a user's.
void Click(Application& app, Gtk::Button& button);

// A left-button click (press and release) in the middle of a row's cell, as the pointer
// delivers it; `clicks` 2 is a double click (press, release, press, double press, release).
void ClickTreeRow(Application& app, int row, int clicks = 1);

// Selects a row the way a keyboard move of the tree's cursor does (a user selection change).
void MoveTreeCursor(Application& app, int row);

// The description line's text and the code view's text.
std::string DescriptionText(Application& app);
std::string CodeText(Application& app);
// The history combo's rows, top first.
std::vector<std::string> HistoryRows(Application& app);
// Opens the history combo's popup and chooses its row `row`, as a click on that row does.
void ChooseHistoryRow(Application& app, int row);

// The colour a widget shows at a point, read from the widget drawn into an image ("#RRGGBB").
std::string PixelColour(Gtk::Widget& widget, int x, int y);

// A database with one theme "Many" holding `count` entries "Entry<i>" with the code files
// "/Many/E<i>.kx" (all written), with the preferences of FillSmallLibrary.
void FillManyEntryLibrary(const TempProgramFolder& folder, int count,
                          const std::vector<std::string>& extraPreferences = {});

// The program on a temporary folder of its own, with every dialog answered.
struct Program {
    explicit Program(const std::string& levels = "") : folder(levels) {}
    // Writes the small library with `preferences` (see FillSmallLibrary) and starts.
    void Start(const std::vector<std::string>& preferences = {});
    // Starts on the folder as written.
    void Launch() { app = StartProgram(folder); }
    MainWindow& Main() const { return *app->ui.mainWindow; }
    SettingsWindow& Settings() const { return *app->ui.settingsWindow; }
    void Settle(std::chrono::milliseconds quiet = std::chrono::milliseconds(60)) {
        test::Settle(*app, quiet);
    }
    void ShowRow(int row) { test::ShowRow(*app, row); }
    void OpenSettings() { test::OpenSettings(*app); }
    void Click(Gtk::Button& button) { test::Click(*app, button); }
    // The message boxes seen so far.
    std::vector<SeenDialog> Messages() const;

    TempProgramFolder folder;
    DialogWatcher watcher;
    std::unique_ptr<Application> app;
};

// A test with its own program (started by the test).
class ProgramTest : public ::testing::Test, public Program {
  protected:
    explicit ProgramTest(const std::string& levels = "") : Program(levels) {}
};

}  // namespace quillmate::test
