// Start-up of the program: the fixed sequence that finds the program folder, reads the
// preferences, loads the database, builds the windows and runs the event loop.
#pragma once

#include <string>

namespace quillmate {

// Folder of the running program file from "/proc/self/exe" (falling back to argv0), ending "/".
std::string FindProgramFolder(const char* argv0);

// The entry point's work: locale, GTK, program folder, then StartUp. Never returns normally.
int RunProgram(int argc, char** argv);

}  // namespace quillmate
