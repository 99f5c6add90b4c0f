#include "app/ErrorTrap.h"

#include <elfutils/libdwfl.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "base/FileDescriptor.h"

extern char** environ;

namespace quillmate {
namespace {

constexpr int kTrappedSignals[] = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};
// In the environment of the report process: the number of the pipe that holds the fault.
constexpr char kHandOverVariable[] = "QUILLMATE_FAULT_REPORT";
constexpr std::uint32_t kHandOverMark = 0x514d4652;
// Reading the debug information may take long (a huge file, a slow debuginfod server): after
// this time the report goes on without the line.
constexpr int kResolveMilliseconds = 10000;
// Room for the handler and for the frames a sanitizer adds below it.
constexpr std::size_t kSignalStackBytes = 256 * 1024;
// The pipe takes the faulted stack from its top frame on: room for the frames between the
// program's own code and a fault deep inside a library.
constexpr int kHandOverBytes = 1024 * 1024;
constexpr std::uintptr_t kPageBytes = 4096;

#if defined(__x86_64__)
constexpr unsigned kRegisterCount =
    17;  // the DWARF numbering: rax, rdx, rcx, rbx, rsi, rdi, rbp, rsp, r8-r15, rip
#elif defined(__aarch64__)
constexpr unsigned kRegisterCount = 32;  // the DWARF numbering: x0-x30, sp
#else
constexpr unsigned kRegisterCount = 0;
#endif

// What the faulted process hands over; the copy of its stack follows in the pipe.
struct FaultHeader {
    std::uint32_t mark = kHandOverMark;
    std::int32_t code = 0;
    std::int32_t pid = 0;
    Dwarf_Addr ownCode = 0;       // an address in the program's own code
    Dwarf_Addr instruction = 0;   // the faulting instruction
    Dwarf_Addr stackPointer = 0;  // where the stack copy starts
    Dwarf_Word registers[kRegisterCount > 0 ? kRegisterCount : 1] = {};
};

struct HandedOver {
    FaultHeader header;
    std::vector<unsigned char> stack;
};

// Everything the handler uses, prepared by InstallErrorTrap: a signal handler can only reach
// process-wide state, and it must not allocate.
struct PreparedReport {
    std::string program;
    std::vector<std::string> environmentTexts;
    std::vector<char*> arguments;
    std::vector<char*> environment;
    int pipeRead = -1;
    int pipeWrite = -1;
    std::unique_ptr<char[]> signalStack;
};
PreparedReport g_prepared;
std::atomic_flag g_reporting;

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

// ---- In the faulted process: system calls only -----------------------------------------------

// The raw system call: the sanitizers' write() would check the stack copy against their shadow.
std::size_t WriteToReport(const void* bytes, std::size_t count) {
    const long written = ::syscall(SYS_write, g_prepared.pipeWrite, bytes, count);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

void FillRegisters(FaultHeader& header, const void* context) {
    if (context == nullptr) {
        return;
    }
    const auto* machine = &static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
    constexpr int kOrder[kRegisterCount] = {REG_RAX, REG_RDX, REG_RCX, REG_RBX, REG_RSI, REG_RDI,
                                            REG_RBP, REG_RSP, REG_R8,  REG_R9,  REG_R10, REG_R11,
                                            REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    for (unsigned i = 0; i < kRegisterCount; ++i) {
        header.registers[i] = static_cast<Dwarf_Word>(machine->gregs[kOrder[i]]);
    }
    header.instruction = static_cast<Dwarf_Addr>(machine->gregs[REG_RIP]);
    header.stackPointer = static_cast<Dwarf_Addr>(machine->gregs[REG_RSP]);
#elif defined(__aarch64__)
    for (unsigned i = 0; i < 31; ++i) {
        header.registers[i] = machine->regs[i];
    }
    header.registers[31] = machine->sp;
    header.instruction = machine->pc;
    header.stackPointer = machine->sp;
#else
    (void)machine;
#endif
}

// The record and the stack from the fault's top frame up, page by page while it is mapped (the
// kernel refuses to write from an unmapped page instead of faulting) and the pipe takes it.
void HandOver(int signalNumber, const void* context) {
    FaultHeader header;
    header.code = signalNumber;
    header.pid = ::getpid();
    header.ownCode = OwnCodeAddress();
    FillRegisters(header, context);
    if (WriteToReport(&header, sizeof header) != sizeof header) {
        return;
    }
    std::uintptr_t from = static_cast<std::uintptr_t>(header.stackPointer);
    const std::uintptr_t end = from + kHandOverBytes - kPageBytes;
    while (from != 0 && from < end) {
        const std::uintptr_t pageEnd = std::min((from / kPageBytes + 1) * kPageBytes, end);
        const std::size_t count = static_cast<std::size_t>(pageEnd - from);
        if (WriteToReport(reinterpret_cast<const void*>(from), count) != count) {
            break;
        }
        from = pageEnd;
    }
}

[[noreturn]] void StartReport() {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::fcntl(g_prepared.pipeRead, F_SETFD, 0);
    ::execve("/proc/self/exe", g_prepared.arguments.data(), g_prepared.environment.data());
    ::_exit(127);
}

void OnFault(int signalNumber, siginfo_t* /*info*/, void* context) {
    ResetErrorTrap();
    if (g_reporting.test_and_set()) {
        // Another thread faulted at the same time and reports; its end ends this thread too.
        for (;;) {
            ::pause();
        }
    }
    if (g_prepared.arguments.empty() || g_prepared.pipeWrite < 0) {
        ::_exit(1);
    }
    // The report process must be waited for even where children are otherwise left to the system.
    struct sigaction waitable;
    std::memset(&waitable, 0, sizeof waitable);
    waitable.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &waitable, nullptr);
    HandOver(signalNumber, context);
    // Unlike fork(), _Fork() runs no fork handlers and takes no lock of malloc or stdio.
    const pid_t report = ::_Fork();
    if (report == 0) {
        StartReport();
    }
    int status = 0;
    pid_t ended = -1;
    if (report > 0) {
        do {
            ended = ::waitpid(report, &status, 0);
        } while (ended < 0 && errno == EINTR);
    }
    ::_exit(ended == report && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1);
}

// ---- In the report process ------------------------------------------------------------------

// The modules mapped into the process `pid` now; null when its /proc entry cannot be read.
DwflPointer ReportProcess(pid_t pid) {
    DwflPointer dwfl(dwfl_begin(&kProcessCallbacks));
    if (!dwfl) {
        return nullptr;
    }
    dwfl_report_begin(dwfl.get());
    if (dwfl_linux_proc_report(dwfl.get(), pid) != 0 || dwfl_report_end(dwfl.get(), nullptr, nullptr) != 0) {
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

// The faulted thread as the unwinder sees it: the registers at the fault and the stack copy.
struct Unwinding {
    const HandedOver* fault;
    Dwfl_Module* own;
    int line = -1;
};

pid_t NextThread(Dwfl* /*dwfl*/, void* unwinding, void** thread) {
    if (*thread != nullptr) {
        return 0;
    }
    *thread = unwinding;
    return static_cast<Unwinding*>(unwinding)->fault->header.pid;
}

bool ReadStack(Dwfl* /*dwfl*/, Dwarf_Addr address, Dwarf_Word* result, void* unwinding) {
    const HandedOver& fault = *static_cast<Unwinding*>(unwinding)->fault;
    const Dwarf_Addr start = fault.header.stackPointer;
    if (address < start || fault.stack.size() < sizeof *result ||
        address - start > fault.stack.size() - sizeof *result) {
        return false;
    }
    std::memcpy(result, fault.stack.data() + (address - start), sizeof *result);
    return true;
}

bool SetInitialRegisters(Dwfl_Thread* thread, void* unwinding) {
    const FaultHeader& header = static_cast<Unwinding*>(unwinding)->fault->header;
#if defined(__aarch64__)
    dwfl_thread_state_register_pc(thread, header.instruction);
#endif
    return dwfl_thread_state_registers(thread, 0, kRegisterCount, header.registers);
}

const Dwfl_Thread_Callbacks kHandedOverThread = {
    .next_thread = NextThread,
    .get_thread = nullptr,
    .memory_read = ReadStack,
    .set_initial_registers = SetInitialRegisters,
    .detach = nullptr,
    .thread_detach = nullptr,
};

int OnFrame(Dwfl_Frame* frame, void* data) {
    auto& unwinding = *static_cast<Unwinding*>(data);
    Dwarf_Addr pc = 0;
    bool activation = false;
    if (!dwfl_frame_pc(frame, &pc, &activation)) {
        return DWARF_CB_ABORT;
    }
    // A caller's frame holds a return address: the call instruction ends just before it.
    if (!activation) {
        --pc;
    }
    if (dwfl_addrmodule(dwfl_thread_dwfl(dwfl_frame_thread(frame)), pc) != unwinding.own) {
        return DWARF_CB_OK;
    }
    unwinding.line = LineIn(unwinding.own, pc);
    return DWARF_CB_ABORT;
}

// The line of the innermost call from the program's own code on the faulted stack.
int CallerLine(Dwfl* dwfl, Dwfl_Module* own, const HandedOver& fault) {
    Unwinding unwinding{&fault, own};
    if (kRegisterCount == 0 ||
        !dwfl_attach_state(dwfl, nullptr, fault.header.pid, &kHandedOverThread, &unwinding)) {
        return -1;
    }
    dwfl_getthread_frames(dwfl, fault.header.pid, OnFrame, &unwinding);
    return unwinding.line;
}

// The source line of the fault in the program's own code (see HandedOverFault).
int FaultLine(const HandedOver& fault) {
    const DwflPointer dwfl = ReportProcess(fault.header.pid);
    if (!dwfl) {
        return -1;
    }
    Dwfl_Module* own = dwfl_addrmodule(dwfl.get(), fault.header.ownCode);
    if (own == nullptr) {
        return -1;
    }
    Dwfl_Module* faultModule = dwfl_addrmodule(dwfl.get(), fault.header.instruction);
    if (faultModule == own) {
        return LineIn(own, fault.header.instruction);
    }
    // A call through a bad function pointer lands outside every module, where the stack cannot
    // be unwound (following the frame pointers would skip the caller); the call's return address
    // is still on top of the stack.
    Dwarf_Word returnAddress = 0;
    if (faultModule == nullptr && fault.stack.size() >= sizeof returnAddress) {
        std::memcpy(&returnAddress, fault.stack.data(), sizeof returnAddress);
        if (dwfl_addrmodule(dwfl.get(), returnAddress) == own) {
            return LineIn(own, returnAddress - 1);
        }
    }
    return CallerLine(dwfl.get(), own, fault);
}

// FaultLine in a process of its own that is given up after the time limit.
int LineWithinTimeLimit(const HandedOver& fault) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    const pid_t resolver = ::fork();
    if (resolver == 0) {
        const int line = FaultLine(fault);
        ::_exit(::write(writeEnd.Get(), &line, sizeof line) == sizeof line ? 0 : 1);
    }
    writeEnd.Close();
    if (resolver < 0) {
        return -1;
    }
    int line = -1;
    pollfd answer{readEnd.Get(), POLLIN, 0};
    if (::poll(&answer, 1, kResolveMilliseconds) != 1 ||
        ::read(readEnd.Get(), &line, sizeof line) != sizeof line) {
        line = -1;
    }
    ::kill(resolver, SIGKILL);
    ::waitpid(resolver, nullptr, 0);
    return line;
}

// The record the faulted process wrote into the pipe `fd` before it started this process.
bool ReadHandOver(int fd, HandedOver& fault) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode) || ::fcntl(fd, F_SETFL, O_NONBLOCK) != 0) {
        return false;
    }
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> chunk(64 * 1024);
    for (;;) {
        const ssize_t count = ::read(fd, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0 || bytes.size() > static_cast<std::size_t>(kHandOverBytes)) {
            break;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
    }
    if (bytes.size() < sizeof fault.header) {
        return false;
    }
    std::memcpy(&fault.header, bytes.data(), sizeof fault.header);
    fault.stack.assign(bytes.begin() + sizeof fault.header, bytes.end());
    return fault.header.mark == kHandOverMark && fault.header.pid == ::getppid();
}

// The report process: this program again, with the pipe in its environment.
void PrepareReport() {
    if (g_prepared.pipeRead < 0) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;
        }
        g_prepared.pipeRead = ends[0];
        g_prepared.pipeWrite = ends[1];
        ::fcntl(g_prepared.pipeWrite, F_SETPIPE_SZ, kHandOverBytes);
    }
    std::vector<char> link(4096);
    const ssize_t length = ::readlink("/proc/self/exe", link.data(), link.size() - 1);
    g_prepared.program =
        length > 0 ? std::string(link.data(), static_cast<std::size_t>(length)) : "quillmate";
    const std::string handOver = std::string(kHandOverVariable) + "=";
    g_prepared.environmentTexts.clear();
    for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
        if (!std::string_view(*variable).starts_with(handOver)) {
            g_prepared.environmentTexts.emplace_back(*variable);
        }
    }
    g_prepared.environmentTexts.push_back(handOver + std::to_string(g_prepared.pipeRead));
    g_prepared.environment.clear();
    for (std::string& text : g_prepared.environmentTexts) {
        g_prepared.environment.push_back(text.data());
    }
    g_prepared.environment.push_back(nullptr);
    g_prepared.arguments = {g_prepared.program.data(), nullptr};
}

void InstallSignalStack() {
    if (!g_prepared.signalStack) {
        g_prepared.signalStack = std::make_unique<char[]>(kSignalStackBytes);
    }
    stack_t stack{};
    stack.ss_sp = g_prepared.signalStack.get();
    stack.ss_size = kSignalStackBytes;
    ::sigaltstack(&stack, nullptr);
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

void InstallErrorTrap() {
    PrepareReport();
    InstallSignalStack();
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kTrappedSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

ThreadSignalStack::ThreadSignalStack() : m_stack(std::make_unique<char[]>(kSignalStackBytes)) {
    stack_t stack{};
    stack.ss_sp = m_stack.get();
    stack.ss_size = kSignalStackBytes;
    ::sigaltstack(&stack, nullptr);
}

ThreadSignalStack::~ThreadSignalStack() {
    stack_t stack{};
    stack.ss_flags = SS_DISABLE;
    ::sigaltstack(&stack, nullptr);
}

void ResetErrorTrap() {
    for (const int signalNumber : kTrappedSignals) {
        ::signal(signalNumber, SIG_DFL);
    }
}

std::optional<ErrorRecord> HandedOverFault() {
    const char* handOver = std::getenv(kHandOverVariable);
    if (handOver == nullptr) {
        return std::nullopt;
    }
    const std::string_view text(handOver);
    int fd = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), fd);
    const bool isNumber = error == std::errc{} && end == text.data() + text.size() && fd >= 0;
    // Nothing this process starts is taken for a report process.
    ::unsetenv(kHandOverVariable);
    HandedOver fault;
    if (!isNumber || !ReadHandOver(fd, fault)) {
        return std::nullopt;
    }
    ::close(fd);
    ErrorRecord record;
    record.code = fault.header.code;
    record.line = LineWithinTimeLimit(fault);
    record.message = ErrorMessageFor(record.code);
    return record;
}

int SourceLineOf(const void* address) {
    const DwflPointer dwfl = ReportProcess(::getpid());
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
