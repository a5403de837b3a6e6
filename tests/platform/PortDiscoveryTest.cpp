// Port discovery and the FTDI latency timer against a sysfs tree built by
// the test, and the read-log flow's refresh of the port list.
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

TEST(PortDiscovery, ListsTtysWithADeviceInNaturalOrderWithTheirDrivers) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");
    sys.AddTty("ttyS10", "serial8250", "4");
    sys.AddTty("ttyS2", "serial8250", "4");
    sys.AddTty("ttyACM0", "cdc_acm");
    sys.AddVirtualTty("tty1");
    sys.AddVirtualTty("ptmx");
    const auto ports = EnumerateSerialPorts(sys.Options());
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].portName, "ttyACM0");
    EXPECT_EQ(ports[0].valueName, "cdc_acm");
    EXPECT_EQ(ports[1].portName, "ttyS2");
    EXPECT_EQ(ports[2].portName, "ttyS10");
    EXPECT_EQ(ports[3].portName, "ttyUSB0");
    EXPECT_EQ(ports[3].valueName, "ftdi_sio");
    EXPECT_EQ(ports[3].devicePath, "/dev/ttyUSB0");
}

TEST(PortDiscovery, Leaves8250PortsWithoutAUartOut) {
    FakeSysfs sys;
    sys.AddTty("ttyS0", "serial8250", "4");
    sys.AddTty("ttyS1", "serial8250", "0");
    const auto ports = EnumerateSerialPorts(sys.Options());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, "ttyS0");
}

TEST(PortDiscovery, ARefreshBuildsANewList) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");
    EXPECT_EQ(EnumerateSerialPorts(sys.Options()).size(), 1u);
    sys.AddTty("ttyUSB1", "ftdi_sio");
    const auto ports = EnumerateSerialPorts(sys.Options());
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[1].portName, "ttyUSB1");
}

TEST(PortDiscovery, NoSysfsGivesOnlyTheExtraPorts) {
    PortDiscoveryOptions options;
    options.sysRoot = "/nonexistent-sysfs";
    options.useEnvironment = false;
    EXPECT_TRUE(EnumerateSerialPorts(options).empty());
    options.extraPorts = {"/dev/pts/7"};
    const auto ports = EnumerateSerialPorts(options);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, "/dev/pts/7");
}

TEST(PortDiscovery, LongNamesAreCutForDisplayButOpenedWhole) {
    FakeSysfs sys;
    auto options = sys.Options();
    const std::string path = "/tmp/mileledger-simulated-logger";
    options.extraPorts = {path};
    const auto ports = EnumerateSerialPorts(options);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portName, path.substr(0, 15));
    EXPECT_EQ(ports[0].devicePath, path);
}

TEST(PortDiscovery, ExtraPortsComeFromTheEnvironmentFirstWithoutDuplicates) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");
    auto options = sys.Options();
    options.useEnvironment = true;
    options.extraPorts = {"/dev/pts/9", "/dev/pts/3"};
    setenv("MILELEDGER_PORTS", ":/dev/pts/3::/dev/ttyUSB0:", 1);
    const auto ports = EnumerateSerialPorts(options);
    unsetenv("MILELEDGER_PORTS");
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].portName, "ttyUSB0");
    EXPECT_EQ(ports[1].devicePath, "/dev/pts/3");
    EXPECT_EQ(ports[2].devicePath, "/dev/pts/9");
}

TEST(PortDiscovery, StopsAtNinetyNinePorts) {
    FakeSysfs sys;
    auto options = sys.Options();
    for (int i = 0; i < 120; ++i) options.extraPorts.push_back("/dev/pts/" + std::to_string(i));
    const auto ports = EnumerateSerialPorts(options);
    ASSERT_EQ(ports.size(), kMaxPortEntries);
    EXPECT_EQ(ports.back().devicePath, "/dev/pts/98");
}

TEST(PortDiscovery, SplitsColonSeparatedLists) {
    EXPECT_EQ(SplitPortList("a:b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitPortList("").empty());
    EXPECT_TRUE(SplitPortList(":::").empty());
}

TEST(FtdiLatency, SetsOneMillisecondOnFtdiAdapters) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");
    const fs::path file = sys.AddLatencyFile("ttyUSB0");
    std::string error;
    EXPECT_EQ(SetFtdiLatencyTimer("ttyUSB0", sys.root().string(), error), FtdiLatencyResult::Set);
    EXPECT_EQ(test::ReadText(file.string()), "1\n");
}

TEST(FtdiLatency, LeavesOtherDriversAlone) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "cp210x");
    const fs::path file = sys.AddLatencyFile("ttyUSB0");
    std::string error;
    EXPECT_EQ(SetFtdiLatencyTimer("ttyUSB0", sys.root().string(), error), FtdiLatencyResult::NotFtdi);
    EXPECT_EQ(SetFtdiLatencyTimer("pts", sys.root().string(), error), FtdiLatencyResult::NotFtdi);
    EXPECT_EQ(test::ReadText(file.string()), "16\n");
}

TEST(FtdiLatency, AnUnwritableTimerIsReportedNotFatal) {
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", "ftdi_sio");  // no latency file: the driver offers none here
    std::string error;
    EXPECT_EQ(SetFtdiLatencyTimer("ttyUSB0", sys.root().string(), error), FtdiLatencyResult::Failed);
    EXPECT_NE(error.find("latency_timer"), std::string::npos);
}

}  // namespace
}  // namespace ml

namespace ml {
namespace {

TEST(RefreshPortList, ListsThePortsAndForgetsTheSelection) {
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
    ASSERT_EQ(session.portList.size(), 1u);
    EXPECT_EQ(session.portList[0].devicePath, pty.slavePath());
    EXPECT_EQ(session.selectedPort, -1);
    EXPECT_FALSE(session.port.IsOpen());  // a refresh closes the port
    EXPECT_TRUE(ui.messages().empty());
}

TEST(RefreshPortList, NoPortIsReported) {
    Session session;
    session.discovery.sysRoot = "/nonexistent-sysfs";
    session.discovery.useEnvironment = false;
    session.portList = {PortEntry{"old", "ttyOld", "/dev/ttyOld"}};
    test::AcquireRecordingUi ui;
    ReadLogFlow flow(session, ui);
    EXPECT_EQ(flow.RefreshPortList(), -1);
    EXPECT_TRUE(session.portList.empty());
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "사용할수 있는 시리얼 포트가 없습니다.");
    EXPECT_EQ(ui.messages()[0].caption, "오류");
}

}  // namespace
}  // namespace ml
