// mileledger-cli erase against the logger simulator.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/AcquireSimData.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

class CliErase : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath()) || !FileExists(CliPath())) GTEST_SKIP() << "tools not built";
        WriteBytes(dir.File("log.bin"), AcquireMtkImage(AcquireDrives(1, 10)));
        WriteText(dir.File("records.txt"), AcquirePhlxRecords(AcquireDrives(1, 10)));
    }
    ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), CliPath());
        return RunProcess(args, {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini")}, {}, 30);
    }
    static std::string ReceivedOnce(const LoggerSimProcess& sim, const std::string& needle) {
        std::string got;
        for (int i = 0; i < 40 && got.find(needle) == std::string::npos; ++i) {
            got = sim.Received();
            if (got.find(needle) == std::string::npos) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return got;
    }
    TempDir dir;
};

TEST_F(CliErase, YesErasesAnMtkLogger) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"erase", "--port", sim.port(), "--yes"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReceivedOnce(sim, "$PMTK182,6"), "$PHLX810*35\r\n$PMTK182,6,1*3E\r\n");
}

TEST_F(CliErase, YesErasesAPhlxLogger) {
    LoggerSimProcess sim({"--phlx-records", dir.File("records.txt")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"erase", "--port", sim.port(), "--yes"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReceivedOnce(sim, "$PHLX839"), "$PHLX810*35\r\n$PHLX839*3E\r\n");
}

TEST_F(CliErase, WithoutATerminalOrYesItRefusesAndSendsNothing) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"erase", "--port", sim.port()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("--yes"), std::string::npos) << result.err;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sim.Received(), "");
}

TEST_F(CliErase, ASilentLoggerIsNamedAndGetsNoErase) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin"), "--silence-after", "0"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"erase", "--port", sim.port(), "--yes"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(sim.port() + " 포트에서 응답이 없습니다"), std::string::npos) << result.err;
    EXPECT_EQ(ReceivedOnce(sim, "$PHLX810"), "$PHLX810*35\r\n");
}

TEST_F(CliErase, AMissingPortFails) {
    const auto result = Cli({"erase", "--port", "/dev/mileledger-none", "--yes"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("/dev/mileledger-none Serial open 실패"), std::string::npos) << result.err;
    EXPECT_EQ(Cli({"erase"}).exitCode, 2);
}

}  // namespace
}  // namespace ml::test
