#include "tools/cli/CliDownload.h"

#include <chrono>
#include <csignal>
#include <thread>

#include "acquire/ReadLogWorker.h"

namespace ml::cli {

namespace {
volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }
}  // namespace

ReadLogOutcome RunCliDownload(ReadLogFlow& flow) {
    flow.StartReadLog(0);
    interrupted = 0;
    auto previous = std::signal(SIGINT, OnInterrupt);
    ReadLogWorker worker;
    worker.Start(flow);
    while (worker.Running()) {
        if (interrupted != 0) worker.Cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const ReadLogOutcome outcome = worker.Join();
    std::signal(SIGINT, previous);
    return outcome;
}

}  // namespace ml::cli
