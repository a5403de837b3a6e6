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
        return RunProcess(args, {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini"),
                                 "MILELEDGER_LEDGER=" + dir.File("ledger.sqlite3")},
                          {}, 30);
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

// With no ledger nothing of the log is stored: --force erases anyway,
// after saying what is lost.
TEST_F(CliErase, ForceErasesEitherLoggerAfterTheWarning) {
    for (const char* flag : {"--mtk-image", "--phlx-records"}) {
        const bool mtk = std::string(flag) == "--mtk-image";
        LoggerSimProcess sim({flag, dir.File(mtk ? "log.bin" : "records.txt")});
        ASSERT_TRUE(sim.ok()) << sim.error();
        const auto result = Cli({"erase", "--port", sim.port(), "--yes", "--force"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(result.err.find("경고: 로거에 원장에 아직 없는 데이터가 있습니다"), std::string::npos) << result.err;
        const std::string erase = mtk ? "$PMTK182,6,1*3E\r\n" : "$PHLX839*3E\r\n";
        const std::string received = ReceivedOnce(sim, erase);
        EXPECT_EQ(received.substr(received.size() - erase.size()), erase);
    }
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
