// Port discovery and the FTDI latency timer against a sysfs tree built in a
// temporary folder, and the read-log flow's refresh of the port list.
#include "link/platform/PortDiscovery.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "acquire/ReadLogFlow.h"
#include "tests/support/AcquirePty.h"
#include "tests/support/AcquireRecordingUi.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

namespace fs = std::filesystem;

class FakeSysfs {
public:
    // A tty with a device bound to `driver`; `uartType` "" means no type file.
    void AddTty(const std::string& tty, const std::string& driver, const std::string& uartType = "") {
        const fs::path device = root() / "devices" / ("dev-" + tty);
        const fs::path driverDir = root() / "bus" / "drivers" / driver;
        fs::create_directories(device);
        fs::create_directories(driverDir);
        fs::create_symlink(driverDir, device / "driver");
        const fs::path ttyDir = root() / "class" / "tty" / tty;
        fs::create_directories(ttyDir);
        fs::create_directory_symlink(device, ttyDir / "device");
        if (!uartType.empty()) test::WriteText((ttyDir / "type").string(), uartType + "\n");
    }
    // A tty without a device (virtual console, pty master).
    void AddVirtualTty(const std::string& tty) { fs::create_directories(root() / "class" / "tty" / tty); }
    // The latency file of an FTDI adapter.
    fs::path AddLatencyFile(const std::string& tty) {
        const fs::path dir = root() / "bus" / "usb-serial" / "devices" / tty;
        fs::create_directories(dir);
        test::WriteText((dir / "latency_timer").string(), "16\n");
        return dir / "latency_timer";
    }
    fs::path root() const { return dir_.path(); }
    PortDiscoveryOptions Options() const {
        PortDiscoveryOptions options;
        options.sysRoot = root().string();
        options.useEnvironment = false;
        return options;
    }

private:
    test::TempDir dir_;
};

std::vector<std::string> Paths(const std::vector<PortEntry>& ports) {
    std::vector<std::string> out;
    for (const auto& p : ports) out.push_back(p.devicePath);
    return out;
}

// Ttys with a device in natural order, 8250 ports without a UART left out;
// then the extra ports, the environment's first, names cut for display, at
// most 99 entries. Each call builds a new list.
TEST(PortDiscovery, ListsTtysWithADeviceInNaturalOrderThenTheExtraPorts) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");
    sys.AddTty("ttyS10", "serial8250", "4");
    sys.AddTty("ttyS2", "serial8250", "4");
    sys.AddTty("ttyS1", "serial8250", "0");
    sys.AddTty("ttyACM0", "cdc_acm");
    sys.AddVirtualTty("tty1");
    sys.AddVirtualTty("ptmx");
    auto ports = EnumerateSerialPorts(sys.Options());
    EXPECT_EQ(Paths(ports), (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0"}));
    EXPECT_EQ(ports[0].portName, "ttyACM0");
    EXPECT_EQ(ports[0].valueName, "cdc_acm");
    EXPECT_EQ(ports[3].valueName, "ftdi_sio");

    sys.AddTty("ttyUSB1", "ftdi_sio");
    auto options = sys.Options();
    options.useEnvironment = true;
    const std::string longPath = "/tmp/mileledger-simulated-logger";
    options.extraPorts = {longPath, "/dev/pts/3"};
    setenv("MILELEDGER_PORTS", ":/dev/pts/3::/dev/ttyUSB0:", 1);
    ports = EnumerateSerialPorts(options);
    unsetenv("MILELEDGER_PORTS");
    EXPECT_EQ(Paths(ports), (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB0",
                                                      "/dev/ttyUSB1", "/dev/pts/3", longPath}));
    EXPECT_EQ(ports[6].portName, longPath.substr(0, 15));

    options = sys.Options();
    for (int i = 0; i < 120; ++i) options.extraPorts.push_back("/dev/pts/" + std::to_string(i));
    const auto many = EnumerateSerialPorts(options);
    ASSERT_EQ(many.size(), kMaxPortEntries);
    EXPECT_EQ(many.back().devicePath, "/dev/pts/93");
}

TEST(FtdiLatency, OneMillisecondOnFtdiAdaptersOnlyAndAnUnwritableTimerIsReported) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");
    sys.AddTty("ttyUSB1", "cp210x");
    sys.AddTty("ttyUSB2", "ftdi_sio");  // no latency file: the driver offers none here
    const fs::path ftdi = sys.AddLatencyFile("ttyUSB0");
    const fs::path other = sys.AddLatencyFile("ttyUSB1");
    std::string error;
    EXPECT_EQ(SetFtdiLatencyTimer("ttyUSB0", sys.root().string(), error), FtdiLatencyResult::Set);
    EXPECT_EQ(test::ReadText(ftdi.string()), "1\n");
    EXPECT_EQ(SetFtdiLatencyTimer("ttyUSB1", sys.root().string(), error), FtdiLatencyResult::NotFtdi);
    EXPECT_EQ(SetFtdiLatencyTimer("pts", sys.root().string(), error), FtdiLatencyResult::NotFtdi);
    EXPECT_EQ(test::ReadText(other.string()), "16\n");
    EXPECT_EQ(SetFtdiLatencyTimer("ttyUSB2", sys.root().string(), error), FtdiLatencyResult::Failed);
    EXPECT_NE(error.find("latency_timer"), std::string::npos);
}

TEST(RefreshPortList, ListsThePortsAndForgetsTheSelectionOrReportsNone) {
    test::AcquirePty pty;
    Session session;
    session.discovery.sysRoot = "/nonexistent-sysfs";
    session.discovery.useEnvironment = false;
    session.discovery.extraPorts = {pty.slavePath()};
    session.selectedPort = 3;
    ASSERT_TRUE(session.port.Open(pty.slavePath()));
    test::AcquireRecordingUi ui;
    ReadLogFlow flow(session, ui);
    EXPECT_EQ(flow.RefreshPortList(), 0);
    EXPECT_EQ(Paths(session.portList), std::vector<std::string>{pty.slavePath()});
    EXPECT_EQ(session.selectedPort, -1);
    EXPECT_FALSE(session.port.IsOpen());  // a refresh closes the port
    EXPECT_TRUE(ui.messages().empty());

    session.discovery.extraPorts.clear();
    EXPECT_EQ(flow.RefreshPortList(), -1);
    EXPECT_TRUE(session.portList.empty());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "사용할수 있는 시리얼 포트가 없습니다.");
    EXPECT_EQ(ui.messages()[0].caption, "오류");
}

}  // namespace
}  // namespace ml
