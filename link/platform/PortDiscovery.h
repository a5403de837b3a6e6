#pragma once
// Finding the serial ports that exist, and the FTDI latency timer.
//
// On Linux every tty with a real device has /sys/class/tty/<tty>/device; its
// driver link names the driver (ftdi_sio, cp210x, cdc_acm, serial8250). The
// legacy 8250 driver registers ttyS0..ttyS31 whether or not a UART answers;
// those with "type" 0 have no hardware and are left out. Ports that sysfs
// does not show (the simulator's pseudo-terminals, symlinks a user made) are
// added from MILELEDGER_PORTS (colon-separated paths) or from the caller.
#include <string>
#include <string_view>
#include <vector>

#include "link/PortEntry.h"

namespace ml {

struct PortDiscoveryOptions {
    std::string sysRoot = "/sys";         // tests point this at a fake tree
    std::vector<std::string> extraPorts;  // from the settings
    bool useEnvironment = true;           // read MILELEDGER_PORTS
};

// Lists the ports: sysfs ttys in natural name order (ttyS2 before ttyS10),
// then the extra ports in the order given (environment first), without
// duplicates, at most kMaxPortEntries. Never fails: an unreadable sysfs
// gives just the extra ports.
std::vector<PortEntry> EnumerateSerialPorts(const PortDiscoveryOptions& options = {});

// The entries of a colon-separated list, empty items dropped.
std::vector<std::string> SplitPortList(std::string_view list);

// The driver of a tty ("ftdi_sio"), empty when it has none or is unknown.
std::string TtyDriverName(const std::string& tty, const std::string& sysRoot);

// The maker and product of the USB device behind a tty ("FTDI FT232R USB
// UART"), from the USB device's sysfs folder above the tty's; empty for a
// tty that is not on USB.
std::string TtyUsbDescription(const std::string& tty, const std::string& sysRoot);

// Ports worth asking for a logger: USB adapters (ttyUSB, ttyACM) and the
// extra ones (the simulator's, links a user made); not the built-in UARTs,
// where something else may listen.
bool IsLoggerCandidate(const PortEntry& entry);

// Another program that has the port open, as "minicom (pid 1234)"; empty
// when none is seen. Looks at UUCP lock files and, for ports sysfs lists,
// at the open files of the processes the user may inspect. Never opens the
// port.
std::string PortInUseBy(const PortEntry& entry, const std::string& sysRoot = "/sys");

enum class FtdiLatencyResult { NotFtdi, Set, Failed };

// For a tty driven by ftdi_sio, writes 1 (ms) to its latency_timer so that
// short replies are not held back 16 ms by the chip. Ordinary users usually
// cannot write sysfs: Failed with the reason in `error`, never fatal.
FtdiLatencyResult SetFtdiLatencyTimer(const std::string& tty, const std::string& sysRoot, std::string& error);

}  // namespace ml
