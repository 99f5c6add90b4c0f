// The event loop and the orderly end of the program.
#pragma once

namespace quillmate {

class Application;

// What one turn of the event loop did.
enum class LoopTurn { Dispatched, Processed, Idle };

// One turn of the event loop: a queued program event is dispatched; else a GTK event is
// processed, waiting for one when `wait` is true; else (not waiting, nothing pending) nothing.
// The program's loop, the test driver and the benchmarks all turn it.
LoopTurn TakeLoopTurn(Application& app, bool wait);

// Turns the event loop, blocking in the GTK main iteration while the queue is empty, until the
// quit request is set.
void RunEventLoop(Application& app);

// The one orderly exit: hands the clipboard to the clipboard manager, resets the error-trap
// signals, releases the windows and exits with status 0.
[[noreturn]] void EndProgram(Application& app);

}  // namespace quillmate
