// The serial port over a pseudo-terminal: the test plays the device.
#include "link/platform/SerialPort.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/AcquirePty.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using Clock = std::chrono::steady_clock;
using test::AcquirePty;
using Wait = SerialPort::WaitResult;

long ElapsedMs(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::string ReadAll(SerialPort& port, size_t expected) {
    std::string got;
    uint8_t buffer[4096];
    while (got.size() < expected) {
        const long n = port.Read(buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    }
    return got;
}

// Opening what is no terminal fails, and the port stays closed.
TEST(SerialPortOpen, ConfiguresTheLineRefusesASecondOpenReopensAfterCloseAndFailsForNoTerminal) {
    AcquirePty pty, other;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath())) << port.lastError();  // though modem lines cannot be raised
    EXPECT_EQ(port.name(), pty.slavePath());
    termios tio{};  // master and slave of a Linux pty share one termios
    ASSERT_EQ(tcgetattr(pty.masterFd(), &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    EXPECT_FALSE(port.Open(other.slavePath()));
    EXPECT_EQ(port.name(), pty.slavePath());
    pty.Send("still here");
    EXPECT_EQ(ReadAll(port, 10), "still here");
    port.Close();
    port.Close();  // closing twice is harmless
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Open(pty.slavePath()));

    test::TempDir dir;
    test::WriteText(dir.File("plain"), "x");
    // A bare tty name is looked up under /dev.
    const std::pair<std::string, std::string> names[] = {
        {"/dev/mileledger-no-such-port", "/dev/mileledger-no-such-port"},
        {"ttyMileLedgerMissing", "/dev/ttyMileLedgerMissing"},
        {dir.File("plain"), dir.File("plain")}};
    for (const auto& [name, path] : names) {
        SerialPort none;
        EXPECT_FALSE(none.Open(name)) << name;
        EXPECT_FALSE(none.IsOpen());
        EXPECT_THAT(none.lastError(), testing::HasSubstr(path));
    }
}

TEST(SerialPortIo, BytesPassUnchangedBothWaysAndPurgeDropsWhatIsQueued) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    const std::string answer = "$PHLX852,TRL4200Mini*00\r\n";
    pty.Send(answer);
    ASSERT_EQ(port.WaitForInput(std::chrono::milliseconds(2000)), Wait::Ready);
    EXPECT_GT(port.QueuedInput(), 0);
    EXPECT_EQ(ReadAll(port, answer.size()), answer);
    const std::string sentence = "$PHLX810*35\r\n";
    EXPECT_EQ(port.Write(sentence), static_cast<long>(sentence.size()));
    EXPECT_EQ(pty.Receive(2000), sentence);

    pty.Send("stale answer");
    ASSERT_EQ(port.WaitForInput(std::chrono::milliseconds(2000)), Wait::Ready);
    EXPECT_TRUE(port.Purge());
    EXPECT_EQ(port.QueuedInput(), 0);
    pty.Send("fresh");
    EXPECT_EQ(ReadAll(port, 5), "fresh");
}

TEST(SerialPortIo, ASilentOrStalledLineEndsEachCallAtItsTimeOut) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    uint8_t buffer[16];
    auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    EXPECT_GE(ElapsedMs(start), 150);
    EXPECT_LT(ElapsedMs(start), 2000);

    start = Clock::now();
    EXPECT_EQ(port.WaitForInput(std::chrono::milliseconds(300)), Wait::TimedOut);
    EXPECT_GE(ElapsedMs(start), 250);
    EXPECT_LT(ElapsedMs(start), 3000);

    const std::vector<uint8_t> big(4 * 1024 * 1024, 'x');  // the device never reads
    start = Clock::now();
    const long written = port.Write(big.data(), big.size());
    EXPECT_GE(written, 0);
    EXPECT_LT(written, static_cast<long>(big.size())) << "a short write instead of hanging";
    EXPECT_LT(ElapsedMs(start), 5000);
}

TEST(SerialPortIo, AHangUpOrAClosedPortIsAFailureNotSilence) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    pty.HangUp();
    EXPECT_EQ(port.WaitForInput(std::chrono::milliseconds(2000)), Wait::Failed);
    uint8_t buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), -1);
    EXPECT_FALSE(port.lastError().empty());

    SerialPort closed;
    EXPECT_EQ(closed.Read(buffer, sizeof buffer), -1);
}

}  // namespace
}  // namespace ml
