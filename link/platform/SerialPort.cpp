#include "link/platform/SerialPort.h"

#include <algorithm>

#include "core/DiagLog.h"
#include "link/platform/SerialPortBackend.h"

namespace ml {

namespace {
using Clock = std::chrono::steady_clock;

long RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return std::max<long>(0, static_cast<long>(left));
}
}  // namespace

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const std::string& name) {
    if (IsOpen()) {
        lastError_ = "port " + name_ + " is already open";
        return false;
    }
    if (name.empty()) {
        lastError_ = "no port name";
        return false;
    }
    serial::TuneLatency(name);
    const std::string path = serial::DevicePath(name);
    std::string error;
    const intptr_t handle = serial::OpenDevice(path, error);
    if (handle == kClosed || !serial::ConfigureLine(handle, error)) {
        // A half-configured port is of no use and would make every later
        // Open refuse, so it is closed at once.
        serial::CloseDevice(handle);
        openFailure_ = error;
        lastError_ = path + ": " + error;
        return false;
    }
    handle_ = handle;
    name_ = name;
    bytesRead_ = 0;
    bytesWritten_ = 0;
    lastError_.clear();
    DiagPrintf("serial: opened %s\n", path.c_str());
    return true;
}

void SerialPort::Close() {
    if (!IsOpen()) return;
    serial::CloseDevice(handle_);
    handle_ = kClosed;
    DiagPrintf("serial: closed %s\n", name_.c_str());
}

long SerialPort::Read(uint8_t* buffer, std::size_t max) {
    if (!IsOpen()) {
        lastError_ = "port is not open";
        return -1;
    }
    if (buffer == nullptr || max == 0) return 0;
    const int ready = serial::WaitReadable(handle_, kReadTimeout.count(), lastError_);
    if (ready <= 0) return ready;
    const long count = serial::ReadQueued(handle_, buffer, max, lastError_);
    if (count > 0) bytesRead_ += static_cast<uint64_t>(count);
    return count;
}

long SerialPort::Write(const uint8_t* data, std::size_t size) {
    if (!IsOpen()) {
        lastError_ = "port is not open";
        return -1;
    }
    if (data == nullptr || size == 0) return 0;
    const long count = serial::WriteBytes(handle_, data, size, kWriteStallTimeout.count(), lastError_);
    if (count > 0) bytesWritten_ += static_cast<uint64_t>(count);
    return count;
}

long SerialPort::Write(std::string_view text) {
    return Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

SerialPort::WaitResult SerialPort::WaitForInput(std::chrono::milliseconds limit) {
    if (!IsOpen()) {
        lastError_ = "port is not open";
        return WaitResult::Failed;
    }
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const long queued = serial::QueuedInput(handle_, lastError_);
        if (queued < 0) return WaitResult::Failed;
        if (queued > 0) return WaitResult::Ready;
        const long left = RemainingMs(deadline);
        if (left == 0) return WaitResult::TimedOut;
        const int ready = serial::WaitReadable(handle_, left, lastError_);
        if (ready < 0) return WaitResult::Failed;
        // Readable with nothing queued happens on a hang-up; the next
        // QueuedInput/WaitReadable pass tells the two apart.
        if (ready == 0) return WaitResult::TimedOut;
    }
}

long SerialPort::QueuedInput() {
    if (!IsOpen()) {
        lastError_ = "port is not open";
        return -1;
    }
    return serial::QueuedInput(handle_, lastError_);
}

bool SerialPort::Purge() {
    if (!IsOpen()) {
        lastError_ = "port is not open";
        return false;
    }
    return serial::PurgeQueues(handle_, lastError_);
}

}  // namespace ml
