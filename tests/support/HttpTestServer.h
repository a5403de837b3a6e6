#pragma once
// A small real HTTP/1.1 server on 127.0.0.1 for tests of network clients.
// It listens on an ephemeral port, serves each connection on its own thread
// (keep-alive included), answers GET requests with scripted replies in order and
// records every request it received.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ml::test {

struct HttpScriptedReply {
    int status = 200;
    std::string body;
    std::string contentType = "application/json; charset=UTF-8";
    int delayMs = 0;            // wait this long before answering
    bool neverAnswer = false;   // read the request, then say nothing until the client leaves
    bool stallAfterHeaders = false;  // send the headers and half the body, then nothing
};

struct HttpRecordedRequest {
    std::string requestLine;  // e.g. "GET /path?query HTTP/1.1", without CR LF
    std::string headers;      // the header lines as received
};

class HttpTestServer {
public:
    HttpTestServer();   // listening when constructed; check ok()
    ~HttpTestServer();  // stops every connection and joins the threads
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool ok() const { return listenFd_ >= 0; }
    int port() const { return port_; }
    std::string baseUrl() const;  // "http://127.0.0.1:PORT"

    // Replies are used in the order given; when none is queued the default
    // reply (200 with an empty JSON object) answers.
    void Enqueue(HttpScriptedReply reply);
    void SetDefaultReply(HttpScriptedReply reply);

    std::vector<HttpRecordedRequest> Requests() const;
    std::vector<std::string> RequestLines() const;
    std::size_t RequestCount() const;
    std::size_t ConnectionCount() const { return connections_.load(); }

private:
    void AcceptLoop();
    void Serve(int fd);
    bool ReadRequest(int fd, std::string& buffer, HttpRecordedRequest& request);
    HttpScriptedReply NextReply();
    // Waits up to `ms` (forever when negative) unless the server stops or the
    // client closes `fd`; true when the full time passed.
    bool Wait(int fd, int ms);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> connections_{0};
    mutable std::mutex mutex_;
    std::condition_variable stopSignal_;
    std::deque<HttpScriptedReply> queue_;
    HttpScriptedReply defaultReply_;
    std::vector<HttpRecordedRequest> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptThread_;
};

}  // namespace ml::test
