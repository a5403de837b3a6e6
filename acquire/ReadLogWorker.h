#pragma once
// The download worker: runs ReadLogFlow::RunReadLog on a thread of its own.
// The desktop program may use it or call RunReadLog from a QThread; the
// command-line tool and the tests use it.
#include <atomic>
#include <functional>
#include <thread>

#include "acquire/ReadLogFlow.h"

namespace ml {

class ReadLogWorker {
public:
    ReadLogWorker() = default;
    // Stops a running download and waits for it: the session must not be
    // touched by a thread that outlives its owner.
    ~ReadLogWorker();
    ReadLogWorker(const ReadLogWorker&) = delete;
    ReadLogWorker& operator=(const ReadLogWorker&) = delete;

    // Starts the flow's download; `done` runs on the worker at its end.
    // False when a download is still running.
    bool Start(ReadLogFlow& flow, std::function<void(ReadLogOutcome)> done = {});

    // True from Start until the download has ended.
    bool Running() const { return running_.load(); }

    // Asks the running download to stop; returns at once.
    void Cancel();

    // Waits for the worker to end and returns its outcome (NoPortSelected
    // when none was started).
    ReadLogOutcome Join();

private:
    std::thread thread_;
    ReadLogFlow* flow_ = nullptr;
    std::atomic<bool> running_{false};
    ReadLogOutcome outcome_ = ReadLogOutcome::NoPortSelected;
};

}  // namespace ml
