#pragma once
// Runs the built logger simulator (ml::test::LoggerSimPath()) for a test:
// starts it with the given flags and a log of everything the program sends,
// reads the port from its "PORT /dev/pts/N" line, and stops it when the
// object goes.
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace ml::test {

class LoggerSimProcess {
public:
    // Starts the simulator with `flags` plus "--log <file in a temporary
    // folder>"; waits at most `startSeconds` for its port line.
    explicit LoggerSimProcess(const std::vector<std::string>& flags, double startSeconds = 10.0);
    // Stops the simulator (SIGTERM, then SIGKILL after two seconds).
    ~LoggerSimProcess();
    LoggerSimProcess(const LoggerSimProcess&) = delete;
    LoggerSimProcess& operator=(const LoggerSimProcess&) = delete;

    // True when the simulator runs and printed its port.
    bool ok() const { return !port_.empty(); }
    // Why it did not start (its stderr included).
    const std::string& error() const { return error_; }
    const std::string& port() const { return port_; }
    // Every byte the simulator received so far.
    std::string Received() const;

private:
    void Stop();

    TempDir dir_;
    std::string logPath_;
    std::string stderrPath_;
    std::string port_;
    std::string error_;
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
};

}  // namespace ml::test
