#include "app/ErrorTrap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// The address just before the return address: inside the call instruction of the caller.
[[gnu::noinline]] const void* CallSiteAddress() {
    return static_cast<const char*>(__builtin_extract_return_addr(__builtin_return_address(0))) - 1;
}

void PrintAndExit(const ErrorRecord& record, void* context) {
    std::fprintf(stderr, "code=%d message=%s line=%d context=%s\n", record.code, record.message.c_str(),
                 record.line, static_cast<const char*>(context));
    std::fflush(stderr);
    ::_exit(0);
}

void PrintAndReturn(const ErrorRecord& record, void* /*context*/) {
    std::fprintf(stderr, "returned code=%d\n", record.code);
    std::fflush(stderr);
}

char g_contextText[] = "given";

// The handler's output for a fault on `line`.
std::string ReportPattern(int code, const std::string& message, int line) {
    return "code=" + std::to_string(code) + " message=" + message + " line=" + std::to_string(line) +
           " context=given";
}

class ErrorTrapTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ErrorTrapTest, NullWriteIsReportedWithItsSourceLine) {
    EXPECT_EXIT(
        {
            InstallErrorTrap(PrintAndExit, g_contextText);
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
                InstallErrorTrap(PrintAndExit, g_contextText);
                RaiseSignal(c.code);
            },
            ::testing::ExitedWithCode(0), ReportPattern(c.code, c.message, kRaiseLine))
            << "signal " << c.code;
    }
}

TEST_F(ErrorTrapTest, AbortIsReportedWithTheLineThatCalledIt) {
    EXPECT_EXIT(
        {
            InstallErrorTrap(PrintAndExit, g_contextText);
            CallAbort();
        },
        ::testing::ExitedWithCode(0), ReportPattern(SIGABRT, "Abort signal", kAbortLine));
}

TEST_F(ErrorTrapTest, CallThroughNullPointerIsReportedWithTheLineOfTheCall) {
    EXPECT_EXIT(
        {
            InstallErrorTrap(PrintAndExit, g_contextText);
            CallThroughNull();
        },
        ::testing::ExitedWithCode(0), ReportPattern(SIGSEGV, "Segmentation violation", kNullCallLine));
}

TEST_F(ErrorTrapTest, ProcessEndsWithStatusOneWhenTheReportReturns) {
    EXPECT_EXIT(
        {
            InstallErrorTrap(PrintAndReturn, nullptr);
            RaiseSignal(SIGFPE);
        },
        ::testing::ExitedWithCode(1), "returned code=8");
}

TEST_F(ErrorTrapTest, FaultInsideTheReportEndsTheProcessAtOnce) {
    EXPECT_EXIT(
        {
            InstallErrorTrap([](const ErrorRecord&, void*) { WriteThroughNull(); }, nullptr);
            RaiseSignal(SIGILL);
        },
        ::testing::KilledBySignal(SIGSEGV), "");
}

TEST_F(ErrorTrapTest, OtherSignalsKeepTheirDefaultHandling) {
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        EXPECT_EXIT(
            {
                InstallErrorTrap(PrintAndExit, g_contextText);
                RaiseSignal(signalNumber);
            },
            ::testing::KilledBySignal(signalNumber), "")
            << "signal " << signalNumber;
    }
}

TEST_F(ErrorTrapTest, ResetRestoresTheDefaultHandling) {
    EXPECT_EXIT(
        {
            InstallErrorTrap(PrintAndExit, g_contextText);
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
