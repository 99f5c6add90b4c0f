#include "app/ErrorTrap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

namespace quillmate {
namespace {

// Results the compiler has to keep, so that the faulting calls stay calls.
volatile int g_result = 0;

// Each faulting statement stands on a known line; the trap has to name it.
constexpr int kNullWriteLine = __LINE__ + 4;
// The null check of the undefined-behaviour sanitizer would stop the write before it faults.
[[gnu::noinline, gnu::no_sanitize("null")]] void WriteThroughNull() {
    volatile int* volatile pointer = nullptr;
    *pointer = 1;
}

constexpr int kRaiseLine = __LINE__ + 2;
[[gnu::noinline]] void RaiseSignal(int signalNumber) {
    g_result = std::raise(signalNumber);
}

constexpr int kAbortLine = __LINE__ + 2;
[[gnu::noinline]] void CallAbort() {
    std::abort();
}

constexpr int kNullCallLine = __LINE__ + 3;
[[gnu::noinline]] void CallThroughNull() {
    int (*volatile function)() = nullptr;
    g_result = function();
}

constexpr int kOverflowLine = __LINE__ + 2;
// Each call keeps a frame on the stack until the stack runs out.
[[gnu::noinline]] int RecurseWithoutEnd(int depth) {
    volatile char frame[512] = {};
    return g_result == -1 ? 0 : RecurseWithoutEnd(depth + 1) + frame[depth % 512];
}

constexpr int kDoubleFreeLine = __LINE__ + 9;
// malloc finds the second free of a block too large for its per-thread cache while it holds the
// lock of its arena (taken once the process has had a second thread), and aborts there.
[[gnu::noinline]] void FreeTwiceHoldingMallocsLock() {
    std::thread([] {}).join();
    void* volatile block = std::malloc(4000);
    void* volatile sameBlock = block;
    std::free(block);
    g_result = 1;
    std::free(sameBlock);
    g_result = 2;
}

// The address just before the return address: inside the call instruction of the caller.
[[gnu::noinline]] const void* CallSiteAddress() {
    return static_cast<const char*>(__builtin_extract_return_addr(__builtin_return_address(0))) - 1;
}

// How the report process of a test ends: "fail" with status 1, "fault" by a fault of its own;
// otherwise with status 0 after printing the record.
constexpr char kReportEnd[] = "QUILLMATE_TEST_REPORT_END";

// This test program started again by the trap prints the record instead of showing the box.
[[maybe_unused]] const bool g_isReportProcess = [] {
    const auto record = HandedOverFault();
    if (!record) {
        return false;
    }
    std::fprintf(stderr, "code=%d message=%s line=%d\n", record->code, record->message.c_str(), record->line);
    std::fflush(stderr);
    const std::string end = std::getenv(kReportEnd) != nullptr ? std::getenv(kReportEnd) : "";
    if (end == "fault") {
        WriteThroughNull();
    }
    ::_exit(end == "fail" ? 1 : 0);
}();

// The report's output for a fault on `line`.
std::string ReportPattern(int code, const std::string& message, int line) {
    return "code=" + std::to_string(code) + " message=" + message + " line=" + std::to_string(line) + "\n";
}

class ErrorTrapTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ErrorTrapTest, NullWriteIsReportedWithItsSourceLine) {
    EXPECT_EXIT(
        {
            InstallErrorTrap();
            WriteThroughNull();
        },
        ::testing::ExitedWithCode(0), ReportPattern(SIGSEGV, "Segmentation violation", kNullWriteLine));
}

TEST_F(ErrorTrapTest, RaisedSignalsAreReportedWithTheLineOfTheCall) {
    struct Case {
        int code;
        const char* message;
    };
    const Case cases[] = {
        {SIGILL, "Illegal instruction"},
        {SIGTRAP, "Trace trap"},
        {SIGABRT, "Abort signal"},
        {SIGBUS, "BUS Error"},
        {SIGFPE, "Floating-point exception"},
        {SIGSEGV, "Segmentation violation"},
        {SIGSYS, "Bad system call"},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                InstallErrorTrap();
                RaiseSignal(c.code);
            },
            ::testing::ExitedWithCode(0), ReportPattern(c.code, c.message, kRaiseLine))
            << "signal " << c.code;
    }
}

TEST_F(ErrorTrapTest, AbortIsReportedWithTheLineThatCalledIt) {
    EXPECT_EXIT(
        {
            InstallErrorTrap();
            CallAbort();
        },
        ::testing::ExitedWithCode(0), ReportPattern(SIGABRT, "Abort signal", kAbortLine));
}

TEST_F(ErrorTrapTest, CallThroughNullPointerIsReportedWithTheLineOfTheCall) {
    EXPECT_EXIT(
        {
            InstallErrorTrap();
            CallThroughNull();
        },
        ::testing::ExitedWithCode(0), ReportPattern(SIGSEGV, "Segmentation violation", kNullCallLine));
}

TEST_F(ErrorTrapTest, StackOverflowIsReportedLikeAnySegmentationFault) {
    EXPECT_EXIT(
        {
            InstallErrorTrap();
            g_result = RecurseWithoutEnd(0);
        },
        ::testing::ExitedWithCode(0),
        "code=11 message=Segmentation violation line=(" + std::to_string(kOverflowLine) + "|" +
            std::to_string(kOverflowLine + 1) + "|" + std::to_string(kOverflowLine + 2) + ")\n");
}

TEST_F(ErrorTrapTest, FaultWhileMallocHoldsItsLockIsReported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator reports a double free itself";
#endif
    EXPECT_EXIT(
        {
            InstallErrorTrap();
            FreeTwiceHoldingMallocsLock();
        },
        ::testing::ExitedWithCode(0), ReportPattern(SIGABRT, "Abort signal", kDoubleFreeLine));
}

TEST_F(ErrorTrapTest, ProcessEndsWithStatusOneWhenTheReportFails) {
    EXPECT_EXIT(
        {
            ::setenv(kReportEnd, "fail", 1);
            InstallErrorTrap();
            RaiseSignal(SIGFPE);
        },
        ::testing::ExitedWithCode(1), ReportPattern(SIGFPE, "Floating-point exception", kRaiseLine));
}

TEST_F(ErrorTrapTest, FaultInsideTheReportEndsItWithoutASecondReport) {
    EXPECT_EXIT(
        {
            ::setenv(kReportEnd, "fault", 1);
            InstallErrorTrap();
            RaiseSignal(SIGILL);
        },
        ::testing::ExitedWithCode(1), ReportPattern(SIGILL, "Illegal instruction", kRaiseLine));
}

TEST_F(ErrorTrapTest, OtherSignalsKeepTheirDefaultHandling) {
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        EXPECT_EXIT(
            {
                InstallErrorTrap();
                RaiseSignal(signalNumber);
            },
            ::testing::KilledBySignal(signalNumber), "")
            << "signal " << signalNumber;
    }
}

TEST_F(ErrorTrapTest, ResetRestoresTheDefaultHandling) {
    EXPECT_EXIT(
        {
            InstallErrorTrap();
            ResetErrorTrap();
            RaiseSignal(SIGABRT);
        },
        ::testing::KilledBySignal(SIGABRT), "");
}

TEST(ErrorTrapLineTest, OwnCodeResolvesToItsSourceLineAndOtherAddressesToMinusOne) {
    const auto [address, callLine] = std::pair{CallSiteAddress(), __LINE__};
    EXPECT_EQ(SourceLineOf(address), callLine);
    EXPECT_EQ(SourceLineOf(nullptr), -1);
    // Code of the C library is not the program's own.
    EXPECT_EQ(SourceLineOf(reinterpret_cast<const void*>(&std::fflush)), -1);
}

TEST(ErrorTrapTextTest, SignalWithoutTextIsAnUnknownErrorCode) {
    for (const int code : {0, SIGINT, SIGTERM, 64}) {
        EXPECT_EQ(ErrorMessageFor(code), "Unknown error code") << "code " << code;
    }
}

TEST(ErrorTrapTextTest, ReportLinesUpTheValues) {
    EXPECT_EQ(ErrorReportText({11, 1234, "Segmentation violation"}),
              "A program error was detected:\n\n"
              "Error Message:   Segmentation violation\n"
              "Error Code:      11\n"
              "Sourcecode line: 1234\n");
    EXPECT_EQ(ErrorReportText({6, -1, "Abort signal"}),
              "A program error was detected:\n\n"
              "Error Message:   Abort signal\n"
              "Error Code:      6\n"
              "Sourcecode line: -1\n");
}

}  // namespace
}  // namespace quillmate
