// mileledger-cli read against the logger simulator.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>

#include "tests/support/AcquireSimData.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

class CliRead : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath()) || !FileExists(CliPath())) GTEST_SKIP() << "tools not built";
        drives = AcquireDrives(3, 40);
        image = AcquireMtkImage(drives);
        WriteBytes(dir.File("log.bin"), image);
        WriteText(dir.File("records.txt"), AcquirePhlxRecords(drives));
    }

    ProcessResult Cli(std::vector<std::string> args, double limit = 60) {
        args.insert(args.begin(), CliPath());
        const auto start = std::chrono::steady_clock::now();
        ProcessResult result =
            RunProcess(args, {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini"), "TZ=Asia/Seoul"}, {}, limit);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    }

    static size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

    TempDir dir;
    std::vector<FixList> drives;
    std::vector<uint8_t> image;
    double seconds = 0;
};

TEST_F(CliRead, DownloadsAnMtkLoggerPrintsTracksSavesAndDumps) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"read", "--port", sim.port(), "--out", dir.File("trips.dat"), "--dump", dir.File("dump.bin")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out), 3u);
    EXPECT_EQ(result.out.rfind("Track2026/11/30_", 0), 0u) << result.out;
    EXPECT_EQ(result.err.find('\r'), std::string::npos) << "no progress line when stderr is not a terminal";
    EXPECT_NE(result.err.find("120 fixes, 3 tracks"), std::string::npos) << result.err;
    // The dump is the logger's memory as received, ready for `decode`.
    EXPECT_EQ(ReadBytes(dir.File("dump.bin")), image);
    EXPECT_TRUE(FileExists(dir.File("trips.dat")));
    const auto decoded = RunProcess({CliPath(), "decode", dir.File("dump.bin")});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_EQ(Lines(decoded.out), 121u);
}

TEST_F(CliRead, TheFileIsSavedBeforeOutputAndAFailedDumpCancelsNothing) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    // Standard output full, dump folder missing: the tracks are still saved.
    const auto full = RunProcess({"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", CliPath(), "read", "--port",
                                  sim.port(), "--out", dir.File("trips.dat"), "--dump", dir.File("no/dump.bin")},
                                 {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini")});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(FileExists(dir.File("trips.dat")));
    EXPECT_NE(full.err.find("cannot write " + dir.File("no/dump.bin") + ": No such file or directory"),
              std::string::npos)
        << full.err;
    // A link planted where a fixed temporary name would be is not followed.
    WriteText(dir.File("victim"), "victim");
    ASSERT_EQ(symlink(dir.File("victim").c_str(), dir.File("dump.bin.part").c_str()), 0);
    const auto dumped = Cli({"read", "--port", sim.port(), "--dump", dir.File("dump.bin")});
    EXPECT_EQ(dumped.exitCode, 0) << dumped.err;
    EXPECT_EQ(ReadText(dir.File("victim")), "victim");
    EXPECT_EQ(ReadBytes(dir.File("dump.bin")), image);
}

TEST_F(CliRead, AnIncompleteDownloadSaysWhatWasLostAndEndsWithItsOwnStatus) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin"), "--chunk-size", "256", "--drop-chunk", "10"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"read", "--port", sim.port(), "--out", dir.File("trips.dat")});
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_NE(result.err.find("경고: 로그 데이터 일부를 받지 못했습니다: " + std::to_string(image.size()) + "바이트 중 " +
                              std::to_string(image.size() - 256) + "바이트 수신, 데이터 문장 1개 누락"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(FileExists(dir.File("trips.dat")));
}

TEST_F(CliRead, TheCutTimeComesFromTheOption) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"read", "--port", sim.port(), "--cut", "700"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out), 1u);
}

TEST_F(CliRead, DownloadsAPhlxLogger) {
    LoggerSimProcess sim({"--phlx-records", dir.File("records.txt")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"read", "--port", sim.port(), "--dump", dir.File("dump.bin")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out), 3u);
    EXPECT_NE(result.err.find("no memory image"), std::string::npos) << result.err;
    EXPECT_FALSE(FileExists(dir.File("dump.bin")));
}

TEST_F(CliRead, APortThatCannotBeOpenedFailsWithTheProgramsMessage) {
    const auto result = Cli({"read", "--port", "/dev/mileledger-none"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("오류: /dev/mileledger-none Serial open 실패 (No such file or directory)"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.out, "");
}

TEST_F(CliRead, ASilentLoggerFailsWithinTheTimeOutNamingThePort) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin"), "--silence-after", "0"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"read", "--port", sim.port(), "--timeout", "1", "--out", dir.File("trips.dat")}, 20);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("오류: " + sim.port() + " 포트에서 응답이 없습니다"), std::string::npos) << result.err;
    EXPECT_LT(seconds, 1.0 + 5.0);
    EXPECT_FALSE(FileExists(dir.File("trips.dat")));
}

TEST_F(CliRead, AHangUpFailsWithASerialError) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin"), "--chunk-size", "256", "--hangup-after", "2500"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result = Cli({"read", "--port", sim.port()}, 20);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("오류: " + sim.port() + " 시리얼 오류"), std::string::npos) << result.err;
}

TEST_F(CliRead, BadCommandLinesAreUsageErrors) {
    EXPECT_EQ(Cli({"read"}).exitCode, 2);
    EXPECT_EQ(Cli({"read", "--port"}).exitCode, 2);
    EXPECT_EQ(Cli({"read", "--port", "x", "--cut", "soon"}).exitCode, 2);
    EXPECT_EQ(Cli({"read", "--port", "x", "--timeout", "-3"}).exitCode, 2);
    EXPECT_EQ(Cli({"read", "--port", "x", "--colour"}).exitCode, 2);
    EXPECT_EQ(Cli({"read", "--port", "x", "--out", ""}).exitCode, 2);
}

}  // namespace
}  // namespace ml::test
