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
    std::string ReadUntilQuiet(int quietMs, size_t max = SIZE_MAX) {
        std::string bytes;
        while (bytes.size() < max) {
            pollfd fd{fd_, POLLIN, 0};
            if (poll(&fd, 1, quietMs) <= 0) return bytes;
            char buffer[4096];
            const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, max - bytes.size()));
            if (n <= 0) {
                hungUp = true;
                return bytes;
            }
            bytes.append(buffer, static_cast<size_t>(n));
        }
        return bytes;
    }
    // Reads until `bytes` ends with `tail` (or holds `count` bytes), the line
    // hangs up, or `limitMs` pass; generous limits keep loaded machines green.
    std::string ReadUntil(const std::string& tail, size_t count = SIZE_MAX, int limitMs = 10000) {
        std::string bytes;
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        while (bytes.size() < count &&
               (tail.empty() || bytes.size() < tail.size() || bytes.compare(bytes.size() - tail.size(), tail.size(), tail) != 0)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            bytes += ReadUntilQuiet(static_cast<int>(std::min<long long>(left.count(), 50)), count - bytes.size());
            if (hungUp) break;
        }
        return bytes;
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
    const std::string answer = port.ReadUntil("\r\n");
    EXPECT_EQ(answer.rfind("$PHLX852,TRL4200Mini", 0), 0u) << answer;
    port.Write("$PHLX701*3A\r\n");
    EXPECT_EQ(port.ReadUntil("\r\n"), "$PHLX601,4*23\r\n");
    EXPECT_EQ(sim.Received(), "junk$PHLX810*35\r\n$PHLX701*3A\r\n");
}

TEST(LoggerSimProcess, PortSurvivesTheProgramClosingAndReopeningIt) {
    LoggerSimProcess sim({"--demo", "mtk"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    for (int i = 0; i < 2; ++i) {
        Port port(sim.port());
        port.Write("$PHLX810*35\r\n");
        EXPECT_EQ(port.ReadUntil("\r\n").rfind("$PHLX852,", 0), 0u);
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
        EXPECT_NE(port.ReadUntil("$PMTK001,182,2,3*25\r\n").find("$PMTK182,3,8,"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(LoggerSimProcess, HangsUpAfterTheChosenNumberOfBytes) {
    LoggerSimProcess sim({"--demo", "mtk", "--hangup-after", "40"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Port port(sim.port());
    port.Write("$PMTK182,2,8*33\r\n");
    const std::string answer = port.ReadUntil("", 1000);
    EXPECT_EQ(answer.size(), 40u);
    EXPECT_TRUE(port.hungUp);
    EXPECT_EQ(sim.WaitForExit(5.0), 0);
}

TEST(LoggerSimProcess, FallsSilentAfterTheChosenNumberOfBytesButKeepsLogging) {
    LoggerSimProcess sim({"--demo", "phlx", "--silence-after", "10"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Port port(sim.port());
    port.Write("$PHLX810*35\r\n");
    const std::string answer = port.ReadUntil("", 10);
    EXPECT_EQ(answer + port.ReadUntilQuiet(300), "$PHLX852,T");
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
    const std::string answer = port.ReadUntil("$PMTK001,182,7,3*20\r\n");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
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
