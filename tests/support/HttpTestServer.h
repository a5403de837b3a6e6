#pragma once
// A real HTTP/1.1 server on 127.0.0.1 (cpp-httplib) for tests of network
// clients: it listens on a free port, answers GET requests with scripted
// replies in order and records every request it received.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace ml::test {

struct HttpScriptedReply {
    int status = 200;
    std::string body = "{}";
    int delayMs = 0;  // wait this long before answering; -1: read the request, then say nothing
};

struct HttpRecordedRequest {
    std::string requestLine;  // e.g. "GET /path?query HTTP/1.1"
    std::string headers;      // "Name: value\r\n" per header
};

class HttpTestServer {
public:
    HttpTestServer();   // listening when constructed; check ok()
    ~HttpTestServer();  // releases every held reply, then stops
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // Replies are used in the order given; when none is queued the default
    // reply (200 with an empty JSON object) answers.
    void Enqueue(HttpScriptedReply reply);
    void SetDefaultReply(HttpScriptedReply reply);

    std::vector<HttpRecordedRequest> Requests() const;
    std::size_t RequestCount() const { return Requests().size(); }
    std::size_t ConnectionCount() const { return connections_.load(); }

private:
    bool WaitForStop(int ms);  // true when the server stopped first

    std::unique_ptr<httplib::Server> server_;
    int port_ = -1;
    bool stopping_ = false;
    std::atomic<std::size_t> connections_{0};
    mutable std::mutex mutex_;
    std::condition_variable stopSignal_;
    std::deque<HttpScriptedReply> queue_;
    HttpScriptedReply defaultReply_;
    std::vector<HttpRecordedRequest> requests_;
    std::thread thread_;
};

}  // namespace ml::test
