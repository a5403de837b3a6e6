#pragma once
// One serial port that the connect dialog can offer.
#include <cstddef>
#include <string>
#include <string_view>

namespace ml {

// At most this many ports are listed; further ones are ignored.
constexpr std::size_t kMaxPortEntries = 99;
// The name shown to the user is cut to this many characters.
constexpr std::size_t kMaxPortNameLength = 15;
// The driver (value) name is cut to this many characters.
constexpr std::size_t kMaxPortValueNameLength = 99;

struct PortEntry {
    std::string valueName;      // the driver's name (ftdi_sio, cdc_acm, serial8250, "extra")
    std::string portName;       // what the user sees and picks: ttyUSB0, or a cut path
    std::string devicePath;     // what Open is given: the full path, never cut
    std::string description{};  // what the system knows of it: USB maker and product; may be empty
};

// Builds an entry with both names cut to their limits. The device path keeps
// the whole name: a display name cut to 15 characters must never be what
// gets opened.
inline PortEntry MakePortEntry(std::string_view valueName, std::string_view portName, std::string_view devicePath) {
    PortEntry entry;
    entry.valueName = std::string(valueName.substr(0, kMaxPortValueNameLength));
    entry.portName = std::string(portName.substr(0, kMaxPortNameLength));
    entry.devicePath = std::string(devicePath);
    return entry;
}

}  // namespace ml
