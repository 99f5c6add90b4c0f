// A fault in the running program: the report box, then the orderly end with status 0.
#include <csignal>
#include <string>

#include "ProgramDriver.h"
#include "app/EventLoop.h"

namespace quillmate {
namespace {

using test::TempProgramFolder;

constexpr int kNullWriteLine = __LINE__ + 4;
// The null check of the undefined-behaviour sanitizer would stop the write before it faults.
[[gnu::noinline, gnu::no_sanitize("null")]] void WriteThroughNull() {
    volatile int* volatile pointer = nullptr;
    *pointer = 1;
}

// Starts the program on a small library, lets it show its window, then faults.
[[noreturn]] void FaultInRunningProgram(const TempProgramFolder& folder, void (*fault)()) {
    test::DialogWatcher watcher(true);
    auto app = test::StartProgram(folder);
    fault();
    RunEventLoop(*app);
    EndProgram(*app);
}

std::string Report(const std::string& message, int code, int line) {
    return "DIALOG Quillmate-Error: A program error was detected:\n\nError Message:   " + message +
           "\nError Code:      " + std::to_string(code) + "\nSourcecode line: " + std::to_string(line) + "\n";
}

TEST(ErrorReportTest, SegmentationFaultIsReportedWithItsLineAndEndsWithStatusZero) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    EXPECT_EXIT(FaultInRunningProgram(folder, WriteThroughNull), ::testing::ExitedWithCode(0),
                Report("Segmentation violation", 11, kNullWriteLine));
}

TEST(ErrorReportTest, SignalsOutsideTheTrapKeepTheirDefault) {
    TempProgramFolder folder;
    test::FillSmallLibrary(folder);
    EXPECT_EXIT(FaultInRunningProgram(folder, [] { std::raise(SIGTERM); }),
                ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace quillmate
