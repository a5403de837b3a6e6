// The serial port over a pseudo-terminal: the test plays the device.
#include "link/platform/SerialPort.h"

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

TEST(SerialPortOpen, OpensAPseudoTerminalThoughModemLinesCannotBeRaised) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath())) << port.lastError();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.name(), pty.slavePath());
}

TEST(SerialPortOpen, AppliesTheLineSettings) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    // Master and slave of a Linux pty share one termios.
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.masterFd(), &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(SerialPortOpen, RefusesWhileOpenAndKeepsTheOpenPort) {
    AcquirePty first;
    AcquirePty second;
    SerialPort port;
    ASSERT_TRUE(port.Open(first.slavePath()));
    EXPECT_FALSE(port.Open(second.slavePath()));
    EXPECT_EQ(port.name(), first.slavePath());
    first.Send("still here");
    EXPECT_EQ(ReadAll(port, 10), "still here");
}

TEST(SerialPortOpen, FailsForAMissingDeviceAndStaysClosed) {
    SerialPort port;
    EXPECT_FALSE(port.Open("/dev/mileledger-no-such-port"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NE(port.lastError().find("/dev/mileledger-no-such-port"), std::string::npos);
    // A bare tty name is looked up under /dev.
    EXPECT_FALSE(port.Open("ttyMileLedgerMissing"));
    EXPECT_NE(port.lastError().find("/dev/ttyMileLedgerMissing"), std::string::npos);
}

TEST(SerialPortOpen, RefusesAFileThatIsNotATerminal) {
    test::TempDir dir;
    test::WriteText(dir.File("plain"), "x");
    SerialPort port;
    EXPECT_FALSE(port.Open(dir.File("plain")));
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortOpen, CanBeReopenedAfterClose) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    port.Close();
    port.Close();  // closing twice is harmless
    EXPECT_FALSE(port.IsOpen());
    ASSERT_TRUE(port.Open(pty.slavePath()));
}

TEST(SerialPortIo, ReadReturnsQueuedBytesAtOnce) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    const std::string answer = "$PHLX852,TRL4200Mini*00\r\n";
    pty.Send(answer);
    ASSERT_EQ(port.WaitForInput(std::chrono::milliseconds(2000)), SerialPort::WaitResult::Ready);
    EXPECT_GT(port.QueuedInput(), 0);
    EXPECT_EQ(ReadAll(port, answer.size()), answer);
}

TEST(SerialPortIo, ReadOfASilentLineReturnsNothingAfterTheReadTimeout) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    uint8_t buffer[16];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    EXPECT_GE(ElapsedMs(start), 150);
    EXPECT_LT(ElapsedMs(start), 2000);
}

TEST(SerialPortIo, WritesReachTheDeviceUnchanged) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    const std::string sentence = "$PHLX810*35\r\n";
    EXPECT_EQ(port.Write(sentence), static_cast<long>(sentence.size()));
    EXPECT_EQ(pty.Receive(2000), sentence);
}

TEST(SerialPortIo, AStalledLineGivesAShortWriteInsteadOfHanging) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    const std::vector<uint8_t> big(4 * 1024 * 1024, 'x');  // the device never reads
    const auto start = Clock::now();
    const long written = port.Write(big.data(), big.size());
    EXPECT_GE(written, 0);
    EXPECT_LT(written, static_cast<long>(big.size()));
    EXPECT_LT(ElapsedMs(start), 5000);
}

TEST(SerialPortIo, WaitForInputEndsAtItsLimitOnASilentLine) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    const auto start = Clock::now();
    EXPECT_EQ(port.WaitForInput(std::chrono::milliseconds(300)), SerialPort::WaitResult::TimedOut);
    EXPECT_GE(ElapsedMs(start), 250);
    EXPECT_LT(ElapsedMs(start), 3000);
}

TEST(SerialPortIo, AHangUpIsAFailureNotSilence) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    pty.HangUp();
    EXPECT_EQ(port.WaitForInput(std::chrono::milliseconds(2000)), SerialPort::WaitResult::Failed);
    uint8_t buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), -1);
    EXPECT_FALSE(port.lastError().empty());
}

TEST(SerialPortIo, PurgeDiscardsWhatIsQueued) {
    AcquirePty pty;
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.slavePath()));
    pty.Send("stale answer");
    ASSERT_EQ(port.WaitForInput(std::chrono::milliseconds(2000)), SerialPort::WaitResult::Ready);
    EXPECT_TRUE(port.Purge());
    EXPECT_EQ(port.QueuedInput(), 0);
    pty.Send("fresh");
    EXPECT_EQ(ReadAll(port, 5), "fresh");
}

TEST(SerialPortIo, EveryCallOnAClosedPortFailsCleanly) {
    SerialPort port;
    uint8_t buffer[4];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(port.Write("x"), -1);
    EXPECT_EQ(port.WaitForInput(std::chrono::milliseconds(10)), SerialPort::WaitResult::Failed);
    EXPECT_EQ(port.QueuedInput(), -1);
    EXPECT_FALSE(port.Purge());
}

}  // namespace
}  // namespace ml
