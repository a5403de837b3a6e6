#pragma once
// A pseudo-terminal for serial port tests: the test plays the device on the
// master side, the code under test opens slavePath() as its port.
#include <cstdint>
#include <string>

namespace ml::test {

class AcquirePty {
public:
    AcquirePty();  // throws std::runtime_error when no pty can be had
    ~AcquirePty();
    AcquirePty(const AcquirePty&) = delete;
    AcquirePty& operator=(const AcquirePty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Writes all bytes to the master (what the device sends).
    void Send(const std::string& bytes);
    // What arrived at the master within `timeoutMs` after the first byte
    // (the device's view of what the program sent).
    std::string Receive(int timeoutMs);
    // Hangs up: closes the master.
    void HangUp();

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace ml::test
