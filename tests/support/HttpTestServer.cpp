#include "tests/support/HttpTestServer.h"

#include <httplib.h>

#include <chrono>
#include <csignal>

namespace ml::test {

namespace {

// Counts the connections the server accepts: each one is handed to the pool.
class CountingPool : public httplib::ThreadPool {
public:
    explicit CountingPool(std::atomic<std::size_t>& count) : ThreadPool(8), count_(count) {}
    void enqueue(std::function<void()> fn) override {
        ++count_;
        ThreadPool::enqueue(std::move(fn));
    }

private:
    std::atomic<std::size_t>& count_;
};

}  // namespace

HttpTestServer::HttpTestServer() : server_(std::make_unique<httplib::Server>()) {
    std::signal(SIGPIPE, SIG_IGN);  // a client that left must not end the test
    server_->new_task_queue = [this] { return new CountingPool(connections_); };
    server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        HttpScriptedReply reply;
        {
            std::lock_guard lock(mutex_);
            HttpRecordedRequest& recorded = requests_.emplace_back();
            recorded.requestLine = request.method + " " + request.target + " " + request.version;
            for (const auto& [name, value] : request.headers) recorded.headers += name + ": " + value + "\r\n";
            reply = queue_.empty() ? defaultReply_ : queue_.front();
            if (!queue_.empty()) queue_.pop_front();
        }
        if (reply.delayMs != 0 && WaitForStop(reply.delayMs)) return;
        response.status = reply.status;
        response.set_content(reply.body, "application/json; charset=UTF-8");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) return;
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpTestServer::~HttpTestServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

bool HttpTestServer::WaitForStop(int ms) {
    std::unique_lock lock(mutex_);
    if (ms < 0) {
        stopSignal_.wait(lock, [this] { return stopping_; });
        return true;
    }
    return stopSignal_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void HttpTestServer::Enqueue(HttpScriptedReply reply) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(reply));
}

void HttpTestServer::SetDefaultReply(HttpScriptedReply reply) {
    std::lock_guard lock(mutex_);
    defaultReply_ = std::move(reply);
}

std::vector<HttpRecordedRequest> HttpTestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

}  // namespace ml::test
