#pragma once
// The simulator's main loop: bytes from the program go to the log file and
// the logger model, the model's answers go out on the line, with the
// line-level faults (silence, hang-up) applied on the way.
#include <csignal>
#include <string>

#include "tools/loggersim/PtyLink.h"
#include "tools/loggersim/SimOptions.h"
#include "tools/loggersim/SimulatedLogger.h"

namespace ml::sim {

class SimRunner {
public:
    SimRunner(PtyLink& link, SimulatedLogger& logger, const SimOptions& options);
    ~SimRunner();
    SimRunner(const SimRunner&) = delete;
    SimRunner& operator=(const SimRunner&) = delete;

    // Opens the log file (appending). False with a message when it cannot.
    bool OpenLog(std::string& error);

    // Runs until `stop` becomes non-zero, the idle limit passes, the line is
    // hung up on purpose or fails. Returns the process exit status.
    int Run(const volatile std::sig_atomic_t& stop);

    void Trace(const std::string& line) const;

private:
    void HandleReceived(const std::string& bytes);
    void Send(std::string bytes);
    void WriteStats() const;

    PtyLink& link_;
    SimulatedLogger& logger_;
    const SimOptions& options_;
    int logFd_ = -1;
    uint64_t queued_ = 0;  // bytes handed to the line so far
    bool silent_ = false;
};

}  // namespace ml::sim
