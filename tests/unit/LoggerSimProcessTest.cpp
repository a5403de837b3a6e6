// The simulator as a process: the port line, the pseudo-terminal, the log of
// received bytes and the line-level faults, seen from the program's side of
// the port.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

using Clock = std::chrono::steady_clock;

// The program's end of the line, raw like the real port.
class Port {
public:
    explicit Port(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios settings{};
        if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~Port() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void Write(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    // Everything that arrives until `quietMs` pass without a byte (or the
    // line hangs up, which sets hungUp).
    std::string ReadUntilQuiet(int quietMs) {
        std::string bytes;
        while (true) {
            pollfd fd{fd_, POLLIN, 0};
            if (poll(&fd, 1, quietMs) <= 0) return bytes;
            char buffer[4096];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                hungUp = true;
                return bytes;
            }
            bytes.append(buffer, static_cast<size_t>(n));
        }
    }
    bool hungUp = false;

private:
    int fd_;
};

TEST(LoggerSimProcess, AnswersOnThePortAndLogsTheExactBytesReceived) {
    LoggerSimProcess sim({"--demo", "phlx"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    EXPECT_EQ(sim.port().rfind("/dev/pts/", 0), 0u);
    Port port(sim.port());
    ASSERT_TRUE(port.ok());
    port.Write("junk$PHLX810*35\r\n");
    const std::string answer = port.ReadUntilQuiet(300);
    EXPECT_EQ(answer.rfind("$PHLX852,TRL4200Mini", 0), 0u) << answer;
    port.Write("$PHLX701*3A\r\n");
    EXPECT_EQ(port.ReadUntilQuiet(300), "$PHLX601,4*23\r\n");
    EXPECT_EQ(sim.Received(), "junk$PHLX810*35\r\n$PHLX701*3A\r\n");
}

TEST(LoggerSimProcess, PortSurvivesTheProgramClosingAndReopeningIt) {
    LoggerSimProcess sim({"--demo", "mtk"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    for (int i = 0; i < 2; ++i) {
        Port port(sim.port());
        port.Write("$PHLX810*35\r\n");
        EXPECT_EQ(port.ReadUntilQuiet(300).rfind("$PHLX852,", 0), 0u);
    }
}

TEST(LoggerSimProcess, LinkNamesThePortUntilTheSimulatorEnds) {
    TempDir dir;
    const std::string link = dir.File("logger");
    {
        LoggerSimProcess sim({"--demo", "mtk", "--link", link});
        ASSERT_TRUE(sim.ok()) << sim.error();
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.port());
        Port port(link);
        port.Write("$PMTK182,2,8*33\r\n");
        EXPECT_NE(port.ReadUntilQuiet(300).find("$PMTK001,182,2,3*25\r\n"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(LoggerSimProcess, HangsUpAfterTheChosenNumberOfBytes) {
    LoggerSimProcess sim({"--demo", "mtk", "--hangup-after", "40"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Port port(sim.port());
    port.Write("$PMTK182,2,8*33\r\n");
    const std::string answer = port.ReadUntilQuiet(2000);
    EXPECT_EQ(answer.size(), 40u);
    EXPECT_TRUE(port.hungUp);
    EXPECT_EQ(sim.WaitForExit(5.0), 0);
}

TEST(LoggerSimProcess, FallsSilentAfterTheChosenNumberOfBytesButKeepsLogging) {
    LoggerSimProcess sim({"--demo", "phlx", "--silence-after", "10"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Port port(sim.port());
    port.Write("$PHLX810*35\r\n");
    EXPECT_EQ(port.ReadUntilQuiet(300), "$PHLX852,T");
    port.Write("$PHLX701*3A\r\n");
    EXPECT_EQ(port.ReadUntilQuiet(300), "");
    EXPECT_FALSE(port.hungUp);
    EXPECT_EQ(sim.Received(), "$PHLX810*35\r\n$PHLX701*3A\r\n");
}

TEST(LoggerSimProcess, PacingKeepsToTheLineRate) {
    LoggerSimProcess sim({"--demo", "mtk", "--pace"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Port port(sim.port());
    const auto start = Clock::now();
    port.Write("$PMTK182,7,0,400*26\r\n");  // 1024 bytes: about 2100 on the line
    const std::string answer = port.ReadUntilQuiet(500);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count() - 0.5;
    ASSERT_GT(answer.size(), 2048u);
    // 3840 bytes a second at most; the lower bound cannot be beaten by a fast machine.
    EXPECT_GE(seconds, static_cast<double>(answer.size()) / 3840.0 * 0.95);
}

TEST(LoggerSimProcess, ExitsAfterTheIdleTime) {
    LoggerSimProcess sim({"--demo", "mtk", "--exit-after-idle", "0.2"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    EXPECT_EQ(sim.WaitForExit(10.0), 0);
}

TEST(LoggerSimProcess, BadCommandLinesAndInputsFailWithOneLine) {
    const ProcessResult unknown = RunProcess({LoggerSimPath(), "--demo", "mtk", "--bogus"}, {}, {}, 10);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err, "loggersim: unknown option '--bogus' (see --help)\n");
    EXPECT_EQ(unknown.out, "");

    TempDir dir;
    const ProcessResult missing = RunProcess({LoggerSimPath(), "--mtk-image", dir.File("none.bin")}, {}, {}, 10);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos) << missing.err;

    WriteText(dir.File("logs.txt"), "entry 1\n2026-11-30T08:00:00Z,37.5,127.0,30,40\n");
    const ProcessResult bad = RunProcess({LoggerSimPath(), "--phlx-records", dir.File("logs.txt")}, {}, {}, 10);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("logs.txt: line 2: a record needs 6 fields"), std::string::npos) << bad.err;

    const ProcessResult help = RunProcess({LoggerSimPath(), "--help"}, {}, {}, 10);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--bad-package-check"), std::string::npos);
}

}  // namespace
}  // namespace ml::test
