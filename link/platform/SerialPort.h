#pragma once
// The serial port the logger hangs on: 38400 baud, 8 data bits, no parity,
// one stop bit, no flow control, DTR and RTS raised. All I/O is synchronous
// and every call returns within a bounded time.
//
// The operating-system calls live behind SerialPortBackend.h (POSIX termios
// in SerialPortPosix.cpp), so a Windows backend can follow without touching
// the callers. Not thread-safe: one thread uses the port at a time.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ml {

class SerialPort {
public:
    // The designed read: return at once with what is queued, else wait at
    // most this long for the first byte, else return 0 bytes.
    static constexpr std::chrono::milliseconds kReadTimeout{200};
    // A write gives up when the line accepts nothing for this long.
    static constexpr std::chrono::milliseconds kWriteStallTimeout{200};

    enum class WaitResult { Ready, TimedOut, Failed };

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens `name` (a tty name such as "ttyUSB0", which gets "/dev/" in
    // front, or a path) and applies the line settings. Refuses with false,
    // leaving the open port untouched, while a port is open. On any other
    // failure the port is closed again and lastError() says why. Modem
    // control lines that cannot be raised (pseudo-terminals) are logged to
    // the diagnostic log and do not fail the open. For an FTDI adapter the
    // driver's latency timer is set to 1 ms first; a failure there is only
    // logged.
    bool Open(const std::string& name);

    // Closes the port if it is open. Safe to call at any time.
    void Close();

    bool IsOpen() const { return handle_ != kClosed; }
    // The name given to the last successful Open (kept after Close).
    const std::string& name() const { return name_; }
    // Text of the last failure, for diagnostics and messages.
    const std::string& lastError() const { return lastError_; }
    // Why the last Open failed, without the path ("No such file or
    // directory", "not a serial device", "Permission denied").
    const std::string& openFailure() const { return openFailure_; }

    // Reads up to `max` bytes. Returns the queued bytes at once; when none
    // are queued waits up to kReadTimeout for the first one; returns 0 after
    // that silence, -1 when the port failed (hang-up, unplugged, closed).
    long Read(uint8_t* buffer, std::size_t max);

    // Writes the bytes. Returns the count written, which is short (maybe 0)
    // when the line stalled for kWriteStallTimeout; -1 when the port failed.
    long Write(const uint8_t* data, std::size_t size);
    long Write(std::string_view text);

    // Waits until at least one byte is queued, for at most `limit` measured
    // on the monotonic clock. Failed when the port is closed or broken.
    WaitResult WaitForInput(std::chrono::milliseconds limit);

    // Bytes queued for reading, or -1 when the status cannot be read.
    long QueuedInput();

    // Discards both queues. False when the port's status cannot be read
    // (the port is then left as it is).
    bool Purge();

    // Bytes read and written since the last Open (for diagnostics and the
    // throughput measurement).
    uint64_t bytesRead() const { return bytesRead_; }
    uint64_t bytesWritten() const { return bytesWritten_; }

private:
    static constexpr intptr_t kClosed = -1;
    intptr_t handle_ = kClosed;
    std::string name_;
    std::string lastError_;
    std::string openFailure_;
    uint64_t bytesRead_ = 0;
    uint64_t bytesWritten_ = 0;
};

}  // namespace ml
