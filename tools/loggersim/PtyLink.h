#pragma once
// The simulator's end of the serial line: the master side of a
// pseudo-terminal whose slave the program opens as its port.
//
// The simulator keeps a descriptor of the slave open itself, so the program
// may close and reopen the port as often as it likes without the master
// seeing a hang-up, and data sent while the port is closed waits in the
// line as it would in a real adapter (the program's purge discards it). The
// slave is put in raw mode at 38400 baud so nothing is echoed or translated
// before the program sets its own line settings.
//
// With pacing on, bytes leave no faster than a 38400-baud line carries them
// (start bit, 8 data bits, stop bit: 10 bits per byte), so the program sees
// data arrive in the small pieces it would from a real logger.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace ml::sim {

class PtyLink {
public:
    static constexpr double kBitsPerByte = 10.0;
    static constexpr double kBaud = 38400.0;

    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Creates the pseudo-terminal. False with a message on failure.
    bool Open(std::string& error);
    bool IsOpen() const { return master_ >= 0; }
    // The port's path, e.g. /dev/pts/7.
    const std::string& slavePath() const { return slavePath_; }

    void SetPacing(bool on) { pacing_ = on; }

    // Queues bytes to send; Pump sends them.
    void Queue(std::string_view bytes);
    size_t Pending() const { return pending_.size() - pendingStart_; }
    uint64_t BytesSent() const { return bytesSent_; }

    // Sends queued bytes as the line (and the pacing) allows and waits for
    // input, for at most `timeout`. Returns as soon as input has arrived,
    // appending it to `received`. False when the line failed (lastError()).
    bool Pump(std::chrono::milliseconds timeout, std::string& received);
    const std::string& lastError() const { return error_; }

    // Waits, at most `limit`, until the program has read everything sent,
    // so a hang-up comes after the last byte rather than discarding it.
    void Drain(std::chrono::milliseconds limit);

    // Closes both ends: the program's port reports a hang-up.
    void HangUp();

private:
    using Clock = std::chrono::steady_clock;
    bool WriteDue();
    bool ReadAll(std::string& received);
    bool Fail(std::string message);

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string error_;
    bool pacing_ = false;
    std::string pending_;
    size_t pendingStart_ = 0;
    uint64_t bytesSent_ = 0;
    Clock::time_point lineFreeAt_{};  // when the next byte may start, with pacing
};

}  // namespace ml::sim
