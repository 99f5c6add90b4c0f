#include "app/ErrorTrap.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace quillmate {
namespace {

constexpr int kTrappedSignals[] = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};

// A signal handler can only reach process-wide state; this is the one place that holds it.
ErrorReportHandler g_reportHandler = nullptr;
void* g_reportContext = nullptr;

void OnFault(int signalNumber, siginfo_t* /*info*/, void* /*context*/) {
    ResetErrorTrap();
    ErrorRecord record;
    record.code = signalNumber;
    record.line = -1;
    record.message = ErrorMessageFor(signalNumber);
    if (g_reportHandler != nullptr) {
        g_reportHandler(record, g_reportContext);
    }
    ::_exit(1);
}

}  // namespace

std::string ErrorMessageFor(int code) {
    switch (code) {
        case SIGILL:
            return "Illegal instruction";
        case SIGTRAP:
            return "Trace trap";
        case SIGABRT:
            return "Abort signal";
        case SIGBUS:
            return "BUS Error";
        case SIGFPE:
            return "Floating-point exception";
        case SIGSEGV:
            return "Segmentation violation";
        case SIGSYS:
            return "Bad system call";
        default:
            return "Unknown error code";
    }
}

std::string ErrorReportText(const ErrorRecord& record) {
    return "A program error was detected:\n\n"
           "Error Message:   " +
           record.message +
           "\n"
           "Error Code:      " +
           std::to_string(record.code) +
           "\n"
           "Sourcecode line: " +
           std::to_string(record.line) + "\n";
}

void InstallErrorTrap(ErrorReportHandler report, void* context) {
    g_reportHandler = report;
    g_reportContext = context;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kTrappedSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

void ResetErrorTrap() {
    for (const int signalNumber : kTrappedSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
}

}  // namespace quillmate
