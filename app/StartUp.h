// Start-up of the program: the fixed sequence that finds the program folder, reads the
// preferences, loads the database, builds the windows and runs the event loop.
#pragma once

#include <optional>
#include <string>

namespace quillmate {

class Application;
struct ErrorRecord;

// Folder of the running program file from "/proc/self/exe" (falling back to argv0), ending "/".
std::string FindProgramFolder(const char* argv0);

// The report of a fault in a message box titled "Quillmate-Error"; returns after OK.
void ReportProgramError(const ErrorRecord& record);
// The report process's work (see HandedOverFault): locale, GTK, the report. Returns the exit
// status, 0.
int RunErrorReport(const ErrorRecord& record, int argc, char** argv);

// Initialises GTK and the gtkmm wrappers.
void InitialiseGtk(int* argc, char*** argv);

// Everything after GTK and the program folder: defaults, fonts, menus, error trap, preferences
// and database location, palette, database, windows, index tree, counts, and the first entry
// queued for showing. Ends the program through EndProgram when the database cannot be loaded.
void StartUp(Application& app);

// The entry point's work: locale, GTK, program folder as working folder, StartUp, the event
// loop and EndProgram. Does not return.
[[noreturn]] void RunProgram(int argc, char** argv);

}  // namespace quillmate
