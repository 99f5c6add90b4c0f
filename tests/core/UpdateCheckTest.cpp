// The update check: version and date rules, the version file, loading libcurl and downloads
// from a real HTTP server on 127.0.0.1.
#include "settings/UpdateCheck.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "TinyHttpServer.h"

namespace quillmate {
namespace {

using test::HttpResponse;
using test::TinyHttpServer;

TEST(UpdateCheckTest, VersionsCompareAsVersionNumbers) {
    struct Case {
        const char* local;
        const char* server;
        const char* newer;
    };
    const Case cases[] = {
        {"0.25.37", "0.25.40", "yes"},  // third part greater
        {"0.25.37", "0.25.37", "no"},   // same version
        {"0.25.37", "1.0.0", "yes"},    // first part decides
        {"0.25.37", "0.24.40", "no"},   // an older minor version with a larger third part
        {"0.25.37", "0.26.0", "yes"},   // second part decides
        {"0.25.37", "0.25.9", "no"},    // numbers, not text: 9 < 37
        {"0.25.37", "0.25.100", "yes"},
        {"1.0.0", "0.99.99", "no"},
        {"0.25.37", "", "no"},              // no server version
        {"0.25.37", "0.25", "no"},          // a missing part counts as 0
        {"0.25", "0.25.1", "yes"},          // also on the local side
        {"0.25.37", "abc", "no"},           // non-numeric parts count as 0
        {"0.25.37", "0.25.38beta", "yes"},  // leading digits count
        {"0.25.37", "0.25.37.99", "no"},    // only three parts are compared
        {"", "0.0.1", "yes"},
        {"0.25.37", "99999999999999999999.0.0", "yes"},  // huge numbers stay comparable
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNewerVersion(c.local, c.server), c.newer) << c.local << " vs " << c.server;
    }
}

TEST(UpdateCheckTest, DatesCompareByTheirCalendarDay) {
    struct Case {
        const char* local;
        const char* server;
        const char* newer;
    };
    const Case cases[] = {
        {"2021-01-10", "2021-03-14", "yes"},
        {"2021-01-10", "2020-12-01", "no"},
        {"2021-01-10", "2021-01-10", "no"},
        {"2021-01-10", "2021-01-11", "yes"},
        {"", "2021-03-14", "yes"},             // an unparsable local date is earlier
        {"2021-01-10", "", "no"},              // no server date
        {"2021-01-10", "2021-03-14\r", "no"},  // any character after the day: unparsable
        {"2021-01-10", "2021-3-14", "no"},     // the mask wants two digits
        {"2021-01-10", "2021-02-30", "no"},    // no such day
        {"2024-02-28", "2024-02-29", "yes"},   // leap day
        {"2023-02-28", "2023-02-29", "no"},
        {"2021-01-10", "14.03.2021", "no"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNewerDate(c.local, c.server), c.newer) << c.local << " vs " << c.server;
    }
}

TEST(UpdateCheckTest, DateSecondsCountFromTheEpochAndRejectOtherShapes) {
    EXPECT_EQ(DateSeconds("1970-01-01"), 0);
    EXPECT_EQ(DateSeconds("1970-01-02"), 86400);
    EXPECT_EQ(DateSeconds("2000-03-01"), 951868800);
    EXPECT_EQ(DateSeconds("2038-01-19"), 2147472000);  // beyond 32-bit seconds is fine too
    EXPECT_LT(DateSeconds("2021-12-31"), DateSeconds("2022-01-01"));
    for (const char* bad :
         {"", "1969-12-31", "2021-13-01", "2021-00-10", "2021-01-00", "2021-01-32", "2021-01-1", "2021/01/10",
          " 2021-01-10", "2021-01-10 ", "20a1-01-10", "+021-01-10"}) {
        EXPECT_EQ(DateSeconds(bad), -1) << '"' << bad << '"';
    }
}

TEST(UpdateCheckTest, VersionFileValuesComeFromLinesFourAndFive) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<VersionFileValues> expected;
    };
    const Case cases[] = {
        {"plain", "[Quillmate]\ngtk2=0.25.30\nx\nVersion=0.25.40\nDate=2021-03-14\n",
         VersionFileValues{"0.25.40", "2021-03-14"}},
        {"no final line feed", "a\nb\nc\nV=1.0.0\nD=2022-01-01", VersionFileValues{"1.0.0", "2022-01-01"}},
        {"further lines unused", "a\nb\nc\nV=1.0.0\nD=2022-01-01\nE=junk\nF\n",
         VersionFileValues{"1.0.0", "2022-01-01"}},
        {"CR LF line ends", "a\r\nb\r\nc\r\nV=0.25.40\r\nD=2021-03-14\r\n",
         VersionFileValues{"0.25.40", "2021-03-14"}},
        {"empty date between two equals signs", "a\nb\nc\nV=0.25.40=old\nD==2021\n", std::nullopt},
        {"value between the equals signs", "a\nb\nc\n=0.25.40=\nD=2021-03-14=x\n",
         VersionFileValues{"0.25.40", "2021-03-14"}},
        {"empty", "", std::nullopt},
        {"four lines", "a\nb\nc\nV=0.25.40\n", std::nullopt},
        {"no = in line 4", "a\nb\nc\nVersion 0.25.40\nD=2021-03-14\n", std::nullopt},
        {"no = in line 5", "a\nb\nc\nV=0.25.40\nDate 2021-03-14\n", std::nullopt},
        {"empty value", "a\nb\nc\nV=\nD=2021-03-14\n", std::nullopt},
        {"HTML error page",
         "<!DOCTYPE html>\n<html>\n<head><title>404 Not Found</title></head>\n<body>\n"
         "<h1>Not Found</h1>\n</body>\n</html>\n",
         std::nullopt},
        {"HTML page with = in lines 4 and 5",
         "<html>\n<head>\n<title>x</title>\n<meta charset=utf-8>\n<body class=page>\n</html>\n",
         VersionFileValues{"utf-8>", "page>"}},
        {"bytes that are not UTF-8", "a\nb\nc\nV=0.25.\xFF\nD=2021-03-1\xC3\n",
         VersionFileValues{"0.25.?", "2021-03-1?"}},
        {"UTF-8 kept", "a\nb\nc\nV=0.25.40 ✓\nD=2021-03-14\n", VersionFileValues{"0.25.40 ✓", "2021-03-14"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseVersionFile(c.text), c.expected) << c.name;
    }
}

TEST(UpdateCheckTest, AnswersNameTheVersionsAndDates) {
    const VersionFileValues newer{"0.25.40", "2021-03-14"};
    UpdateAnswers answers = AnswersFor("0.25.37", "2021-01-10", newer);
    EXPECT_EQ(answers.otherEdition, " - ");
    EXPECT_EQ(answers.program, "yes:  0.25.37 → 0.25.40");
    EXPECT_EQ(answers.database, "yes:  2021-01-10 → 2021-03-14");

    // A negative answer names the program's own version but the server's date.
    answers = AnswersFor("0.25.37", "2021-01-10", VersionFileValues{"0.25.37", "2020-12-01"});
    EXPECT_EQ(answers.program, "no:  0.25.37");
    EXPECT_EQ(answers.database, "no:  2020-12-01");

    answers = AnswersFor("0.25.37", "", VersionFileValues{"0.24.40", "2021-03-14"});
    EXPECT_EQ(answers.program, "no:  0.25.37");
    EXPECT_EQ(answers.database, "yes:   → 2021-03-14");
}

TEST(UpdateCheckTest, VersionFileAddressJoinsServerAndPath) {
    EXPECT_EQ(VersionFileUrl("http://example.org"), "http://example.org/Linux/Quillmate-Version.ini");
    EXPECT_EQ(VersionFileUrl("http://example.org//"), "http://example.org/Linux/Quillmate-Version.ini");
    EXPECT_EQ(VersionFileUrl("http://127.0.0.1:8080/mirror"),
              "http://127.0.0.1:8080/mirror/Linux/Quillmate-Version.ini");
    EXPECT_EQ(VersionFileUrl(DefaultUpdateServer()).rfind("http", 0), 0u);
}

TEST(UpdateCheckTest, LibcurlIsTakenFromTheFirstNameThatOpens) {
    ::testing::internal::CaptureStderr();
    const auto curl =
        CurlLibrary::Open({"libquillmate-no-such-curl.so.9", "libcurl-gnutls.so.4", "libcurl.so.4"});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(curl);
    EXPECT_NE(curl->easyInit, nullptr);
    EXPECT_NE(curl->slistFreeAll, nullptr);
}

TEST(UpdateCheckTest, ALibraryWithoutTheFunctionsEndsTheSearchSilently) {
    ::testing::internal::CaptureStderr();
    // libz opens but is no libcurl: the following names are not tried.
    const auto curl = CurlLibrary::Open({"libz.so.1", "libcurl-gnutls.so.4", "libcurl.so.4"});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(curl);
}

TEST(UpdateCheckTest, MissingLibcurlIsReportedOncePerRun) {
    UpdateChecker checker({"libquillmate-no-such-curl.so.9", "libquillmate-no-such-curl.so.8"});
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(checker.CurlAvailable());
    EXPECT_FALSE(checker.Start("http://127.0.0.1:9/", [] {}));
    EXPECT_FALSE(checker.CurlAvailable());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string(kCurlMissingText) + "\n");
    EXPECT_FALSE(checker.Running());
}

class UpdateDownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_curl = CurlLibrary::Open(CurlLibraryNames());
        if (!m_curl) {
            GTEST_SKIP() << "libcurl is not installed";
        }
    }
    std::optional<VersionFileValues> Fetch(std::chrono::seconds timeout = std::chrono::seconds(5)) {
        return FetchVersionFile(*m_curl, VersionFileUrl(m_server.BaseUrl()), timeout);
    }

    TinyHttpServer m_server;
    std::optional<CurlLibrary> m_curl;
};

TEST_F(UpdateDownloadTest, VersionFilesFromTheServerAreRead) {
    struct Case {
        const char* name;
        std::string response;
        std::optional<VersionFileValues> expected;
    };
    const Case cases[] = {
        {"newer program and database",
         HttpResponse(200, "OK", "[Quillmate]\ngtk2=0.25.30\n\nGtk3=0.25.40\nDb=2027-01-01\n"),
         VersionFileValues{"0.25.40", "2027-01-01"}},
        {"same program, older database", HttpResponse(200, "OK", "a\nb\nc\nGtk3=0.25.37\nDb=2020-12-01\n"),
         VersionFileValues{"0.25.37", "2020-12-01"}},
        {"CR LF", HttpResponse(200, "OK", "a\r\nb\r\nc\r\nGtk3=0.25.40\r\nDb=2027-01-01\r\n"),
         VersionFileValues{"0.25.40", "2027-01-01"}},
        {"empty body", HttpResponse(200, "OK", ""), std::nullopt},
        {"error page", HttpResponse(404, "Not Found", "<html><body><h1>404 Not Found</h1></body></html>\n"),
         std::nullopt},
        {"error status with a version file body",
         HttpResponse(500, "Oops", "a\nb\nc\nV=9.0.0\nD=2030-01-01\n"),
         VersionFileValues{"9.0.0", "2030-01-01"}},
        {"too large", HttpResponse(200, "OK", "a\nb\nc\nV=9.0.0\nD=2030-01-01\n" + std::string(100000, 'x')),
         std::nullopt},
    };
    for (const Case& c : cases) {
        m_server.Serve(kVersionFilePath, c.response);
        EXPECT_EQ(Fetch(), c.expected) << c.name;
    }
}

TEST_F(UpdateDownloadTest, RedirectsAreFollowed) {
    m_server.Serve(
        kVersionFilePath,
        HttpResponse(302, "Found", "", "Location: " + m_server.BaseUrl() + "/moved/Version.ini\r\n"));
    m_server.Serve("/moved/Version.ini", HttpResponse(200, "OK", "a\nb\nc\nV=0.26.0\nD=2027-02-02\n"));
    EXPECT_EQ(Fetch(), (VersionFileValues{"0.26.0", "2027-02-02"}));
}

TEST_F(UpdateDownloadTest, ABodyLargerThanTheBoundStopsTheTransfer) {
    m_server.Serve("/big", HttpResponse(200, "OK", std::string(kMaxVersionFileBytes + 1, 'x')));
    m_server.Serve("/fits", HttpResponse(200, "OK", std::string(kMaxVersionFileBytes, 'x')));
    EXPECT_FALSE(DownloadText(*m_curl, m_server.BaseUrl() + "/big", std::chrono::seconds(5)));
    const auto fits = DownloadText(*m_curl, m_server.BaseUrl() + "/fits", std::chrono::seconds(5));
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits->size(), kMaxVersionFileBytes);
}

TEST_F(UpdateDownloadTest, AServerThatNeverAnswersEndsInTheTimeOut) {
    m_server.SetSilent(true);
    auto fetch = std::async(std::launch::async, [this] { return Fetch(std::chrono::seconds(1)); });
    ASSERT_EQ(fetch.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the download hangs";
    EXPECT_FALSE(fetch.get());
    EXPECT_EQ(m_server.Connections(), 1);
}

TEST_F(UpdateDownloadTest, ACheckerRunsOneDownloadAtATimeAndKeepsTheServerValues) {
    m_server.SetSilent(true);
    UpdateChecker checker;
    checker.SetTimeout(std::chrono::seconds(2));
    std::promise<void> finished;
    ASSERT_TRUE(checker.Start(VersionFileUrl(m_server.BaseUrl()), [&finished] { finished.set_value(); }));
    EXPECT_TRUE(checker.Running());
    EXPECT_FALSE(checker.Start(VersionFileUrl(m_server.BaseUrl()), [] {}));
    ASSERT_EQ(finished.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(checker.Running());
    EXPECT_FALSE(checker.TakeResult());
    EXPECT_EQ(m_server.Connections(), 1);

    m_server.SetSilent(false);
    m_server.Serve(kVersionFilePath, HttpResponse(200, "OK", "a\nb\nc\nV=0.25.40\nD=2027-01-01\n"));
    std::promise<void> second;
    ASSERT_TRUE(checker.Start(VersionFileUrl(m_server.BaseUrl()), [&second] { second.set_value(); }));
    ASSERT_EQ(second.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(checker.TakeResult(), (VersionFileValues{"0.25.40", "2027-01-01"}));
    EXPECT_FALSE(checker.TakeResult());  // taken once
    EXPECT_EQ(checker.ServerVersion(), "0.25.40");
    EXPECT_EQ(checker.ServerDate(), "2027-01-01");
}

TEST_F(UpdateDownloadTest, StoppingACheckerEndsARunningDownload) {
    m_server.SetSilent(true);
    auto checker = std::make_unique<UpdateChecker>();  // default time-out: ten seconds
    bool called = false;
    ASSERT_TRUE(checker->Start(VersionFileUrl(m_server.BaseUrl()), [&called] { called = true; }));
    ASSERT_TRUE(test::WaitUntil([this] { return m_server.Connections() == 1; }));
    auto stopped = std::async(std::launch::async, [&checker] { checker.reset(); });
    // Well before the ten seconds of the time-out.
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    stopped.wait();
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace quillmate
