#include "acquire/ReadLogWorker.h"

namespace ml {

ReadLogWorker::~ReadLogWorker() {
    Cancel();
    Join();
}

bool ReadLogWorker::Start(ReadLogFlow& flow, std::function<void(ReadLogOutcome)> done) {
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join();
    flow_ = &flow;
    running_.store(true);
    thread_ = std::thread([this, done = std::move(done)] {
        const ReadLogOutcome outcome = flow_->RunReadLog();
        outcome_ = outcome;
        running_.store(false);
        if (done) done(outcome);
    });
    return true;
}

void ReadLogWorker::Cancel() {
    if (flow_ != nullptr && running_.load()) flow_->RequestCancel();
}

ReadLogOutcome ReadLogWorker::Join() {
    if (thread_.joinable()) thread_.join();
    return outcome_;
}

}  // namespace ml
