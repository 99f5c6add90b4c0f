#include "settings/UpdateCheck.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>

#include "base/Release.h"
#include "base/Text.h"
#include "base/Utf8.h"

namespace quillmate {
namespace {

// The few libcurl option numbers the download needs; the library has no headers here.
constexpr int kOptWriteData = 10001;
constexpr int kOptUrl = 10002;
constexpr int kOptWriteFunction = 20011;
constexpr int kOptTimeout = 13;
constexpr int kOptNoProgress = 43;
constexpr int kOptFollowLocation = 52;
constexpr int kOptXferInfoData = 10057;
constexpr int kOptMaxRedirs = 68;
constexpr int kOptConnectTimeout = 78;
constexpr int kOptNoSignal = 99;
constexpr int kOptProtocols = 181;
constexpr int kOptRedirProtocols = 182;
constexpr int kOptXferInfoFunction = 20219;
constexpr long kProtoHttpAndHttps = 1 | 2;
constexpr long kMaxRedirects = 5;
constexpr int kCurlOk = 0;

struct DownloadBuffer {
    std::string body;
    std::stop_token stop;
};

extern "C" size_t AppendReceived(char* data, size_t size, size_t count, void* user) {
    auto* buffer = static_cast<DownloadBuffer*>(user);
    const size_t bytes = size * count;
    if (bytes > kMaxVersionFileBytes - buffer->body.size()) {
        return 0;  // anything but `bytes` ends the transfer
    }
    buffer->body.append(data, bytes);
    return bytes;
}

extern "C" int ReportProgress(void* user, int64_t, int64_t, int64_t, int64_t) {
    return static_cast<DownloadBuffer*>(user)->stop.stop_requested() ? 1 : 0;
}

struct EasyCleanupDeleter {
    CurlLibrary::EasyCleanup cleanup;
    void operator()(void* easy) const { cleanup(easy); }
};

// The value of a version-file line: between the first "=" and the next one, or the line end.
std::string LineValue(std::string_view line) {
    const auto first = line.find('=');
    if (first == std::string_view::npos) {
        return {};
    }
    std::string_view value = line.substr(first + 1);
    value = value.substr(0, value.find('='));
    return ToValidUtf8(value, "?");
}

std::array<long long, 3> VersionParts(std::string_view version) {
    std::array<long long, 3> parts{};
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto dot = version.find('.');
        parts[i] = LeadingInteger(version.substr(0, dot), {"", false, 1'000'000'000});
        if (dot == std::string_view::npos) {
            break;
        }
        version.remove_prefix(dot + 1);
    }
    return parts;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
long long DaysFromCivil(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int monthIndex = (month + 9) % 12;
    const int dayOfYear = (153 * monthIndex + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<long long>(era) * 146097 + dayOfEra - 719468;
}

std::optional<int> Digits(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::vector<std::string> CurlLibraryNames() {
    return {"libcurl-gnutls.so.4", "libcurl-nss.so.4", "libcurl-gnutls.so.3", "libcurl-nss.so.3",
            "libcurl.so",          "libcurl.so.4",     "libcurl.so.3"};
}

std::string DefaultUpdateServer() {
    return kUpdateServer;
}

std::string VersionFileUrl(std::string_view server) {
    while (!server.empty() && server.back() == '/') {
        server.remove_suffix(1);
    }
    return std::string(server) + kVersionFilePath;
}

std::optional<VersionFileValues> ParseVersionFile(std::string_view text) {
    std::array<std::string_view, 5> lines{};
    size_t count = 0;
    while (count < lines.size() && !text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);  // a CR before the line end would make the date unreadable
        }
        lines[count++] = line;
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    if (count < lines.size()) {
        return std::nullopt;
    }
    VersionFileValues values{LineValue(lines[3]), LineValue(lines[4])};
    if (values.version.empty() || values.date.empty()) {
        return std::nullopt;
    }
    return values;
}

long long DateSeconds(std::string_view date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') {
        return -1;
    }
    const auto year = Digits(date.substr(0, 4));
    const auto month = Digits(date.substr(5, 2));
    const auto day = Digits(date.substr(8, 2));
    if (!year || !month || !day || *year < 1970 || *month < 1 || *month > 12 || *day < 1) {
        return -1;
    }
    constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int monthDays = kMonthDays[*month - 1] + (*month == 2 && IsLeapYear(*year) ? 1 : 0);
    if (*day > monthDays) {
        return -1;
    }
    return DaysFromCivil(*year, *month, *day) * 86400;
}

std::string IsNewerVersion(std::string_view localVersion, std::string_view serverVersion) {
    if (serverVersion.empty()) {
        return "no";
    }
    return VersionParts(serverVersion) > VersionParts(localVersion) ? "yes" : "no";
}

std::string IsNewerDate(std::string_view localDate, std::string_view serverDate) {
    if (serverDate.empty()) {
        return "no";
    }
    return DateSeconds(serverDate) > DateSeconds(localDate) ? "yes" : "no";
}

UpdateAnswers AnswersFor(std::string_view localVersion, std::string_view dbVersion,
                         const VersionFileValues& server) {
    UpdateAnswers answers;
    answers.otherEdition = " - ";
    const std::string local(localVersion);
    if (IsNewerVersion(localVersion, server.version) == "yes") {
        answers.program = "yes:  " + local + " → " + server.version;
    } else {
        answers.program = "no:  " + local;
    }
    if (IsNewerDate(dbVersion, server.date) == "yes") {
        answers.database = "yes:  " + std::string(dbVersion) + " → " + server.date;
    } else {
        answers.database = "no:  " + server.date;
    }
    return answers;
}

void CurlLibrary::HandleCloser::operator()(void* handle) const {
    ::dlclose(handle);
}

std::optional<CurlLibrary> CurlLibrary::Open(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::unique_ptr<void, HandleCloser> handle(
            ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
        if (!handle) {
            continue;
        }
        CurlLibrary curl;
        const auto resolve = [&handle](auto& function, const char* symbol) {
            function =
                reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle.get(), symbol));
            return function != nullptr;
        };
        const bool complete = resolve(curl.easyInit, "curl_easy_init") &&
                              resolve(curl.easySetopt, "curl_easy_setopt") &&
                              resolve(curl.easyPerform, "curl_easy_perform") &&
                              resolve(curl.easyCleanup, "curl_easy_cleanup") &&
                              resolve(curl.slistAppend, "curl_slist_append") &&
                              resolve(curl.slistFreeAll, "curl_slist_free_all");
        if (!complete) {
            return std::nullopt;  // the handle closes here
        }
        curl.m_handle = std::move(handle);
        return curl;
    }
    std::cerr << kCurlMissingText << std::endl;
    return std::nullopt;
}

std::optional<std::string> DownloadText(const CurlLibrary& curl, const std::string& url,
                                        std::chrono::seconds timeout, std::stop_token stop) {
    std::unique_ptr<void, EasyCleanupDeleter> easy(curl.easyInit(), EasyCleanupDeleter{curl.easyCleanup});
    if (!easy) {
        return std::nullopt;
    }
    DownloadBuffer buffer{std::string(), std::move(stop)};
    const long seconds = static_cast<long>(timeout.count());
    auto* handle = easy.get();
    const bool configured = curl.easySetopt(handle, kOptUrl, url.c_str()) == kCurlOk &&
                            curl.easySetopt(handle, kOptProtocols, kProtoHttpAndHttps) == kCurlOk &&
                            curl.easySetopt(handle, kOptRedirProtocols, kProtoHttpAndHttps) == kCurlOk &&
                            curl.easySetopt(handle, kOptFollowLocation, 1L) == kCurlOk &&
                            curl.easySetopt(handle, kOptMaxRedirs, kMaxRedirects) == kCurlOk &&
                            curl.easySetopt(handle, kOptWriteFunction, &AppendReceived) == kCurlOk &&
                            curl.easySetopt(handle, kOptWriteData, &buffer) == kCurlOk &&
                            curl.easySetopt(handle, kOptNoProgress, 0L) == kCurlOk &&
                            curl.easySetopt(handle, kOptXferInfoFunction, &ReportProgress) == kCurlOk &&
                            curl.easySetopt(handle, kOptXferInfoData, &buffer) == kCurlOk &&
                            // Signals would reach the whole process; the download runs on a worker thread.
                            curl.easySetopt(handle, kOptNoSignal, 1L) == kCurlOk &&
                            curl.easySetopt(handle, kOptTimeout, seconds) == kCurlOk &&
                            curl.easySetopt(handle, kOptConnectTimeout, seconds) == kCurlOk;
    if (!configured || curl.easyPerform(handle) != kCurlOk) {
        return std::nullopt;
    }
    return std::move(buffer.body);
}

std::optional<VersionFileValues> FetchVersionFile(const CurlLibrary& curl, const std::string& url,
                                                  std::chrono::seconds timeout, std::stop_token stop) {
    const auto body = DownloadText(curl, url, timeout, std::move(stop));
    if (!body) {
        return std::nullopt;
    }
    return ParseVersionFile(*body);
}

UpdateChecker::UpdateChecker(std::vector<std::string> libraryNames)
    : m_libraryNames(std::move(libraryNames)) {}

UpdateChecker::~UpdateChecker() {
    Stop();
}

bool UpdateChecker::CurlAvailable() {
    if (!m_curlTried) {
        m_curlTried = true;
        m_curl = CurlLibrary::Open(m_libraryNames);
    }
    return m_curl.has_value();
}

bool UpdateChecker::Start(const std::string& url, std::function<void()> finished) {
    if (Running() || !CurlAvailable()) {
        return false;
    }
    if (m_worker.joinable()) {
        m_worker.join();  // the previous check has ended; only its thread remains
    }
    {
        const std::lock_guard lock(m_mutex);
        m_running = true;
        m_resultReady = false;
        m_result.reset();
    }
    m_worker =
        std::jthread([this, url, timeout = m_timeout, finished = std::move(finished)](std::stop_token stop) {
            auto values = FetchVersionFile(*m_curl, url, timeout, stop);
            {
                const std::lock_guard lock(m_mutex);
                m_result = std::move(values);
                m_resultReady = true;
                m_running = false;
            }
            if (finished && !stop.stop_requested()) {
                finished();
            }
        });
    return true;
}

bool UpdateChecker::Running() const {
    const std::lock_guard lock(m_mutex);
    return m_running;
}

bool UpdateChecker::Busy() const {
    const std::lock_guard lock(m_mutex);
    return m_running || m_resultReady;
}

std::optional<VersionFileValues> UpdateChecker::TakeResult() {
    std::optional<VersionFileValues> result;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_resultReady) {
            return std::nullopt;
        }
        m_resultReady = false;
        result = std::move(m_result);
        m_result.reset();
    }
    if (result) {
        m_server = *result;
    }
    return result;
}

void UpdateChecker::Stop() {
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
}

}  // namespace quillmate
