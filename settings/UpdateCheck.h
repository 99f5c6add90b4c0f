// The update check's rules and transport: the version file on the project's server, the
// comparison of versions and dates, and a libcurl download on a worker thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillmate {

inline constexpr const char* kVersionFilePath = "/Linux/Quillmate-Version.ini";
inline constexpr const char* kCurlMissingText =
    "[Error] can't open 'libcurl' dynamic library needed by Mail and HTTP commands";
// A version file is a few short lines; anything larger is not one.
inline constexpr std::size_t kMaxVersionFileBytes = std::size_t{64} << 10;
inline constexpr std::chrono::seconds kDownloadTimeout{10};

// The libcurl names tried in this order; the first one that opens is the one used.
std::vector<std::string> CurlLibraryNames();

// The update server built into the program, used unless the preferences name another one.
std::string DefaultUpdateServer();
// Address of the version file on `server` (a trailing "/" of the server is not doubled).
std::string VersionFileUrl(std::string_view server);

struct VersionFileValues {
    std::string version;  // line 4: the program version of this edition
    std::string date;     // line 5: the database date, "yyyy-mm-dd"

    bool operator==(const VersionFileValues&) const = default;
};

// Reads lines 4 and 5 of a version file: each value is the text between the first "=" and the
// next "=" (or the line end). A carriage return before the line end is not part of the value;
// bytes that are not UTF-8 become "?". Nothing when the text is empty or either value is empty.
std::optional<VersionFileValues> ParseVersionFile(std::string_view text);

// Seconds of a date in the form "yyyy-mm-dd" (years 1970 to 9999, a real calendar day, nothing
// before or after); -1 for anything else.
long long DateSeconds(std::string_view date);

// "yes" when the server's version is newer than the local one. Versions are three numbers
// separated by "."; a missing or non-numeric part counts as 0. The first part decides, then the
// second, then the third.
std::string IsNewerVersion(std::string_view localVersion, std::string_view serverVersion);
// "yes" when the server's date is later than the local date; an unparsable local date counts as
// earlier than any valid server date.
std::string IsNewerDate(std::string_view localDate, std::string_view serverDate);

// The texts of the update window's three fields.
struct UpdateAnswers {
    std::string otherEdition;  // row 1: the other edition is not examined
    std::string program;       // row 2
    std::string database;      // row 3
};
UpdateAnswers AnswersFor(std::string_view localVersion, std::string_view dbVersion,
                         const VersionFileValues& server);

// libcurl opened at run time with the six functions the program uses. Not linked: a system
// without libcurl still runs the program, only without the update check.
class CurlLibrary {
  public:
    using EasyInit = void* (*)();
    using EasySetopt = int (*)(void*, int, ...);
    using EasyPerform = int (*)(void*);
    using EasyCleanup = void (*)(void*);
    using SlistAppend = void* (*)(void*, const char*);
    using SlistFreeAll = void (*)(void*);

    // Opens the first of `names` that opens. If that one lacks a function, it is closed and no
    // further name is tried. When none opens, kCurlMissingText is written to standard error.
    static std::optional<CurlLibrary> Open(const std::vector<std::string>& names);

    EasyInit easyInit = nullptr;
    EasySetopt easySetopt = nullptr;
    EasyPerform easyPerform = nullptr;
    EasyCleanup easyCleanup = nullptr;
    SlistAppend slistAppend = nullptr;
    SlistFreeAll slistFreeAll = nullptr;

  private:
    struct HandleCloser {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, HandleCloser> m_handle;
};

// Downloads `url` (following redirects, at most kMaxVersionFileBytes, within `timeout`) and
// returns the body whatever the HTTP status; nothing when the transfer failed, was too large or
// was stopped through `stop`. Blocks; safe to call on any thread.
std::optional<std::string> DownloadText(const CurlLibrary& curl, const std::string& url,
                                        std::chrono::seconds timeout, std::stop_token stop = {});

// Downloads and reads the version file; nothing when either failed.
std::optional<VersionFileValues> FetchVersionFile(const CurlLibrary& curl, const std::string& url,
                                                  std::chrono::seconds timeout, std::stop_token stop = {});

// Runs one version-file download at a time on a worker thread. libcurl is opened at the first
// check of the run and the outcome is kept: a missing libcurl is reported once and not tried
// again. Owned by the Application; the worker is stopped and joined on destruction.
class UpdateChecker {
  public:
    explicit UpdateChecker(std::vector<std::string> libraryNames = CurlLibraryNames());
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    // Starts downloading the version file from `url`; `finished` is called on the worker thread
    // when the result can be taken. False (and nothing started) while a check runs or when
    // libcurl is missing.
    bool Start(const std::string& url, std::function<void()> finished);
    bool Running() const;
    // A check runs, or its result has not been taken yet.
    bool Busy() const;
    // The finished check's values (nothing when it failed or none has finished); the server
    // values are remembered.
    std::optional<VersionFileValues> TakeResult();
    // Stops a running download and waits for the worker.
    void Stop();

    void SetTimeout(std::chrono::seconds timeout) { m_timeout = timeout; }
    // Opens libcurl unless already tried; true when it is available.
    bool CurlAvailable();

    const std::string& ServerVersion() const { return m_server.version; }
    const std::string& ServerDate() const { return m_server.date; }

  private:
    std::vector<std::string> m_libraryNames;
    bool m_curlTried = false;
    std::optional<CurlLibrary> m_curl;
    std::chrono::seconds m_timeout = kDownloadTimeout;
    VersionFileValues m_server;

    mutable std::mutex m_mutex;
    bool m_running = false;
    bool m_resultReady = false;
    std::optional<VersionFileValues> m_result;
    std::jthread m_worker;
};

}  // namespace quillmate
