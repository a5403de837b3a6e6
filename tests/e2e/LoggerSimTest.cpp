// The logger simulator as a process, seen from the program's side of its
// pseudo-terminal: the port line, the log of received bytes and its command
// line. (Its line faults are seen through the download tests that use them.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

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
    void Write(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Reads until the bytes end with `tail`, the line hangs up or 10 s pass
    // without a byte.
    std::string Read(const std::string& tail) {
        std::string bytes;
        while (!bytes.ends_with(tail)) {
            pollfd fd{fd_, POLLIN, 0};
            char buffer[4096];
            if (poll(&fd, 1, 10000) <= 0) break;
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.append(buffer, size_t(n));
        }
        return bytes;
    }

private:
    int fd_;
};

TEST(LoggerSim, AnswersOnThePortAfterReopensAndLogsTheExactBytes) {
    LoggerSimProcess sim({"--demo", "phlx"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    EXPECT_EQ(sim.port().rfind("/dev/pts/", 0), 0u);
    for (int open = 0; open < 2; ++open) {
        Port port(sim.port());
        port.Write("junk$PHLX810*35\r\n");
        EXPECT_EQ(port.Read("\r\n").rfind("$PHLX852,TRL4200Mini", 0), 0u);
    }
    Port port(sim.port());
    port.Write("$PHLX701*3A\r\n");
    EXPECT_EQ(port.Read("\r\n"), "$PHLX601,4*23\r\n");
    EXPECT_EQ(sim.Received(), "junk$PHLX810*35\r\njunk$PHLX810*35\r\n$PHLX701*3A\r\n");
}

TEST(LoggerSim, LinkNamesThePortUntilTheSimulatorEnds) {
    TempDir dir;
    const std::string link = dir.File("logger");
    {
        LoggerSimProcess sim({"--demo", "mtk", "--link", link});
        ASSERT_TRUE(sim.ok()) << sim.error();
        EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.port());
        Port port(link);
        port.Write("$PMTK182,2,8*33\r\n");
        EXPECT_NE(port.Read("$PMTK001,182,2,3*25\r\n").find("$PMTK182,3,8,"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

TEST(LoggerSim, ExitsAfterTheIdleTime) {
    LoggerSimProcess sim({"--demo", "mtk", "--exit-after-idle", "0.2"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    EXPECT_EQ(sim.WaitForExit(10.0), 0);
}

TEST(LoggerSim, BadCommandLinesAndInputsFailWithOneLine) {
    TempDir dir;
    WriteText(dir.File("logs.txt"), "entry 1\n2026-11-30T08:00:00Z,37.5,127.0,30,40\n");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"--demo", "mtk", "--bogus"}, 2, "loggersim: unknown option '--bogus' (see --help)\n"},
        {{"--mtk-image", dir.File("none.bin")}, 1, "cannot open"},
        {{"--phlx-records", dir.File("logs.txt")}, 1, "logs.txt: line 2: a record needs 6 fields"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), LoggerSimPath());
        const ProcessResult r = RunProcess(args, {}, {}, 10);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const ProcessResult help = RunProcess({LoggerSimPath(), "--help"}, {}, {}, 10);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--bad-package-check"), std::string::npos);
}

}  // namespace
}  // namespace ml::test
