#pragma once
// Runs a protocol state machine (MtkDownload, PhlxExchange) over the port:
// writes what it asks for, feeds it what arrives, tells it about silence
// and failures, and stops it when the user cancels. The machines decide
// what silence means; this loop only measures it on the monotonic clock.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include "core/DiagLog.h"
#include "link/platform/SerialPort.h"

namespace ml {

// `onData` is called after every chunk fed (for throttled progress).
// Returns the count of the last write (-1 failed, 0 nothing written), or 1
// when nothing was written at all; the caller judges a final command, such
// as the end-of-download notice the machine queues as it finishes.
template <class Machine, class OnData>
long DriveExchange(SerialPort& port, Machine& machine, const std::atomic<bool>& cancel, OnData onData) {
    using Clock = std::chrono::steady_clock;
    std::vector<uint8_t> buffer(4096);
    auto lastActivity = Clock::now();
    bool cancelled = false;
    long lastWritten = 1;
    for (;;) {
        auto out = machine.TakeOutgoing();
        if (!out.empty()) {
            if (out.purgeFirst) port.Purge();
            const long written = port.Write(out.bytes);
            lastWritten = written;
            // Zero bytes written is the designed sign of a wrong port. A write
            // that fails outright is left to the reads that follow.
            if (written == 0) machine.OnWriteFailed();
            if (written < 0) DiagPrintf("serial: write failed: %s\n", port.lastError().c_str());
            lastActivity = Clock::now();
        }
        if (machine.Finished()) return lastWritten;
        if (!cancelled && cancel.load()) {
            cancelled = true;
            machine.Cancel();
            continue;
        }
        const long count = port.Read(buffer.data(), buffer.size());
        if (count > 0) {
            machine.Feed(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(count)));
            lastActivity = Clock::now();
            onData();
            // Let a few more bytes gather: a paced line delivers them one by
            // one, and a read per byte only burns processor time.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else if (count < 0) {
            DiagPrintf("serial: read failed: %s\n", port.lastError().c_str());
            machine.OnReadFailed();
        } else if (Clock::now() - lastActivity >= std::chrono::milliseconds(machine.SilenceLimitMs())) {
            machine.OnSilence();
            lastActivity = Clock::now();
        }
    }
}

// Discards what is arriving until the line has been quiet for `quietMs`, for
// at most `limitMs`. True when it fell quiet. Only reads: a purge would also
// drop a last command (the "827" of a cancel) not yet on the wire.
inline bool DrainLine(SerialPort& port, int quietMs, int limitMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    std::vector<uint8_t> buffer(4096);
    while (Clock::now() < deadline) {
        switch (port.WaitForInput(std::chrono::milliseconds(quietMs))) {
            case SerialPort::WaitResult::TimedOut: return true;
            case SerialPort::WaitResult::Failed: return false;
            case SerialPort::WaitResult::Ready:
                if (port.Read(buffer.data(), buffer.size()) < 0) return false;
                break;
        }
    }
    return false;
}

}  // namespace ml
