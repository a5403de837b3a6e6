#include "tests/support/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace ml::test {

namespace {

constexpr int kPollStepMs = 20;
constexpr std::size_t kMaxHeaderBytes = std::size_t{64} * 1024;

bool SendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

HttpTestServer::HttpTestServer() {
    defaultReply_.body = "{}";
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
    stopping_ = true;
    stopSignal_.notify_all();
    if (acceptThread_.joinable()) acceptThread_.join();
    for (std::thread& worker : workers_) {
        if (worker.joinable()) worker.join();
    }
    if (listenFd_ >= 0) ::close(listenFd_);
}

std::string HttpTestServer::baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

void HttpTestServer::Enqueue(HttpScriptedReply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(reply));
}

void HttpTestServer::SetDefaultReply(HttpScriptedReply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    defaultReply_ = std::move(reply);
}

std::vector<HttpRecordedRequest> HttpTestServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> HttpTestServer::RequestLines() const {
    std::vector<std::string> lines;
    for (const HttpRecordedRequest& request : Requests()) lines.push_back(request.requestLine);
    return lines;
}

std::size_t HttpTestServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

HttpScriptedReply HttpTestServer::NextReply() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return defaultReply_;
    HttpScriptedReply reply = std::move(queue_.front());
    queue_.pop_front();
    return reply;
}

void HttpTestServer::AcceptLoop() {
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, kPollStepMs) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++connections_;
        workers_.emplace_back([this, fd] { Serve(fd); });
    }
}

bool HttpTestServer::Wait(int fd, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopping_) {
        if (ms >= 0 && std::chrono::steady_clock::now() >= deadline) return true;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollStepMs) > 0) {
            char byte = 0;
            const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
            if (n == 0 || (p.revents & (POLLHUP | POLLERR)) != 0) return false;  // client left
            std::unique_lock<std::mutex> lock(mutex_);
            stopSignal_.wait_for(lock, std::chrono::milliseconds(kPollStepMs));
        }
    }
    return false;
}

bool HttpTestServer::ReadRequest(int fd, std::string& buffer, HttpRecordedRequest& request) {
    // Requests are GETs: they end with their headers.
    std::size_t headerEnd = std::string::npos;
    char chunk[4096];
    while (!stopping_) {
        headerEnd = buffer.find("\r\n\r\n");
        if (headerEnd != std::string::npos) break;
        if (buffer.size() > kMaxHeaderBytes) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollStepMs) <= 0) continue;
        const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    if (stopping_) return false;
    const std::size_t lineEnd = buffer.find("\r\n");
    request.requestLine = buffer.substr(0, lineEnd);
    request.headers = buffer.substr(lineEnd + 2, headerEnd - lineEnd);
    buffer.erase(0, headerEnd + 4);
    return true;
}

void HttpTestServer::Serve(int fd) {
    std::string buffer;
    HttpRecordedRequest request;
    while (ReadRequest(fd, buffer, request)) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }
        const HttpScriptedReply reply = NextReply();
        if (reply.neverAnswer) {
            Wait(fd, -1);
            break;
        }
        if (reply.delayMs > 0 && !Wait(fd, reply.delayMs)) break;
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + (reply.status == 200 ? " OK\r\n" : " Status\r\n");
        head += "Content-Type: " + reply.contentType + "\r\n";
        head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n";
        if (reply.stallAfterHeaders) {
            SendAll(fd, head + reply.body.substr(0, reply.body.size() / 2));
            Wait(fd, -1);
            break;
        }
        if (!SendAll(fd, head + reply.body)) break;
    }
    ::close(fd);
}

}  // namespace ml::test
