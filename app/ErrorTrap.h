// The program error trap: turns a fatal fault (SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE,
// SIGSEGV, SIGSYS) into a readable report followed by the orderly end of the program.
#pragma once

#include <string>

namespace quillmate {

struct ErrorRecord {
    int code = 0;   // the signal number
    int line = -1;  // source line of the fault, -1 when it cannot be resolved
    std::string message;
};

// `context` is the pointer given to InstallErrorTrap.
using ErrorReportHandler = void (*)(const ErrorRecord& record, void* context);

// Message of a signal number, "Unknown error code" for others.
std::string ErrorMessageFor(int code);
// The report text shown to the user.
std::string ErrorReportText(const ErrorRecord& record);

// Installs one handler for the seven fault signals. On a fault the default handling of all
// seven is restored first (a second fault ends the process at once), the record is filled and
// `report` is called; if it returns, the process ends with status 1.
//
// The line is the source line of the faulting instruction when it lies in this program; when
// the fault happened inside a library (abort(), raise(), a callback's caller), it is the line
// of the innermost call from this program's own code. It comes from the program's debug
// information and is -1 without it.
void InstallErrorTrap(ErrorReportHandler report, void* context);
// Restores the default handling of the seven signals.
void ResetErrorTrap();

// Source line of the instruction at `address` in the running program's debug information;
// -1 when the address lies outside the program's own executable or has no line information.
int SourceLineOf(const void* address);

}  // namespace quillmate
