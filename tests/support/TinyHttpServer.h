// A small HTTP server on 127.0.0.1 for tests of the update check: it answers each request with
// the response stored for its path (404 otherwise), or, when silent, accepts and never answers.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace quillmate::test {

// A complete HTTP/1.1 response with Content-Length and "Connection: close".
std::string HttpResponse(int status, const std::string& reason, const std::string& body,
                         const std::string& extraHeaders = "");

// Polls `done` until it holds or the time is up; returns done().
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

class TinyHttpServer {
  public:
    TinyHttpServer();
    ~TinyHttpServer();
    TinyHttpServer(const TinyHttpServer&) = delete;
    TinyHttpServer& operator=(const TinyHttpServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::string BaseUrl() const;
    void Serve(const std::string& path, const std::string& rawResponse);
    // Accepted connections are held open without an answer until the server ends.
    void SetSilent(bool silent) { m_silent = silent; }
    int Connections() const { return m_connections; }

  private:
    void Run();
    void Answer(int client);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_silent{false};
    std::atomic<int> m_connections{0};
    std::mutex m_mutex;
    std::map<std::string, std::string> m_responses;
    std::thread m_thread;
};

}  // namespace quillmate::test
