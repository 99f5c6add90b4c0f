// The program error trap: turns a fatal fault (SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE,
// SIGSEGV, SIGSYS) into a readable report followed by the orderly end of the program.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace quillmate {

struct ErrorRecord {
    int code = 0;   // the signal number
    int line = -1;  // source line of the fault, -1 when it cannot be resolved
    std::string message;
};

// Message of a signal number, "Unknown error code" for others.
std::string ErrorMessageFor(int code);
// The report text shown to the user.
std::string ErrorReportText(const ErrorRecord& record);

// Installs one handler for the seven fault signals, running on a stack of its own so that a
// stack overflow is caught like any other fault. The faulted process may hold any lock (of
// malloc, GTK, the display), so the handler only makes system calls on what is prepared here:
// it restores the default handling of the seven signals (a second fault ends the process at
// once), hands the fault to this program started again as the report process (see
// HandedOverFault), waits for it, and ends the process with status 0 once the report ended with
// status 0, else with status 1.
void InstallErrorTrap();
// Restores the default handling of the seven signals.
void ResetErrorTrap();

// An alternate signal stack belongs to one thread: a second thread holds one of these while it
// works, so that a stack overflow there is reported like one on the main thread.
class ThreadSignalStack {
  public:
    ThreadSignalStack();
    ~ThreadSignalStack();
    ThreadSignalStack(const ThreadSignalStack&) = delete;
    ThreadSignalStack& operator=(const ThreadSignalStack&) = delete;

  private:
    std::unique_ptr<char[]> m_stack;
};

// In the report process, which is to show the record and end: the fault it was started for.
// Nothing in any other process. Called first in main, before anything else runs.
//
// The line is the source line of the faulting instruction when it lies in the program's own
// code; when the fault happened inside a library (abort(), raise(), a callback's caller), it is
// the line of the innermost call from the program's own code. It comes from the program's debug
// information; it is -1 without it, and when looking it up takes longer than a few seconds.
std::optional<ErrorRecord> HandedOverFault();

// Source line of the instruction at `address` in the running program's debug information;
// -1 when the address lies outside the program's own executable or has no line information.
int SourceLineOf(const void* address);

}  // namespace quillmate
