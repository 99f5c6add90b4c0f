// Drives the real program in a GUI test: starts it on a temporary program folder, runs the event
// loop's dispatch until nothing is left to do, and synthesises mouse input on the index tree.
#pragma once

#include <gtkmm/widget.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "GuiHarness.h"
#include "app/Application.h"

namespace quillmate::test {

// The program started through the real start-up on `folder` (which becomes the working
// folder), with the window mapped and the first entry shown.
std::unique_ptr<Application> StartProgram(const TempProgramFolder& folder);

// Dispatches the program's queued events and processes GTK events, as the event loop does,
// until both have been idle for `quiet` (at most ten seconds).
void Settle(Application& app, std::chrono::milliseconds quiet = std::chrono::milliseconds(60));

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

}  // namespace quillmate::test
