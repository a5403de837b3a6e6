#pragma once
// The operating-system side of SerialPort: one file per system implements
// these (SerialPortPosix.cpp for Linux and the BSDs). Handles are opaque
// integers; -1 is "no handle". Every function reports failure by its result
// and puts the reason into `error`.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ml::serial {

// The path that opening `name` uses ("ttyUSB0" -> "/dev/ttyUSB0").
std::string DevicePath(const std::string& name);

// Sets the adapter's latency timer when the driver has one; failures are
// logged, never fatal.
void TuneLatency(const std::string& name);

// Opens the device for exclusive read/write use; -1 on failure.
intptr_t OpenDevice(const std::string& path, std::string& error);

// Raw 38400 8N1, no flow control, DTR and RTS raised, both queues purged.
bool ConfigureLine(intptr_t handle, std::string& error);

void CloseDevice(intptr_t handle);

// 1 when input is readable, 0 after `timeoutMs` without, -1 on failure.
int WaitReadable(intptr_t handle, long timeoutMs, std::string& error);

// Reads what is queued, without waiting: count, 0 when nothing, -1 on failure.
long ReadQueued(intptr_t handle, uint8_t* buffer, std::size_t max, std::string& error);

// Writes, waiting up to `stallMs` whenever the line accepts nothing.
long WriteBytes(intptr_t handle, const uint8_t* data, std::size_t size, long stallMs, std::string& error);

long QueuedInput(intptr_t handle, std::string& error);

bool PurgeQueues(intptr_t handle, std::string& error);

}  // namespace ml::serial
