#include "TinyHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <vector>

namespace quillmate::test {
namespace {

constexpr int kPollMilliseconds = 20;
constexpr size_t kMaxRequestBytes = 16384;

// Reads the request head; empty when the client sent none within a few seconds.
std::string ReadRequestHead(int client) {
    std::string request;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    char chunk[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes &&
           std::chrono::steady_clock::now() < end) {
        pollfd poller{client, POLLIN, 0};
        if (::poll(&poller, 1, kPollMilliseconds) <= 0) {
            continue;
        }
        const ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) {
            break;
        }
        request.append(chunk, static_cast<size_t>(got));
    }
    return request;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

std::string HttpResponse(int status, const std::string& reason, const std::string& body,
                         const std::string& extraHeaders) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: text/plain\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" + extraHeaders +
           "\r\n" + body;
}

TinyHttpServer::TinyHttpServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0) {
        throw std::runtime_error("no socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_listener);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

TinyHttpServer::~TinyHttpServer() {
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

std::string TinyHttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void TinyHttpServer::Serve(const std::string& path, const std::string& rawResponse) {
    const std::lock_guard lock(m_mutex);
    m_responses[path] = rawResponse;
}

void TinyHttpServer::Run() {
    std::vector<int> heldOpen;
    while (!m_stop) {
        pollfd poller{m_listener, POLLIN, 0};
        if (::poll(&poller, 1, kPollMilliseconds) <= 0) {
            continue;
        }
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0) {
            continue;
        }
        ++m_connections;
        if (m_silent) {
            heldOpen.push_back(client);
            continue;
        }
        Answer(client);
        ::close(client);
    }
    for (const int client : heldOpen) {
        ::close(client);
    }
}

void TinyHttpServer::Answer(int client) {
    const std::string request = ReadRequestHead(client);
    const auto firstSpace = request.find(' ');
    const auto secondSpace = request.find(' ', firstSpace + 1);
    std::string path;
    if (firstSpace != std::string::npos && secondSpace != std::string::npos) {
        path = request.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    }
    std::string response;
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_responses.find(path);
        response = found != m_responses.end()
                       ? found->second
                       : HttpResponse(404, "Not Found", "<html><body><h1>404 Not Found</h1></body></html>\n");
    }
    size_t sent = 0;
    while (sent < response.size()) {
        const ssize_t written = ::send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (written <= 0) {
            break;
        }
        sent += static_cast<size_t>(written);
    }
}

}  // namespace quillmate::test
