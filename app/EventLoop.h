// The event loop and the orderly end of the program.
#pragma once

namespace quillmate {

class Application;

// Takes events from the program's queue and dispatches them, blocking in the GTK main
// iteration while the queue is empty, until the quit request is set.
void RunEventLoop(Application& app);

// The one orderly exit: hands the clipboard to the clipboard manager, resets the error-trap
// signals, releases the windows and exits with status 0.
[[noreturn]] void EndProgram(Application& app);

}  // namespace quillmate
