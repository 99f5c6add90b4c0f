#include "app/ErrorTrap.h"

#include <elfutils/libdwfl.h>
#include <execinfo.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace quillmate {
namespace {

constexpr int kTrappedSignals[] = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};
// Frames examined when the fault lies in a library; deeper call chains are not expected.
constexpr int kMaxFrames = 128;
// Reading the debug information is not async-signal-safe: should it hang (say, on a lock the
// faulting code held), the default action of the alarm ends the process after this time.
constexpr unsigned kResolveSeconds = 10;

// A signal handler can only reach process-wide state; this is the one place that holds it.
ErrorReportHandler g_reportHandler = nullptr;
void* g_reportContext = nullptr;

char* g_debugInfoPath = nullptr;
const Dwfl_Callbacks kProcessCallbacks = {dwfl_linux_proc_find_elf, dwfl_standard_find_debuginfo, nullptr,
                                          &g_debugInfoPath};

struct DwflCloser {
    void operator()(Dwfl* dwfl) const { dwfl_end(dwfl); }
};
using DwflPointer = std::unique_ptr<Dwfl, DwflCloser>;

void OnFault(int signalNumber, siginfo_t* info, void* context);

Dwarf_Addr AddressOf(const void* pointer) {
    return static_cast<Dwarf_Addr>(reinterpret_cast<std::uintptr_t>(pointer));
}

Dwarf_Addr OwnCodeAddress() {
    return static_cast<Dwarf_Addr>(reinterpret_cast<std::uintptr_t>(&OnFault));
}

// The modules mapped into this process now; null when /proc cannot be read.
DwflPointer ReportOwnProcess() {
    DwflPointer dwfl(dwfl_begin(&kProcessCallbacks));
    if (!dwfl) {
        return nullptr;
    }
    dwfl_report_begin(dwfl.get());
    if (dwfl_linux_proc_report(dwfl.get(), ::getpid()) != 0 ||
        dwfl_report_end(dwfl.get(), nullptr, nullptr) != 0) {
        return nullptr;
    }
    return dwfl;
}

int LineIn(Dwfl_Module* module, Dwarf_Addr address) {
    Dwfl_Line* line = dwfl_module_getsrc(module, address);
    if (line == nullptr) {
        return -1;
    }
    int number = -1;
    if (dwfl_lineinfo(line, nullptr, &number, nullptr, nullptr, nullptr) == nullptr || number <= 0) {
        return -1;
    }
    return number;
}

struct FaultContext {
    Dwarf_Addr instruction = 0;   // the faulting instruction
    Dwarf_Addr stackPointer = 0;  // the stack pointer at the fault
};

FaultContext ContextOf(const void* context) {
    FaultContext fault;
    if (context == nullptr) {
        return fault;
    }
    const auto* machine = &static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
    fault.instruction = static_cast<Dwarf_Addr>(machine->gregs[REG_RIP]);
    fault.stackPointer = static_cast<Dwarf_Addr>(machine->gregs[REG_RSP]);
#elif defined(__aarch64__)
    fault.instruction = static_cast<Dwarf_Addr>(machine->pc);
    fault.stackPointer = static_cast<Dwarf_Addr>(machine->sp);
#else
    (void)machine;
#endif
    return fault;
}

// The source line of the fault in the program's own code (see InstallErrorTrap).
int FaultLine(const void* context) {
    void* frames[kMaxFrames];
    const int frameCount = ::backtrace(frames, kMaxFrames);
    const FaultContext fault = ContextOf(context);
    const DwflPointer dwfl = ReportOwnProcess();
    if (!dwfl) {
        return -1;
    }
    Dwfl_Module* own = dwfl_addrmodule(dwfl.get(), OwnCodeAddress());
    if (own == nullptr) {
        return -1;
    }
    Dwfl_Module* faultModule = dwfl_addrmodule(dwfl.get(), fault.instruction);
    if (faultModule == own) {
        return LineIn(own, fault.instruction);
    }
    // The frames up to the faulting one belong to this handler and the signal return; after
    // it come the callers, as return addresses (the call instruction ends just before them).
    int frame = 0;
    while (frame < frameCount && AddressOf(frames[frame]) != fault.instruction) {
        ++frame;
    }
    for (++frame; frame < frameCount; ++frame) {
        const Dwarf_Addr returnAddress = AddressOf(frames[frame]);
        if (dwfl_addrmodule(dwfl.get(), returnAddress) == own) {
            return LineIn(own, returnAddress - 1);
        }
    }
    // A call through a bad function pointer lands outside every module, where the stack cannot
    // be unwound; the call's return address is still on top of the stack.
    if (faultModule == nullptr && fault.stackPointer != 0) {
        const Dwarf_Addr returnAddress = *reinterpret_cast<const std::uintptr_t*>(fault.stackPointer);
        if (dwfl_addrmodule(dwfl.get(), returnAddress) == own) {
            return LineIn(own, returnAddress - 1);
        }
    }
    return -1;
}

void OnFault(int signalNumber, siginfo_t* /*info*/, void* context) {
    ResetErrorTrap();
    ErrorRecord record;
    record.code = signalNumber;
    ::alarm(kResolveSeconds);
    record.line = FaultLine(context);
    ::alarm(0);
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
    // The first backtrace loads the unwinder library; do that now rather than in the handler.
    void* frame[1];
    ::backtrace(frame, 1);
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

int SourceLineOf(const void* address) {
    const DwflPointer dwfl = ReportOwnProcess();
    if (!dwfl) {
        return -1;
    }
    Dwfl_Module* own = dwfl_addrmodule(dwfl.get(), OwnCodeAddress());
    if (own == nullptr || dwfl_addrmodule(dwfl.get(), AddressOf(address)) != own) {
        return -1;
    }
    return LineIn(own, AddressOf(address));
}

}  // namespace quillmate
